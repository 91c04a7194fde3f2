#include "ui/log_save.h"

namespace tavrin::ui {

std::optional<std::string> run_log_save_loop(
    MessagePresenter& presenter, QWidget* parent, const std::string& title,
    const std::function<LogSaveAttempt(const std::string& path)>& write) {
  for (;;) {
    const std::optional<std::string> path = presenter.ask_log_path(parent, title);
    if (!path) return std::nullopt;
    const LogSaveAttempt attempt = write(*path);
    presenter.show(parent, attempt.message);
    if (attempt.written) return path;
  }
}

}  // namespace tavrin::ui
