// The facts of the main window's information panel, as captions and value texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "mxf/records.h"

namespace tavrin::app {

struct PanelFact {
  std::string group;    // "Time code", "Audio", "Video"
  std::string caption;  // "Rate", "Head", ...
  std::string value;
};

// The rate text of a rate code ("29.97"); empty for a code without one (5 and above 7).
std::string rate_text(uint32_t rateCode);

// The twelve facts in the panel's order: Rate, Head, Tail, Dur, Format, Tracks, Bit Rate, Fs Rate
// (audio), Codec, Bit Rate, FPS, Size (video). Without a loaded file the texts of the empty panel.
std::vector<PanelFact> information_panel(const MXF_BASE_INFO* loaded);

// The file name line: the MXF file's name, or the prompt of the empty window.
std::string file_name_line(const std::string& mxfPath, bool loaded);

// The timecode text of a frame count of the file, as the panel shows Head and Tail.
std::string frame_timecode_text(const MXF_TIMECODE_INFO& timecode, int64_t frame);

// The "< MXF情報 >" block that opens both logs, for the analysed file of the working set, dated
// now.
std::string mxf_info_block_text(const APP_STATE_INFO& app);

// The name of the analysis step of a section code ("Randam Index Table" ...; "N/A" for none), and
// the reason an analysis ended with `code` in that step, as the failure message states it.
std::string_view analysis_section_name(int sectionCode);
std::string analysis_reason_text(const APP_STATE_INFO& app, int sectionCode, int code);

// The program's name and version, as the logs open with them ("MXF Tavrin 1.0.0.0").
std::string_view program_version_text();

}  // namespace tavrin::app
