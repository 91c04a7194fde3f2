// The "< MXF情報 >" block that opens both logs (the LTC error log and the wrap detail log): the
// file, its identification, the essence facts of the analysis and its timecode range. Produced as
// UTF-8 text; the log writer converts it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mxf/records.h"
#include "platform/local_time.h"

namespace tavrin::jobs {

// The timecode text of the logs, "%02d:%02d:%02d%c%02d", of an actual frame count: '.' before the
// frames when the drop flag is set, ':' otherwise. Counts are taken as the signed 32-bit numbers
// the records' fields make.
std::string log_timecode(uint32_t fpsCode, uint32_t dropFrame, uint32_t actualCount);

// The rate name of an edit rate code: "24", "25", "30", "60", "23.98", "DMY", "29.97", "59.94";
// empty for a code outside the table.
std::string_view rate_name(uint32_t rateCode);

// The scan letter of the video: "i" for interlaced (MPEG field item 2), "p" for progressive (item
// 1, or the two XAVC rows of the coding table); empty when the descriptor says neither.
std::string_view scan_letter(const MXF_VIDEO_INFO& video);

// "DF" for 29.97 or 59.94 with the drop flag set, otherwise "NDF".
std::string_view drop_frame_label(uint32_t dropFrame, uint32_t rateCode);

// The block for the MXF file at `mxfPath` as its records describe it, with the local time the log
// is written at. Records the analysis did not reach (null pointers, no index) print as zero.
std::string mxf_info_block(const std::string& mxfPath, const MXF_BASE_INFO& mxf,
                           const platform::LocalTime& writtenAt);

}  // namespace tavrin::jobs
