#include "ui/message_presenter.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>

namespace tavrin::ui {

namespace {

QMessageBox::Icon box_icon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kWarning:
      return QMessageBox::Warning;
    case MessageIcon::kError:
      return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

std::unique_ptr<QMessageBox> make_message_box(QWidget* parent, const UserMessage& message,
                                              bool defaultYes) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowModality(Qt::ApplicationModal);
  box->setWindowTitle(message.caption.empty() ? QString::fromUtf8(kDefaultMessageCaption)
                                              : qs(message.caption));
  box->setTextFormat(Qt::PlainText);
  QString text = qs(message.text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  box->setText(text);
  box->setIcon(box_icon(message.icon));
  if (message.yesNo) {
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box->button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box->button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box->setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
  } else {
    box->setStandardButtons(QMessageBox::Ok);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box->setDefaultButton(QMessageBox::Ok);
  }
  // Top-most, as every message of the program.
  box->setWindowFlags(box->windowFlags() | Qt::WindowStaysOnTopHint);
  return box;
}

std::unique_ptr<QFileDialog> make_log_save_dialog(QWidget* parent, const std::string& title) {
  auto dialog = std::make_unique<QFileDialog>(parent, qs(title));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setNameFilter(QString::fromUtf8(kLogFileFilter));
  dialog->setDefaultSuffix(QStringLiteral("txt"));
  dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog->setOption(QFileDialog::ReadOnly, false);
  dialog->selectFile(QString());
  return dialog;
}

bool QtMessagePresenter::show(QWidget* parent, const UserMessage& message) {
  const std::unique_ptr<QMessageBox> box = make_message_box(parent, message);
  return box->exec() != QMessageBox::No;
}

bool QtMessagePresenter::ask_question(QWidget* parent, const UserMessage& question,
                                      bool defaultYes) {
  const std::unique_ptr<QMessageBox> box = make_message_box(parent, question, defaultYes);
  return box->exec() == QMessageBox::Yes;
}

std::optional<std::string> QtMessagePresenter::ask_log_path(QWidget* parent,
                                                            const std::string& title) {
  const std::unique_ptr<QFileDialog> dialog = make_log_save_dialog(parent, title);
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog->selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
  return ss(files.front());
}

std::optional<std::string> QtMessagePresenter::ask_folder(QWidget* parent, const std::string& title,
                                                          const std::string& start) {
  const QString folder =
      QFileDialog::getExistingDirectory(parent, qs(title), qs(start), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return ss(folder);
}

}  // namespace tavrin::ui
