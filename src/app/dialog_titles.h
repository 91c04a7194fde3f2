// Window titles of the program's dialogs that no other part of the working set names.
#pragma once

namespace tavrin::app {

// Both progress dialogs: the analysis and the wrapping/export job.
inline constexpr const char* kProgressDialogTitle = "MXF Corvane ver 2.0";

}  // namespace tavrin::app
