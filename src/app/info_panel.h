// The facts of the main window's information panel, as captions and value texts.
#pragma once

#include <string>
#include <vector>

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

}  // namespace tavrin::app
