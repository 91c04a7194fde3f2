// The texts of the main window's two tooltips: the facts of the loaded MXF file over the file
// name line, and the assigned file of a track row.
#pragma once

#include <string>

#include "app/app_state.h"

namespace tavrin::app {

inline constexpr const char* kMxfTooltipTitle = "ファイルクリエータ情報";

struct TooltipText {
  std::string text;
  int maxWidth = 200;  // pixels
};

// With a loaded file: name, folder, size, dates, writer, MXF version and element facts;
// otherwise "情報はありません。".
TooltipText mxf_tooltip(const APP_STATE_INFO& app);

// The assigned file of `track` (0-based): its name, folder, size, bits, channels and timecodes;
// otherwise "ファイルが割当てられていません。".
TooltipText track_tooltip(const APP_STATE_INFO& app, int track);
inline std::string track_tooltip_text(const APP_STATE_INFO& app, int track) {
  return track_tooltip(app, track).text;
}

}  // namespace tavrin::app
