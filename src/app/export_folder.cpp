#include "app/export_folder.h"

namespace tavrin::app {

void store_export_folder(APP_STATE_INFO& app, const std::string& folder) {
  app.tracks.exportFolder = folder;
}

}  // namespace tavrin::app
