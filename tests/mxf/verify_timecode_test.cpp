// The system-item timecode check on hand-made content packages: every edit unit is a 256-byte
// package whose timecode word lies 61 bytes in. Each case runs by file reads and by views, which
// must find the same words and the same breaks.
#include "mxf/verify_timecode.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "mxf/analysis.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "support/job_controls.h"
#include "support/temp_dir.h"
#include "timecode/timecode.h"

namespace tavrin {
namespace {

using platform::ByteSource;
using platform::MemorySource;

constexpr uint64_t kHeaderBytes = 1000;
constexpr uint64_t kPackageBytes = 256;
constexpr uint64_t kSegmentDuration = 8;

uint32_t bcd(int32_t v) {
  return static_cast<uint32_t>((v / 10) << 4 | v % 10);
}

// The word of a label as a writer stores it, read as a little-endian u32.
uint32_t word_of(const tc::Timecode& t, bool dropFlag = false, bool pairFlag = false) {
  return (bcd(t.frames) | (dropFlag ? 0x40u : 0u)) |
         (bcd(t.seconds) | (pairFlag ? 0x80u : 0u)) << 8 | bcd(t.minutes) << 16 |
         bcd(t.hours) << 24;
}

uint32_t word_of_count(uint32_t fpsCode, uint32_t dropFrame, int64_t count) {
  return word_of(tc::frames_to_display_timecode(fpsCode, dropFrame, count), dropFrame != 0);
}

// The words of a run of labels at a 24/25/30 base: one label per edit unit from `start`.
std::vector<uint32_t> label_run(uint32_t fpsCode, uint32_t dropFrame, std::vector<int64_t> counts) {
  std::vector<uint32_t> words;
  for (const int64_t c : counts) words.push_back(word_of_count(fpsCode, dropFrame, c));
  return words;
}

std::vector<int64_t> counts_from(int64_t start, size_t n) {
  std::vector<int64_t> counts;
  for (size_t i = 0; i < n; ++i) counts.push_back(start + static_cast<int64_t>(i));
  return counts;
}

// 60 frames: the label advances every second edit unit; the second of a pair carries the flag.
std::vector<uint32_t> pair_run(uint32_t dropFrame, std::vector<int64_t> pairCounts) {
  std::vector<uint32_t> words;
  for (size_t i = 0; i < pairCounts.size(); ++i) {
    words.push_back(word_of(tc::frames_to_display_timecode(2, dropFrame, pairCounts[i]),
                            dropFrame != 0, i % 2 == 1));
  }
  return words;
}

struct Broken {
  uint32_t state;
  uint32_t position;
  uint32_t beforeCount;
  uint32_t afterCount;
};

std::vector<Broken> summary(const TimecodeErrorList& list) {
  std::vector<Broken> out;
  for (const TIMECODE_ERROR_INFO& r : list) {
    out.push_back({r.state, r.position, r.beforeCount, r.afterCount});
  }
  return out;
}

bool operator==(const Broken& a, const Broken& b) {
  return a.state == b.state && a.position == b.position && a.beforeCount == b.beforeCount &&
         a.afterCount == b.afterCount;
}

void PrintTo(const Broken& b, std::ostream* os) {
  *os << "{state " << b.state << ", pos " << b.position << ", " << b.beforeCount << " -> "
      << b.afterCount << "}";
}

bool same_records(const TimecodeErrorList& a, const TimecodeErrorList& b) {
  if (a.size() != b.size()) return false;
  auto j = b.begin();
  for (auto i = a.begin(); i != a.end(); ++i, ++j) {
    if (i->beforeFrame != j->beforeFrame || i->afterFrame != j->afterFrame ||
        i->beforeCount != j->beforeCount || i->afterCount != j->afterCount ||
        i->state != j->state || i->position != j->position) {
      return false;
    }
  }
  return true;
}

// A file of content packages behind a header, one per word, with `gap` bytes of fill between
// packages, and the records that the analysis would have left for it.
struct Synthetic {
  Synthetic() { records.timecode.errorList = &errors; }

