// Reading the timecode word of every edit unit, by positioned reads or through read-only views.
// Both methods take the word of edit unit i at filePosition(i) + 61 and treat a word whose four
// bytes are not all in the file as 0, so they give the same words on every file, whole or cut.
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "mxf/verify_timecode.h"

namespace tavrin {

namespace {

constexpr uint64_t kWordEnd = kTimecodeWordOffset + kTimecodeWordSize;

uint64_t saturating_add(uint64_t a, uint64_t b) {
  return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max()
                                                      : a + b;
}

uint32_t little_endian_word(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// True when the word of an edit unit at `filePosition` lies wholly below `end`.
bool word_below(uint64_t filePosition, uint64_t end) {
  return filePosition <= end && end - filePosition >= kWordEnd;
}

// Stores the word of edit unit i and reports it read: i + 1 edit units are done, and the record
// keeps the index of the last one read.
void store_word(std::vector<uint32_t>* words, uint64_t i, uint32_t word,
                MXF_TIMECODE_INFO* timecode, platform::JobControl& control) {
  (*words)[i] = word & ~kDropFrameFlagBit;
  timecode->framesChecked.store(static_cast<uint32_t>(i), std::memory_order_relaxed);
  control.set_done(static_cast<uint32_t>(i + 1));
}

// End (exclusive) of the run that starts at edit unit i: the end of its index table segment, at
// most n, and never i itself, so a segment whose numbers make no sense still advances.
uint64_t run_end(const INDEX_ENTRY_ARRAY& first, uint64_t i, uint64_t n) {
  const uint64_t segmentEnd = saturating_add(first.segmentStart, first.segmentDuration);
  if (segmentEnd <= i) return i + 1;
  return std::min(segmentEnd, n);
}

}  // namespace

uint64_t described_edit_unit_size(const MXF_BASE_INFO& mxf, const INDEX_ENTRY_ARRAY& entry) {
  const bool noAudio = mxf.audio == nullptr || mxf.audio->trackCount == 0;
  if (mxf.hasAncData != 0 && noAudio) return entry.sliceOffset;
  const uint32_t trailing =
      mxf.hasAncData != 0 ? mxf.ancElementSize : (mxf.audio ? mxf.audio->audioElementSize : 0);
  const uint32_t deltas = std::min<uint32_t>(entry.deltaCount, kMaxDeltaEntries);
  const uint64_t lastDelta = deltas == 0 ? 0 : entry.deltas[deltas - 1].elementDelta;
  return lastDelta + entry.sliceOffset + trailing;
}

int read_timecode_words_by_file(const platform::ByteSource& file,
                                const std::vector<INDEX_ENTRY_ARRAY>& entries,
                                MXF_TIMECODE_INFO* timecode, std::vector<uint32_t>* words,
                                platform::JobControl& control) {
  const uint64_t n = std::min<uint64_t>(words->size(), entries.size());
  const uint64_t size = file.size();
  for (uint64_t i = 0; i < n; ++i) {
    if (control.cancel_requested()) return verify_codes::kCancelled;
    uint32_t word = 0;
    const uint64_t position = entries[i].filePosition;
    if (word_below(position, size)) {
      uint8_t bytes[kTimecodeWordSize] = {};
      const platform::IoResult r =
          file.read_at(position + kTimecodeWordOffset, bytes, kTimecodeWordSize);
      // A read error is not a word of 0 (that would be reported as breaks in the timecode).
      if (!r.ok()) return verify_codes::kInvalidFile;
      if (r.bytes == kTimecodeWordSize) word = little_endian_word(bytes);
    }
    store_word(words, i, word, timecode, control);
  }
  return 0;
}

int read_timecode_words_by_view(const platform::ByteSource& file, const MXF_BASE_INFO& mxf,
                                const std::vector<INDEX_ENTRY_ARRAY>& entries,
                                MXF_TIMECODE_INFO* timecode, std::vector<uint32_t>* words,
                                platform::JobControl& control) {
  const uint64_t n = std::min<uint64_t>(words->size(), entries.size());
  const uint64_t size = file.size();
  bool firstView = true;
  for (uint64_t i = 0; i < n;) {
    const uint64_t end = run_end(entries[i], i, n);

    // The bytes of the run: from its lowest edit unit to the end of its highest word, or as far
    // as the edit-unit sizes of the index reach, whichever is further; never past the file.
    uint64_t low = std::numeric_limits<uint64_t>::max();
    uint64_t high = 0;
    uint64_t described = 0;
    for (uint64_t k = i; k < end; ++k) {
      const INDEX_ENTRY_ARRAY& entry = entries[k];
      low = std::min(low, entry.filePosition);
      high = std::max(high, saturating_add(entry.filePosition, kWordEnd));
      described = saturating_add(described, described_edit_unit_size(mxf, entry));
    }
    high = std::min(std::max(high, saturating_add(entries[i].filePosition, described)), size);

    std::unique_ptr<platform::SourceView> view;
    std::span<const uint8_t> bytes;
    if (low < high) {
      platform::Status status;
      view = file.view(low, high - low, &status);
      if (!view) {
        return firstView ? verify_codes::kCannotMap : verify_codes::kCannotMapView;
      }
      firstView = false;
      bytes = view->bytes();
    }

    for (uint64_t k = i; k < end; ++k) {
      if (control.cancel_requested()) return verify_codes::kCancelled;
      uint32_t word = 0;
      const uint64_t position = entries[k].filePosition;
      if (view && position >= low && word_below(position - low, bytes.size())) {
        word = little_endian_word(bytes.data() + (position - low) + kTimecodeWordOffset);
      }
      store_word(words, k, word, timecode, control);
    }
    i = end;  // the view of this run is released here
  }
  return 0;
}

}  // namespace tavrin
