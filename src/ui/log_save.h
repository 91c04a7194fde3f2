// The save loop of a text log, shared by the analysis dialog (LTC error log) and the progress
// dialog (wrap detail log): the save dialog, then the writer; a log that could not be written is
// reported and the save dialog offered again, until a log is written or the operator cancels.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ui/message_presenter.h"
#include "wav/user_message.h"

namespace tavrin::ui {

// What one attempt to write the log came to: written (every write and the close succeeded) or
// not, and the message to show either way.
struct LogSaveAttempt {
  bool written = false;
  UserMessage message;
};

// Runs the loop with the save dialog titled `title`. Returns the path of the written log, or
// nothing when the operator cancelled the save dialog.
std::optional<std::string> run_log_save_loop(
    MessagePresenter& presenter, QWidget* parent, const std::string& title,
    const std::function<LogSaveAttempt(const std::string& path)>& write);

}  // namespace tavrin::ui