  void build(const std::vector<uint32_t>& words, uint64_t gap = 0) {
    bytes.assign(kHeaderBytes, 0xEE);
    std::vector<INDEX_ENTRY_ARRAY>& entries = records.indexEntrySlot;
    entries.clear();
    for (size_t i = 0; i < words.size(); ++i) {
      INDEX_ENTRY_ARRAY entry;
      entry.filePosition = bytes.size();
      entry.segmentStart = i / kSegmentDuration * kSegmentDuration;
      entry.segmentDuration = kSegmentDuration;
      entry.deltaCount = 4;
      entry.deltas[1].elementDelta = 80;
      entry.deltas[2].elementDelta = 140;
      entry.deltas[3].elementDelta = 200;
      entries.push_back(entry);
      std::vector<uint8_t> package(kPackageBytes, 0x5A);
      for (int b = 0; b < 4; ++b) package[kTimecodeWordOffset + b] = uint8_t(words[i] >> (8 * b));
      bytes.insert(bytes.end(), package.begin(), package.end());
      bytes.insert(bytes.end(), gap, 0x00);
    }
    records.audio.trackCount = 2;
    records.audio.audioElementSize = 56;  // 200 + 56: the package size the index describes
    records.timecode.indexEntryCount = static_cast<uint32_t>(words.size());
  }

  void set_rate(uint32_t fpsCode, uint32_t dropFrame, uint32_t startsInHour23 = 0) {
    records.timecode.fpsCode = fpsCode;
    records.timecode.dropFrame = dropFrame;
    records.timecode.startsInHour23 = startsInHour23;
  }

  int verify(const ByteSource& source, bool useFileApi, platform::JobControl* control = nullptr) {
    records.timecode.useFileApi = useFileApi ? 1 : 0;
    platform::NullJobControl unwatched;
    return verify_sdti_timecode(&source, &records.base, control ? *control : unwatched);
  }
  int verify(bool useFileApi) { return verify(MemorySource(bytes), useFileApi); }

