// A message for the operator as the core hands it to a front end: the window shows it as a
// top-most message box, the command line prints it. The core never shows anything itself.
#pragma once

#include <string>

namespace tavrin {

enum class MessageIcon { kInformation, kWarning, kError };

struct UserMessage {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::kInformation;
  bool yesNo = false;  // a confirmation answered with Yes or No; otherwise a plain OK box
};

}  // namespace tavrin
