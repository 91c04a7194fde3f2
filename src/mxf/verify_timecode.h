// The frame-by-frame check of the SMPTE 12M timecode that the system item of every SDTI content
// package carries (SMPTE 385 system item, SMPTE 331 user date/time stamp of its metadata pack). The
// step itself, verify_sdti_timecode, is declared with the other analysis steps in analysis.h;
// this header gives its codes and the pieces it is built from, for the tests and the benchmarks.
#pragma once

#include <cstdint>
#include <vector>

#include "mxf/records.h"
#include "platform/byte_source.h"
#include "platform/job_control.h"
#include "timecode/timecode.h"

namespace tavrin {

// Codes of the verification (section 1000).
namespace verify_codes {
inline constexpr int kInvalidFile = 1001;
inline constexpr int kNoBaseInfo = 1002;
inline constexpr int kNoTimecodeInfo = 1003;
inline constexpr int kNoAudioInfo = 1004;
inline constexpr int kNoIndexOrWordMemory = 1005;
inline constexpr int kCannotMap = 1006;
inline constexpr int kCannotMapView = 1007;
inline constexpr int kNoCountMemory = 1008;
inline constexpr int kBreaksFound = 1009;
inline constexpr int kCancelled = 99;
}  // namespace verify_codes

// The four timecode bytes of an edit unit lie 61 bytes behind its first byte: the system item's
// key and 4-byte BER length (20 bytes), then 41 bytes of the system metadata pack up to the user
// date/time stamp's timecode, behind its type byte.
inline constexpr uint64_t kTimecodeWordOffset = 61;
inline constexpr uint64_t kTimecodeWordSize = 4;

// Bit 6 of the frames byte is the drop-frame flag; at 60 frames, bit 15 (bit 7 of the seconds
// byte) marks the second frame of a pair. Both are removed before decoding; every other flag bit
// stays in its tens digit, so a flagged field shows up as a break.
inline constexpr uint32_t kDropFrameFlagBit = 0x40;
inline constexpr uint32_t kFramePairFlagBit = 0x8000;

// The four BCD fields of a word read as a little-endian u32: frames in the low byte, then
// seconds, minutes, hours.
tc::Timecode decode_timecode_word(uint32_t word);

// How the words are counted: the timecode base the counts are made in and the distance in edit
// units between the two words of a comparison. 60 frames count as 30 with a step of two (the
// label advances every second edit unit); 24, 25 and 30 count as themselves with a step of one.
// Any other base keeps its code, which the timecode arithmetic cannot count: every word of such a
// file has the invalid count, and every pair shows up as a break.
struct TimecodeCounting {
  uint32_t base = 0;
  uint32_t step = 1;
};
TimecodeCounting timecode_counting(uint32_t fpsCode);

// The frame count of one word as the verification compares it: flag bits removed, decoded,
// counted in the counting base with the file's drop flag, plus one hour when the file starts in
// hour 23. A word whose fields cannot be counted gives the timecode arithmetic's invalid count.
uint32_t timecode_word_count(uint32_t word, const MXF_TIMECODE_INFO& timecode);

// Reads the timecode word of edit units [0, words->size()) by positioned reads, one per edit unit.
// A word whose four bytes are not all in the file (or cannot be read) is 0. Returns 0, or 99 when
// the control asked to stop before an edit unit (the request is left as it is). Reports the edit
// units read to the control and keeps the index of the last one in framesChecked.
int read_timecode_words_by_file(const platform::ByteSource& file,
                                const std::vector<INDEX_ENTRY_ARRAY>& entries,
                                MXF_TIMECODE_INFO* timecode, std::vector<uint32_t>* words,
                                platform::JobControl& control);

// The same words read through one read-only view per index table segment. Each edit unit's word is
// taken at its own filePosition inside the view, so both methods read the same bytes on every
// file; a view never reaches past the end of the file. Returns 0, 99 (stopped), 1006
// when the file cannot be mapped at all (its first view fails) or 1007 when a later view fails.
int read_timecode_words_by_view(const platform::ByteSource& file, const MXF_BASE_INFO& mxf,
                                const std::vector<INDEX_ENTRY_ARRAY>& entries,
                                MXF_TIMECODE_INFO* timecode, std::vector<uint32_t>* words,
                                platform::JobControl& control);

// Bytes of one edit unit by the size rule of the index: the last delta entry's offset plus the
// slice offset plus the element behind it (the ANC element when the file has one, else a sound
// element); the slice offset alone for a file with ANC data and no audio track.
uint64_t described_edit_unit_size(const MXF_BASE_INFO& mxf, const INDEX_ENTRY_ARRAY& entry);

}  // namespace tavrin
