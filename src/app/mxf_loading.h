// Loading and unloading the MXF file of the working set: opening it for the analysis, and
// completing or resetting the load by the analysis's outcome. The analysis itself runs in the
// analysis dialog (the jobs of the working set) between begin_load and complete_load.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/outcome.h"
#include "jobs/runner.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "wav/user_message.h"

namespace tavrin::app {

// Where a load comes from: the menu (or the load button) or a drop on the main window. The
// captions and texts of the refusals differ.
enum class LoadOrigin { kMenu, kDrop };

// The open dialog of the load command.
inline constexpr const char* kMxfOpenDialogTitle = "MXFファイルをロード";
inline constexpr const char* kMxfFilterName = "MXF(*.mxf)";
inline constexpr const char* kMxfFilterPattern = "*.mxf";

// Opens the MXF file as the analysis needs it: read only, existing files only, no sharing.
platform::File open_mxf_for_analysis(const std::string& path, platform::Status* status);

// The refusal of a wrapping or export job whose MXF file another job is using (its lock is held
// elsewhere), with the file's name (no folder).
UserMessage mxf_in_use_message(const std::string& path);

// The first half of a load. Refused (information) while a file is loaded:
// "MXFファイルはすでにロード されています。…" with caption "MXF Tavrin" from the menu,
// "MXFファイルのロード" from a drop. A file that cannot be opened gives the error box of its origin
// with the file's name (no folder) and the system error number in hexadecimal. Otherwise the file
// is open in `mxfHandle`, its path is in `mxfPath`, the verification counters, `analysisOk`, the IN
// point and the export range are cleared, and the job kind is the analysis: `started` says the
// analysis dialog is to run now, followed by complete_load.
struct LoadStart {
  bool started = false;
  Messages messages;  // the refusal or the open failure
};
LoadStart begin_load(APP_STATE_INFO& app, const std::string& path, LoadOrigin origin);

// The analysis dialog as a load runs it: it analyses the file held in `mxfHandle` and sets
// `analysisOk`. The window runs its modal dialog here; tests run the analysis directly.
using AnalysisDialog = std::function<void(APP_STATE_INFO&)>;

// begin_load, the analysis dialog when the file opened, complete_load. Returns begin_load's
// messages (the dialog shows its own). True in `started` when the analysis ran.
LoadStart load_mxf(APP_STATE_INFO& app, const std::string& path, LoadOrigin origin,
                   const AnalysisDialog& analyse);

// Completes a load after the analysis dialog: closes `mxfHandle`; with analysisOk set, track 1 is
// selected, every existing track is switched OFF with no export mark and the file counts as
// loaded; otherwise the working set is reset as unload does (the path cleared).
void complete_load(APP_STATE_INFO& app);

// Empties the working set: the library list hidden, the library emptied, the IN/OUT points and
// the export range cleared, every slot without a file at switch 2, only track 1 selected, the
// records of the file released.
void unload(APP_STATE_INFO& app);

}  // namespace tavrin::app