  MxfRecords records;
  TimecodeErrorList errors;
  std::vector<uint8_t> bytes;
};

class VerifyTimecode : public ::testing::TestWithParam<bool> {
 protected:
  bool file_api() const { return GetParam(); }
  int verify() { return s.verify(file_api()); }
  MXF_TIMECODE_INFO& timecode() { return s.records.timecode; }
  Synthetic s;
};

INSTANTIATE_TEST_SUITE_P(BothMethods, VerifyTimecode, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "FileApi" : "Mapping"; });

TEST_P(VerifyTimecode, StillJumpAndStepBackAreTheThreeStates) {
  s.set_rate(2, 0);
  s.build(label_run(2, 0, {100, 101, 102, 102, 103, 108, 109, 105, 106}));
  EXPECT_EQ(verify(), verify_codes::kBreaksFound);
  EXPECT_EQ(timecode().errorCount, 3u);
  EXPECT_EQ(summary(s.errors),
            (std::vector<Broken>{{4, 2, 102, 102}, {2, 4, 103, 108}, {3, 6, 109, 105}}));
  for (const TIMECODE_ERROR_INFO& r : s.errors) {
    EXPECT_EQ(r.beforeFrame, r.beforeCount);  // plain and active base agree outside hour 23
    EXPECT_EQ(r.afterFrame, r.afterCount);
  }
  // The work arrays exist only while the step runs; progress ends at the last edit unit.
  EXPECT_TRUE(timecode().timecodeWords.empty());
  EXPECT_TRUE(timecode().frameNumbers.empty());
  EXPECT_EQ(timecode().framesToCheck.load(), 9u);
  EXPECT_EQ(timecode().framesChecked.load(), 8u);
}

TEST_P(VerifyTimecode, CleanFileAfterOneWithBreaksLeavesTheCountAtZero) {
  s.set_rate(1, 0);
  s.build(label_run(1, 0, {0, 1, 5, 6}));
  ASSERT_EQ(verify(), verify_codes::kBreaksFound);
  ASSERT_EQ(timecode().errorCount, 1u);

  s.build(label_run(1, 0, counts_from(90000 * 10, 30)));  // 10:00:00:00 at 25, across segments
  EXPECT_EQ(verify(), 0);
  EXPECT_EQ(timecode().errorCount, 0u);
  EXPECT_EQ(s.errors.size(), 1u);  // the earlier file's record is the caller's to free
}

TEST_P(VerifyTimecode, DropFrameLabelsRunOnAcrossTheSkippedOnes) {
  s.set_rate(2, 1);
  // 00:00:59;27 .. 00:01:00;05 and 00:09:59;28 .. 00:10:00;03: the flag bit 6 is set in every word.
  std::vector<int64_t> counts = counts_from(1797, 9);
  for (const int64_t c : counts_from(17980, 6)) counts.push_back(c);
  s.build(label_run(2, 1, counts));
  EXPECT_EQ(verify(), verify_codes::kBreaksFound);
  EXPECT_EQ(summary(s.errors), (std::vector<Broken>{{2, 8, 1805, 17980}}));
}

TEST_P(VerifyTimecode, AcrossMidnightRunsOnWhenTheFileStartsInHour23) {
  // 23:59:59:25 .. 00:00:00:04 at 30 non-drop.
  std::vector<int64_t> counts = counts_from(2591995, 5);
  for (const int64_t c : counts_from(0, 5)) counts.push_back(c);
  s.build(label_run(2, 0, counts));

  s.set_rate(2, 0, 1);
  EXPECT_EQ(verify(), 0);
  EXPECT_EQ(timecode().errorCount, 0u);

  s.set_rate(2, 0, 0);  // counted without the hour's shift, midnight is a step back
  EXPECT_EQ(verify(), verify_codes::kBreaksFound);
  EXPECT_EQ(summary(s.errors), (std::vector<Broken>{{3, 4, 2591999, 0}}));
}

TEST_P(VerifyTimecode, BreakInHour23KeepsPlainFramesAndShiftedCounts) {
  // 23:59:59:28, 23:59:59:29, then 00:00:00:03: a jump of four frames across midnight.
  s.set_rate(2, 0, 1);
  s.build(label_run(2, 0, {2591998, 2591999, 3, 4}));
  EXPECT_EQ(verify(), verify_codes::kBreaksFound);
  ASSERT_EQ(s.errors.size(), 1u);
  const TIMECODE_ERROR_INFO& r = s.errors.front();
  EXPECT_EQ(r.state, 2u);
  EXPECT_EQ(r.position, 1u);
  EXPECT_EQ(r.beforeCount, 107999u);  // 00:59:59:29 in the shifted base
  EXPECT_EQ(r.afterCount, 108003u);
  EXPECT_EQ(r.beforeFrame, 2591999u);  // 23:59:59:29 as the file shows it
  EXPECT_EQ(r.afterFrame, 3u);
}

TEST_P(VerifyTimecode, SixtyFramesCompareEverySecondEditUnit) {
  s.set_rate(3, 0);
  s.build(pair_run(0, {500, 500, 501, 501, 502, 502, 503, 503, 504, 504}));
  EXPECT_EQ(verify(), 0);

  // The second word of each pair is never compared; a label repeated on a pair is.
  std::vector<uint32_t> words = pair_run(0, {500, 500, 501, 501, 501, 501, 503, 503});
  words[1] = 0xFFFFFFFF;
  words[3] = 0;
  s.build(words);
  EXPECT_EQ(verify(), verify_codes::kBreaksFound);
  EXPECT_EQ(summary(s.errors), (std::vector<Broken>{{4, 2, 501, 501}, {2, 4, 501, 503}}));
}

TEST_P(VerifyTimecode, SixtyFramesDropFrameCountsInPairsOfTheThirtyFrameBase) {
  s.set_rate(3, 1);
  // 00:00:59;29 (pair) then 00:01:00;02: the pairs of the four skipped 59.94 labels.
  s.build(pair_run(1, {1799, 1799, 1800, 1800, 1801, 1801}));
  EXPECT_EQ(verify(), 0);
}

TEST_P(VerifyTimecode, TooFewEditUnitsForAComparisonPassUnread) {
  s.set_rate(2, 0);
  s.build({0xFFFFFFFF});
  EXPECT_EQ(verify(), 0);
  s.set_rate(3, 0);
  s.build({0xFFFFFFFF, 0x12345678});
  EXPECT_EQ(verify(), 0);
  EXPECT_EQ(timecode().framesChecked.load(), 1u);
  s.build({0xFFFFFFFF, 0x12345678, 0});
  EXPECT_EQ(verify(), verify_codes::kBreaksFound);
}

TEST_P(VerifyTimecode, FlagBitsOtherThanTheDropFlagAreBreaks) {
  s.set_rate(2, 0);
  std::vector<uint32_t> words = label_run(2, 0, counts_from(40, 4));
  words[2] |= 0x80;  // a flag in the frames' tens digit: 8x frames cannot be counted
  s.build(words);
  EXPECT_EQ(verify(), verify_codes::kBreaksFound);
  EXPECT_EQ(timecode().errorCount, 2u);
}

TEST_P(VerifyTimecode, AnUnknownBaseEndsWithEveryPairABreak) {
  s.set_rate(9, 0);
  s.build(label_run(2, 0, counts_from(0, 5)));
  EXPECT_EQ(verify(), verify_codes::kBreaksFound);
  EXPECT_EQ(timecode().errorCount, 4u);
  for (const TIMECODE_ERROR_INFO& r : s.errors) EXPECT_EQ(r.state, 4u);
}

TEST_P(VerifyTimecode, WithoutAListBreaksAreCountedOnly) {
  s.set_rate(2, 0);
  s.build(label_run(2, 0, {1, 2, 9, 9}));
  timecode().errorList = nullptr;
  EXPECT_EQ(verify(), verify_codes::kBreaksFound);
  EXPECT_EQ(timecode().errorCount, 2u);
  EXPECT_TRUE(s.errors.empty());
}

TEST_P(VerifyTimecode, PackagesWithGapsAreReadAtTheirOwnPositions) {
  s.set_rate(2, 0);
  std::vector<uint32_t> words = label_run(2, 0, counts_from(3000, 20));
  s.build(words, 1000);  // 1000 bytes of fill behind every package
  EXPECT_EQ(verify(), 0);
}

TEST_P(VerifyTimecode, PositionsOutsideTheFileReadAsZero) {
  s.set_rate(2, 0);
  s.build(label_run(2, 0, counts_from(0, 10)));
  std::vector<INDEX_ENTRY_ARRAY>& entries = s.records.indexEntrySlot;
  entries[7].filePosition = s.bytes.size() - 64;  // the word's last byte is past the end
  entries[8].filePosition = s.bytes.size();
  entries[9].filePosition = UINT64_MAX - 10;
  EXPECT_EQ(verify(), verify_codes::kBreaksFound);
  EXPECT_EQ(summary(s.errors), (std::vector<Broken>{{3, 6, 6, 0}, {4, 7, 0, 0}, {4, 8, 0, 0}}));
}

TEST_P(VerifyTimecode, SegmentsThatMakeNoSenseStillAdvance) {
  s.set_rate(2, 0);
  s.build(label_run(2, 0, counts_from(0, 12)));
  for (INDEX_ENTRY_ARRAY& e : s.records.indexEntrySlot) {
    e.segmentStart = 0;
    e.segmentDuration = 0;  // every run is one edit unit
    e.deltaCount = 0;
  }
  s.records.indexEntrySlot[5].segmentStart = UINT64_MAX;
  s.records.indexEntrySlot[5].segmentDuration = UINT64_MAX;  // one run to the end
  EXPECT_EQ(verify(), 0);
}

// A stop asked for at edit unit k (before the first, inside the first segment, at the first unit
// of the second segment, at the last unit): k units are read, none after, and the run leaves no
// records and no work arrays; the request stays set. An earlier file's records stay as they were.
TEST_P(VerifyTimecode, CancelAtEditUnitKReadsTheUnitsBeforeItAndLeavesNoRecords) {
  s.set_rate(2, 0);
  s.build(label_run(2, 0, {0, 1, 7}));
  ASSERT_EQ(verify(), verify_codes::kBreaksFound);  // an earlier run left one record
  ASSERT_EQ(s.errors.size(), 1u);

  s.build(label_run(2, 0, std::vector<int64_t>(20, 5)));
  const MemorySource memory(s.bytes);
  for (const uint32_t k : {0u, 3u, static_cast<uint32_t>(kSegmentDuration), 19u}) {
    SCOPED_TRACE(k);
    test::CancelAtFrame control(k);
    EXPECT_EQ(s.verify(memory, file_api(), &control), verify_codes::kCancelled);
    EXPECT_EQ(control.total(), 20u);
    EXPECT_EQ(control.done(), k);
    EXPECT_TRUE(control.cancel_requested());
    EXPECT_EQ(timecode().framesChecked.load(), k == 0 ? 0u : k - 1);
    EXPECT_EQ(timecode().errorCount, 0u);
    EXPECT_EQ(s.errors.size(), 1u);
    EXPECT_TRUE(timecode().timecodeWords.empty());
  }
  // Without a stop every unit is reported, counting up once.
  test::CancelAtFrame watched;
  EXPECT_EQ(s.verify(memory, file_api(), &watched), verify_codes::kBreaksFound);
  EXPECT_EQ(watched.done(), 20u);
  EXPECT_EQ(watched.totals_set(), 1u);
  EXPECT_EQ(watched.went_backwards(), 0u);
  EXPECT_GE(watched.times_asked(), 20u);
}

// The two readers directly: the same words from the same records, on memory and on a file.
std::vector<uint32_t> words_by(bool fileApi, const ByteSource& source, Synthetic& s) {
  platform::NullJobControl unwatched;
  std::vector<uint32_t> words(s.records.indexEntrySlot.size(), 0xDEADBEEF);
  const int code =
      fileApi ? read_timecode_words_by_file(source, s.records.indexEntrySlot, &s.records.timecode,
                                            &words, unwatched)
              : read_timecode_words_by_view(source, s.records.base, s.records.indexEntrySlot,
                                            &s.records.timecode, &words, unwatched);
  EXPECT_EQ(code, 0);
  return words;
}

TEST(VerifyTimecodeMethods, TruncatedFileGivesTheSameWordsAndBreaksByBothMethods) {
  test::TempDir dir;
  Synthetic s;
  s.set_rate(2, 0);
  s.build(label_run(2, 0, counts_from(200, 20)), 16);
  // Cut inside the word of edit unit 15: units 15 .. 19 are missing their words.
  const uint64_t cut = s.records.indexEntrySlot[15].filePosition + kTimecodeWordOffset + 2;
  s.bytes.resize(cut);
  const std::string path = dir.file("cut.mxf");
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(s.bytes.data()), static_cast<std::streamsize>(cut));
  platform::Status status;
  const platform::File file =
      platform::File::open(path, platform::Access::kReadExisting, platform::Sharing::kAny, &status);
  ASSERT_TRUE(file.valid());
  const platform::FileSource onDisk(file);
  const MemorySource inMemory(s.bytes);

