#include "support/scripted_presenter.h"

#include <QWidget>

namespace tavrin::test {

bool ScriptedPresenter::show(QWidget* parent, const UserMessage& message) {
  if (onShow) onShow(message);
  bool answer = true;
  if (message.yesNo) {
    answer = !answers.empty() && answers.front();
    if (!answers.empty()) answers.pop_front();
  }
  shown.push_back({message, answer, parent != nullptr ? parent->windowTitle().toStdString() : ""});
  return answer;
}

bool ScriptedPresenter::ask_question(QWidget* parent, const UserMessage& question,
                                     bool defaultYes) {
  const bool answer = show(parent, question);
  shown.back().defaultYes = defaultYes;
  return answer;
}

std::optional<std::string> ScriptedPresenter::ask_log_path(QWidget*, const std::string& title) {
  saveTitles.push_back(title);
  if (paths.empty()) return std::nullopt;
  std::optional<std::string> path = paths.front();
  paths.pop_front();
  return path;
}

std::optional<std::string> ScriptedPresenter::ask_folder(QWidget*, const std::string&,
                                                         const std::string& start) {
  folderStarts.push_back(start);
  if (folders.empty()) return std::nullopt;
  std::optional<std::string> folder = folders.front();
  folders.pop_front();
  return folder;
}

std::vector<std::string> ScriptedPresenter::texts() const {
  std::vector<std::string> out;
  for (const ShownMessage& m : shown) out.push_back(m.message.text);
  return out;
}

}  // namespace tavrin::test
