#include "app/command_table.h"

namespace tavrin::app {

const CommandInfo* find_command(int32_t id) {
  for (const CommandInfo& command : kCommands) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

std::string_view menu_label(std::string_view menuText) {
  return menuText.substr(0, menuText.find('\t'));
}

std::string_view menu_key_text(std::string_view menuText) {
  const size_t tab = menuText.find('\t');
  return tab == std::string_view::npos ? std::string_view() : menuText.substr(tab + 1);
}

}  // namespace tavrin::app
