// How the window puts questions to the operator: the message records of the core as top-most
// message boxes with their exact text, caption, icon and buttons, the save dialog of the text
// logs and the folder browser. Dialogs take a presenter by reference, so tests answer Yes/No and
// choose paths without a modal box.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "wav/user_message.h"

class QFileDialog;
class QMessageBox;
class QWidget;

namespace tavrin::ui {

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  // Shows the message and waits for the operator. True for "はい" (and for the OK of a plain
  // message), false for "いいえ".
  virtual bool show(QWidget* parent, const UserMessage& message) = 0;
  // A Yes/No question with "いいえ" preselected when `defaultYes` is false (a step that cannot be
  // taken back). True for "はい".
  virtual bool ask_question(QWidget* parent, const UserMessage& question, bool defaultYes) = 0;
  // The save dialog of a text log titled `title`: filter "テキスト(*.txt)", ".txt" added to a name
  // without an extension, confirmation before an existing file is replaced. Empty when the
  // operator cancels.
  virtual std::optional<std::string> ask_log_path(QWidget* parent, const std::string& title) = 0;
  // The folder browser titled `title`, opened at `start`. Empty when the operator cancels.
  virtual std::optional<std::string> ask_folder(QWidget* parent, const std::string& title,
                                                const std::string& start) = 0;
};

// The presenter of the running program: modal Qt boxes and file dialogs.
class QtMessagePresenter final : public MessagePresenter {
 public:
  bool show(QWidget* parent, const UserMessage& message) override;
  bool ask_question(QWidget* parent, const UserMessage& question, bool defaultYes) override;
  std::optional<std::string> ask_log_path(QWidget* parent, const std::string& title) override;
  std::optional<std::string> ask_folder(QWidget* parent, const std::string& title,
                                        const std::string& start) override;
};

// The caption a message box shows when the record names none: the system's default caption of
// a message box.
inline constexpr const char* kDefaultMessageCaption = "エラー";
// The filter of the logs' save dialog.
inline constexpr const char* kLogFileFilter = "テキスト(*.txt)";

// The box of a message record, not yet shown: top-most, plain text ("\r\n" shown as one line
// break), the caption (or the default one), the icon, and "はい(&Y)"/"いいえ(&N)" with Yes as the
// default button (No with `defaultYes` false), or a single "OK".
std::unique_ptr<QMessageBox> make_message_box(QWidget* parent, const UserMessage& message,
                                              bool defaultYes = true);
// The save dialog of a log, not yet shown.
std::unique_ptr<QFileDialog> make_log_save_dialog(QWidget* parent, const std::string& title);

// UTF-8 text of the core as a QString, and back.
inline QString qs(const std::string& text) {
  return QString::fromStdString(text);
}
inline std::string ss(const QString& text) {
  return text.toStdString();
}

}  // namespace tavrin::ui
