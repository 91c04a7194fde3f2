// The destination folder the operator chose in the folder browser of the export form.
#pragma once

#include <string>

#include "app/app_state.h"

namespace tavrin::app {

// Stores the chosen folder as the export folder, whole: a folder longer than the field holds is
// kept as it is (and refused by the export's checks) rather than cut into the path of another
// folder.
void store_export_folder(APP_STATE_INFO& app, const std::string& folder);

}  // namespace tavrin::app