  const std::vector<uint32_t> expected = words_by(true, inMemory, s);
  EXPECT_EQ(expected[14], word_of_count(2, 0, 214));
  for (size_t i = 15; i < 20; ++i) EXPECT_EQ(expected[i], 0u) << i;
  EXPECT_EQ(words_by(false, inMemory, s), expected);
  EXPECT_EQ(words_by(true, onDisk, s), expected);
  EXPECT_EQ(words_by(false, onDisk, s), expected);

  TimecodeErrorList byFile;
  TimecodeErrorList byView;
  s.records.timecode.errorList = &byFile;
  EXPECT_EQ(s.verify(onDisk, true), verify_codes::kBreaksFound);
  s.records.timecode.errorList = &byView;
  EXPECT_EQ(s.verify(onDisk, false), verify_codes::kBreaksFound);
  EXPECT_TRUE(same_records(byFile, byView));
  EXPECT_EQ(summary(byView),
            (std::vector<Broken>{
                {3, 14, 214, 0}, {4, 15, 0, 0}, {4, 16, 0, 0}, {4, 17, 0, 0}, {4, 18, 0, 0}}));
}

TEST(VerifyTimecodeMethods, GapsAndUnorderedPositionsGiveTheSameWords) {
  Synthetic s;
  s.set_rate(1, 0);
  s.build(label_run(1, 0, counts_from(77, 24)), 333);
  std::swap(s.records.indexEntrySlot[3].filePosition, s.records.indexEntrySlot[5].filePosition);
  const MemorySource memory(s.bytes);
  EXPECT_EQ(words_by(false, memory, s), words_by(true, memory, s));
}

