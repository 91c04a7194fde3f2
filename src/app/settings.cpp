#include "app/settings.h"

namespace tavrin::app {

SettingsValues settings_values(const APP_STATE_INFO& app) {
  SettingsValues values;
  values.useFileApi = app.useFileApi != 0;
  const uint32_t index = app.tracks.wavBufferIndex;
  values.wavBufferIndex = index < kWavBufferItems.size() ? static_cast<int32_t>(index)
                                                         : int32_t{kDefaultWavBufferIndex};
  values.journalOn = app.journalOff == 0;
  values.journalFolder = app.journalFolder;
  return values;
}

void accept_settings(APP_STATE_INFO& app, bool useFileApi, int32_t selectedItem) {
  app.useFileApi = useFileApi ? 1 : 0;
  if (selectedItem >= 0 && static_cast<size_t>(selectedItem) < kWavBufferItems.size()) {
    app.tracks.wavBufferIndex = static_cast<uint32_t>(selectedItem);
  }
}

}  // namespace tavrin::app
