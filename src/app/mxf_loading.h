// Loading and unloading the MXF file of the working set: opening it for the analysis, and
// completing or resetting the load by the analysis dialog's decision.
#pragma once

#include <string>

#include "app/app_state.h"
#include "platform/file.h"

namespace tavrin::app {

// Opens the MXF file as the analysis needs it: read only, existing files only, no sharing.
platform::File open_mxf_for_analysis(const std::string& path, platform::Status* status);

// Completes a load after the analysis: with analysisOk set, track 1 is selected, every existing
// track is switched OFF with no export mark and the file counts as loaded; otherwise the working
// set is reset as unload does.
void complete_load(APP_STATE_INFO& app);

// Empties the working set.
void unload(APP_STATE_INFO& app);

}  // namespace tavrin::app
