// Saving a log at the path the operator chose in a save dialog, as both progress dialogs do: the
// result is a message to show and whether the save dialog is to be offered again.
#pragma once

#include <string>

#include "wav/user_message.h"

namespace tavrin::app {

struct LogSaveResult {
  bool written = false;  // the log is complete: every write and the close succeeded
  // Offer the save dialog again (after showing `message`): the log could not be written.
  bool retry = false;
  std::string path;     // the path the log was (or was to be) written to
  UserMessage message;  // the success message, or the failure message naming the log's path
  std::string status;   // the status-bar text after the attempt; empty = leave it as it is
  // For a failure: the writer's "<path>: <system error> (errno N)", for a console or a trace.
  std::string detail;
};

// The path a save dialog with the default extension "txt" gives: ".txt" is added when the chosen
// file name has no extension.
std::string with_txt_extension(const std::string& chosenPath);

}  // namespace tavrin::app
