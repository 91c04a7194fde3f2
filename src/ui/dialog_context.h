// What every dialog of the program works with: the one working set, the presenter of its
// messages and file dialogs, the owner window it is modal over, and the main window's status bar.
#pragma once

#include <functional>
#include <string>

#include "app/app_state.h"
#include "platform/text.h"
#include "ui/message_presenter.h"

class QWidget;

namespace tavrin::ui {

struct DialogContext {
  app::APP_STATE_INFO& app;
  MessagePresenter& presenter;
  QWidget* owner = nullptr;
  // Part 0 of the main window's status bar; empty texts are never passed.
  std::function<void(const std::string&)> setStatus;
  // The encoding of the logs (the user's locale unless chosen otherwise).
  platform::TextEncoding logEncoding = platform::TextEncoding::kLocale;

  void status(const std::string& text) const {
    if (setStatus && !text.empty()) setStatus(text);
  }
};

}  // namespace tavrin::ui