TEST(VerifyTimecodeChecks, MissingPiecesAreRefusedInOrder) {
  platform::NullJobControl unwatched;
  Synthetic s;
  s.set_rate(2, 0);
  s.build(label_run(2, 0, counts_from(0, 4)));
  const MemorySource memory(s.bytes);
  MXF_BASE_INFO& base = s.records.base;
  EXPECT_EQ(verify_sdti_timecode(nullptr, &base, unwatched), verify_codes::kInvalidFile);
  const platform::File closed;
  const platform::FileSource invalid(closed);
  EXPECT_EQ(verify_sdti_timecode(&invalid, &base, unwatched), verify_codes::kInvalidFile);
  EXPECT_EQ(verify_sdti_timecode(&memory, nullptr, unwatched), verify_codes::kNoBaseInfo);

  s.records.timecode.errorCount = 5;  // from an earlier file
  base.audio = nullptr;
  EXPECT_EQ(verify_sdti_timecode(&memory, &base, unwatched), verify_codes::kNoAudioInfo);
  EXPECT_EQ(s.records.timecode.errorCount, 0u);
  base.audio = &s.records.audio;

  base.indexEntries = nullptr;
  EXPECT_EQ(verify_sdti_timecode(&memory, &base, unwatched), verify_codes::kNoIndexOrWordMemory);
  base.indexEntries = &s.records.indexEntrySlot;
  s.records.timecode.indexEntryCount = 5;  // more than the array holds
  EXPECT_EQ(verify_sdti_timecode(&memory, &base, unwatched), verify_codes::kNoIndexOrWordMemory);
  s.records.timecode.indexEntryCount = 4;

  base.timecode = nullptr;
  EXPECT_EQ(verify_sdti_timecode(&memory, &base, unwatched), verify_codes::kNoTimecodeInfo);
  base.timecode = &s.records.timecode;
  EXPECT_EQ(verify_sdti_timecode(&memory, &base, unwatched), 0);
}

