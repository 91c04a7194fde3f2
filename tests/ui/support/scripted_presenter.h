// A presenter that answers from a script instead of showing modal boxes: it records every
// message in order, answers Yes/No questions from a queue (No when the queue is empty), and hands
// out save paths and folders from queues (a cancel when empty).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/message_presenter.h"

namespace tavrin::test {

struct ShownMessage {
  UserMessage message;
  bool answer = false;
  std::string parentTitle;  // window title of the parent, to tell which dialog asked
  bool defaultYes = true;   // the answer the box would preselect
};

class ScriptedPresenter final : public ui::MessagePresenter {
 public:
  bool show(QWidget* parent, const UserMessage& message) override;
  bool ask_question(QWidget* parent, const UserMessage& question, bool defaultYes) override;
  std::optional<std::string> ask_log_path(QWidget* parent, const std::string& title) override;
  std::optional<std::string> ask_folder(QWidget* parent, const std::string& title,
                                        const std::string& start) override;

  std::deque<bool> answers;                      // Yes (true) / No for each question
  std::deque<std::optional<std::string>> paths;  // save dialog: a path, or nullopt = cancel
  std::deque<std::optional<std::string>> folders;
  // Called for every message before it is answered (tests look at the dialog's state then).
  std::function<void(const UserMessage&)> onShow;

  std::vector<ShownMessage> shown;
  std::vector<std::string> saveTitles;  // titles of the save dialogs asked for, in order
  std::vector<std::string> folderStarts;

  // The texts of the messages shown, in order.
  std::vector<std::string> texts() const;
};

}  // namespace tavrin::test
