// Which commands and buttons are enabled, from the facts of the working set: a file is loaded
// (L), the library list is shown (S), the library holds files (N), IN and OUT are set (I, O),
// how many library files are selected, how many tracks exist, whether a job runs and whether
// the last wrap can be taken back. The window applies the result to
// every menu item, action and button after each change, and carries out a command (from a menu,
// a key, a button, the context menu or a double click) only while it is enabled.
#pragma once

#include <array>
#include <cstdint>

#include "app/app_state.h"
#include "app/command_table.h"

namespace tavrin::app {

struct CommandStates {
  std::array<bool, kCommands.size()> commands{};  // by position in kCommands
  std::array<bool, kButtons.size()> buttons{};    // by position in kButtons
  bool inLabelOpens = false;   // a click on the IN label opens the IN field (L, tracks)
  bool outLabelOpens = false;  // a click on the OUT label opens the OUT field (L, I, tracks)

  // The state of command `id` or button `id`; false for an unknown id.
  bool command(int32_t id) const;
  bool button(int32_t id) const;
};

CommandStates command_state(const APP_STATE_INFO& app);

// The state of one command in the state as it stands (the guard before carrying it out).
bool command_enabled(const APP_STATE_INFO& app, int32_t id);

}  // namespace tavrin::app