TEST(VerifyTimecodeChecks, ViewFailuresAreTheirOwnCodes) {
  // A source that cannot give views at all, and one whose views stop after the first run.
  class Refusing final : public ByteSource {
   public:
    Refusing(const ByteSource& inner, int views) : inner_(inner), views_(views) {}
    bool valid() const override { return true; }
    uint64_t size() const override { return inner_.size(); }
    platform::IoResult read_at(uint64_t o, void* b, size_t n) const override {
      return inner_.read_at(o, b, n);
    }
    std::unique_ptr<platform::SourceView> view(uint64_t o, uint64_t l,
                                               platform::Status* st) const override {
      if (views_-- > 0) return inner_.view(o, l, st);
      if (st) *st = platform::Status{ENOMEM};
      return nullptr;
    }
    platform::Status stat(platform::DirectoryRecord* out) const override {
      return inner_.stat(out);
    }

   private:
    const ByteSource& inner_;
    mutable int views_;
  };
  Synthetic s;
  s.set_rate(2, 0);
  s.build(label_run(2, 0, counts_from(0, 20)));
  const MemorySource memory(s.bytes);
  EXPECT_EQ(s.verify(Refusing(memory, 0), false), verify_codes::kCannotMap);
  EXPECT_EQ(s.verify(Refusing(memory, 1), false), verify_codes::kCannotMapView);
  EXPECT_TRUE(s.records.timecode.timecodeWords.empty());
  EXPECT_EQ(s.verify(Refusing(memory, 0), true), 0);  // file reads need no view
}

}  // namespace
}  // namespace tavrin
