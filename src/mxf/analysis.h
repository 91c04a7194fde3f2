// The analysis steps, in the order the job runner runs them. Each step returns 0 on success or a
// code whose hundreds are its section (201 .. for the partitions, 301 .. for the Preface, ...);
// the runner turns section and code into the message of its table. A step never shows a message.
#pragma once

#include "mxf/records.h"
#include "platform/byte_source.h"
#include "platform/job_control.h"

namespace tavrin {

using platform::ByteSource;

// Random Index Pack and every partition pack (section 200).
int read_partitions(const ByteSource* file, uint64_t fileSize, MXF_BASE_INFO* mxf);
// Preface: operational pattern, frame wrapping, MXF version, ANC data (section 300).
int read_preface(const ByteSource* file, MXF_BASE_INFO* mxf);
// Timecode component and the edit rate of the first timeline track (section 400).
int read_timecode_component(const ByteSource* file, MXF_BASE_INFO* mxf);
// Source package creation date and the file's modification date (section 500).
int read_file_package(const ByteSource* file, MXF_BASE_INFO* mxf);
// Index table segments into the per-frame array, and the content package layout check (600).
int read_index_table(const ByteSource* file, MXF_BASE_INFO* mxf);
// Audio descriptors and the first sound element (section 700).
int read_audio_descriptor(const ByteSource* file, MXF_BASE_INFO* mxf);
// Video descriptor (section 800).
int read_video_descriptor(const ByteSource* file, MXF_BASE_INFO* mxf);
// Identification of the writing application; never stops the analysis (section 900).
int read_identification(const ByteSource* file, MXF_BASE_INFO* mxf);
// Frame-by-frame check of the system item timecode (section 1000).
// Progress goes to `control`, which is asked before every edit unit whether to stop (code 99).
int verify_sdti_timecode(const ByteSource* mxfHandle, MXF_BASE_INFO* mxf,
                         platform::JobControl& control);

// Codes of the partition step.
namespace partition_codes {
inline constexpr int kInvalidFile = 201;
inline constexpr int kNoBaseInfo = 202;
inline constexpr int kNoSlot = 203;
inline constexpr int kNoRip = 204;
inline constexpr int kNoRipMemory = 205;
inline constexpr int kNoArrayMemory = 206;
inline constexpr int kOpenPartition = 207;
inline constexpr int kNoFooter = 208;
inline constexpr int kBadVersion = 209;
inline constexpr int kBadPack = 210;
}  // namespace partition_codes

// Codes of the Preface step.
namespace preface_codes {
inline constexpr int kInvalidFile = 301;
inline constexpr int kNoBaseInfo = 302;
inline constexpr int kNoSlot = 303;
inline constexpr int kNotFound = 304;
inline constexpr int kNoMemory = 305;
inline constexpr int kNotOp1a = 306;
inline constexpr int kNotFrameWrapped = 307;
inline constexpr int kBadVersion = 308;
inline constexpr int kDamaged = 309;
}  // namespace preface_codes

// Codes of the timecode component step.
namespace timecode_codes {
inline constexpr int kInvalidFile = 401;
inline constexpr int kNoBaseInfo = 402;
inline constexpr int kNoSlot = 403;
inline constexpr int kNoTimecodeInfo = 404;
inline constexpr int kNoComponent = 405;
inline constexpr int kNoDuration = 406;
inline constexpr int kNoTimelineTrack = 407;
inline constexpr int kDamaged = 408;
inline constexpr int kUnknownTimecodeBase = 409;
inline constexpr int kUnknownEditRate = 410;
}  // namespace timecode_codes

// Codes of the file package step.
namespace file_package_codes {
inline constexpr int kInvalidFile = 501;
inline constexpr int kNoBaseInfo = 502;
inline constexpr int kNoSlot = 503;
inline constexpr int kNotFound = 504;
inline constexpr int kDamaged = 505;
}  // namespace file_package_codes

// Codes of the index table step, the content package layout check among them.
namespace index_codes {
inline constexpr int kInvalidFile = 601;
inline constexpr int kNoBaseInfo = 602;
inline constexpr int kNoSlot = 603;
inline constexpr int kNoTimecodeInfo = 604;
inline constexpr int kNoIndexSlot = 605;
inline constexpr int kNoSegment = 606;
inline constexpr int kTooManyDeltas = 607;
inline constexpr int kDamaged = 608;
inline constexpr int kOutsideFile = 609;
inline constexpr int kNoSystemItem = 610;
inline constexpr int kPictureNotFound = 611;
inline constexpr int kAudioNotLocated = 612;
inline constexpr int kNoEntries = 613;
inline constexpr int kAncNotLast = 614;
inline constexpr int kLayoutChanges = 615;
inline constexpr int kNoMemory = 616;
}  // namespace index_codes

// Codes of the audio descriptor step.
namespace audio_codes {
inline constexpr int kInvalidFile = 701;
inline constexpr int kNoBaseInfo = 702;
inline constexpr int kNoAudioInfo = 703;
inline constexpr int kNoSlot = 704;
inline constexpr int kNoIndexSlot = 705;
inline constexpr int kNoTrack = 706;
inline constexpr int kBadQuantization = 707;
inline constexpr int kBadSampleRate = 708;
inline constexpr int kUnknownCadence = 709;
inline constexpr int kDamaged = 710;
inline constexpr int kTooManyTracks = 711;
}  // namespace audio_codes

// Codes of the video descriptor step.
namespace video_codes {
inline constexpr int kInvalidFile = 801;
inline constexpr int kNoBaseInfo = 802;
inline constexpr int kNoSlot = 803;
inline constexpr int kNoVideoInfo = 804;
inline constexpr int kNotFound = 805;
inline constexpr int kNoCodingLabel = 806;
inline constexpr int kUnknownCoding = 807;
inline constexpr int kDamaged = 808;
}  // namespace video_codes

// Codes of the identification step (its result never stops the analysis).
namespace identification_codes {
inline constexpr int kInvalidFile = 901;
inline constexpr int kNoBaseInfo = 902;
inline constexpr int kNoSlot = 903;
inline constexpr int kDamaged = 904;
}  // namespace identification_codes

}  // namespace tavrin
