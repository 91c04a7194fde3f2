// The analysis steps, in the order the job runner runs them. Each step returns 0 on success or a
// code whose hundreds are its section (201 .. for the partitions, 301 .. for the Preface, ...);
// the runner turns section and code into the message of its table. A step never shows a message.
#pragma once

#include "mxf/records.h"
#include "platform/byte_source.h"

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
int verify_sdti_timecode(const ByteSource* mxfHandle, MXF_BASE_INFO* mxf);

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

}  // namespace tavrin
