// The last analysis step (section 1000): reads the SMPTE 12M timecode of the system item of every
// edit unit, turns it into a frame count and checks that the counts run on by exactly one frame.
// Every break becomes a TIMECODE_ERROR_INFO appended to the caller's list.
#include <new>
#include <stdexcept>

#include "mxf/analysis.h"
#include "mxf/verify_timecode.h"

namespace tavrin {

namespace {

// The two per-frame arrays exist only while the step runs; this releases them on every return.
class WorkArrays {
 public:
  explicit WorkArrays(MXF_TIMECODE_INFO* timecode) : timecode_(timecode) {}
  ~WorkArrays() {
    std::vector<uint32_t>().swap(timecode_->timecodeWords);
    std::vector<uint32_t>().swap(timecode_->frameNumbers);
  }
  WorkArrays(const WorkArrays&) = delete;
  WorkArrays& operator=(const WorkArrays&) = delete;

 private:
  MXF_TIMECODE_INFO* timecode_;
};

bool allocate_zeroed(std::vector<uint32_t>* array, uint32_t n) {
  try {
    array->assign(n, 0);
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  array->clear();
  return false;
}

// State of a pair of counts, compared as unsigned 32-bit numbers: 3 when the count went back, 2
// when it jumped forward by more than one, 4 when it stood still, 0 when it ran on by one.
uint32_t pair_state(uint32_t before, uint32_t after) {
  if (before > after) return 3;
  if (after - before > 1) return 2;
  if (before == after) return 4;
  return 0;
}

// A count of the active base back in the plain base (one hour earlier when the file starts in
// hour 23).
uint32_t plain_count(uint32_t count, const MXF_TIMECODE_INFO& timecode, uint32_t base) {
  if (timecode.startsInHour23 == 0) return count;
  return static_cast<uint32_t>(tc::count_plus_hours(base, timecode.dropFrame, count, 1, '-'));
}

}  // namespace

tc::Timecode decode_timecode_word(uint32_t e) {
  tc::Timecode t;
  t.hours = static_cast<int32_t>((e >> 28) * 10 + ((e >> 24) & 0xF));
  t.minutes = static_cast<int32_t>(((e >> 20) & 0xF) * 10 + ((e >> 16) & 0xF));
  t.seconds = static_cast<int32_t>(((e >> 12) & 0xF) * 10 + ((e >> 8) & 0xF));
  t.frames = static_cast<int32_t>(((e >> 4) & 0xF) * 10 + (e & 0xF));
  return t;
}

TimecodeCounting timecode_counting(uint32_t fpsCode) {
  if (fpsCode == 3) return {2, 2};
  return {fpsCode, 1};
}

uint32_t timecode_word_count(uint32_t word, const MXF_TIMECODE_INFO& timecode) {
  const TimecodeCounting counting = timecode_counting(timecode.fpsCode);
  word &= ~kDropFrameFlagBit;
  if (timecode.fpsCode == 3) word &= ~kFramePairFlagBit;
  tc::Timecode fields = decode_timecode_word(word);
  int64_t count = tc::timecode_to_frames(counting.base, timecode.dropFrame, fields);
  if (timecode.startsInHour23 != 0) {
    count = tc::count_plus_hours(counting.base, timecode.dropFrame, count, 1, '+');
  }
  return static_cast<uint32_t>(count);
}

int verify_sdti_timecode(const ByteSource* mxfHandle, MXF_BASE_INFO* mxf,
                         platform::JobControl& control) {
  using namespace verify_codes;
  if (mxfHandle == nullptr || !mxfHandle->valid()) return kInvalidFile;
  if (mxf == nullptr) return kNoBaseInfo;
  MXF_TIMECODE_INFO* timecode = mxf->timecode;
  if (timecode == nullptr) return kNoTimecodeInfo;
  // Whatever happens below, no count of an earlier file survives into this run.
  timecode->errorCount = 0;
  if (mxf->audio == nullptr) return kNoAudioInfo;
  if (mxf->indexEntries == nullptr) return kNoIndexOrWordMemory;
  const std::vector<INDEX_ENTRY_ARRAY>& entries = *mxf->indexEntries;
  const uint32_t n = timecode->indexEntryCount;
  // A count the array does not hold would address entries that do not exist.
  if (n > entries.size()) return kNoIndexOrWordMemory;
  timecode->framesToCheck = n;

  WorkArrays arrays(timecode);
  std::vector<uint32_t>& words = timecode->timecodeWords;
  if (!allocate_zeroed(&words, n)) return kNoIndexOrWordMemory;
  // A stop request is never cleared here: one made since the step was announced (a skip asked
  // for at once) must stop it before its first edit unit.
  timecode->framesChecked = 0;
  control.set_total(n);
  control.set_done(0);

  const int readCode =
      timecode->useFileApi != 0
          ? read_timecode_words_by_file(*mxfHandle, entries, timecode, &words, control)
          : read_timecode_words_by_view(*mxfHandle, *mxf, entries, timecode, &words, control);
  if (readCode != 0) return readCode;

  std::vector<uint32_t>& counts = timecode->frameNumbers;
  if (!allocate_zeroed(&counts, n)) return kNoCountMemory;
  const TimecodeCounting counting = timecode_counting(timecode->fpsCode);
  for (uint32_t i = 0; i < n; ++i) {
    if (timecode->fpsCode == 3) words[i] &= ~kFramePairFlagBit;
    counts[i] = timecode_word_count(words[i], *timecode);
  }

  // The records of this run are gathered apart and handed over whole, so a failure leaves the
  // caller's list as it was.
  TimecodeErrorList found;
  uint32_t errors = 0;
  for (uint64_t i = 0; i + counting.step < n; i += counting.step) {
    const uint32_t before = counts[i];
    const uint32_t after = counts[i + counting.step];
    const uint32_t state = pair_state(before, after);
    if (state == 0) continue;
    ++errors;
    if (timecode->errorList == nullptr) continue;
    TIMECODE_ERROR_INFO record;
    record.beforeCount = before;
    record.afterCount = after;
    record.beforeFrame = plain_count(before, *timecode, counting.base);
    record.afterFrame = plain_count(after, *timecode, counting.base);
    record.state = state;
    record.position = static_cast<uint32_t>(i);
    try {
      found.push_back(record);
    } catch (const std::bad_alloc&) {
      return kNoCountMemory;
    }
  }
  timecode->errorCount = errors;
  if (timecode->errorList != nullptr)
    timecode->errorList->splice(timecode->errorList->end(), found);
  return errors > 0 ? kBreaksFound : 0;
}

}  // namespace tavrin
