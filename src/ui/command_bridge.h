// The window's view of the command table: each command's id, its texts in the main menu and the
// context menu, its key, and whether it is enabled in the working set's present state.
#pragma once

#include <QKeySequence>
#include <QString>
#include <vector>

#include "app/app_state.h"

namespace tavrin::ui {

struct WindowCommand {
  int id = 0;
  QString menuText;     // with "\t" and the key text as written, empty when not in the menu
  QString contextText;  // empty when not in the context menu
  QKeySequence key;     // empty when the command has no accelerator
};

const std::vector<WindowCommand>& window_commands();
bool command_enabled(const app::APP_STATE_INFO& app, int commandId);

// Command ids the window refers to by name.
namespace cmd {
inline constexpr int kLoad = 32843;
inline constexpr int kUnload = 32856;
inline constexpr int kAddWav = 32800;
inline constexpr int kExport = 32794;
inline constexpr int kWrap = 32793;
inline constexpr int kExit = 105;
inline constexpr int kSelectAll = 32799;
inline constexpr int kToggleAll = 32897;
inline constexpr int kToggleSelected = 32911;
inline constexpr int kDelete = 32831;
inline constexpr int kToggleLibrary = 32832;
inline constexpr int kAssign = 32797;
inline constexpr int kSortFirst = 32868;
inline constexpr int kOpenFolder = 32884;
inline constexpr int kSetIn = 32795;
inline constexpr int kSetOut = 32815;
inline constexpr int kSettings = 32889;
inline constexpr int kAbout = 104;
}  // namespace cmd

// The ten sort commands in the menu's order (column 0 .. 9 of the list).
inline constexpr int kSortCommands[10] = {32868, 32869, 32870, 32871, 32872,
                                          32882, 32873, 32874, 32875, 32876};

}  // namespace tavrin::ui
