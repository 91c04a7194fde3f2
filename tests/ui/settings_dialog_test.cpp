// The settings dialog over the working set: what OK stores, what キャンセル and Esc keep, and
// where the dialog opens.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/app_state.h"
#include "support/modal.h"
#include "support/scripted_presenter.h"
#include "ui/settings_dialog.h"

using tavrin::app::APP_STATE_INFO;
using tavrin::test::when_modal;
using tavrin::ui::SettingsDialog;

class SettingsDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void showsItsTextsAndTheDefaults() {
    APP_STATE_INFO app;
    SettingsDialog dialog(app, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("設定"));
    QCOMPARE(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("ファイル処理"));
    QCOMPARE(dialog.fileApiBox()->text(), QStringLiteral("標準ファイルI/O APIで処理する"));
    QVERIFY(!dialog.fileApiBox()->isChecked());
    QStringList items;
    for (int i = 0; i < dialog.bufferList()->count(); ++i)
      items << dialog.bufferList()->itemText(i);
    QCOMPARE(items, (QStringList{"1", "2", "3", "4", "8", "10", "12", "14", "16", "18", "20", "22",
                                 "24", "28"}));
    QCOMPARE(dialog.bufferList()->currentText(), QStringLiteral("8"));
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
    QVERIFY(labels.contains(QStringLiteral("WAVファイルのバッファ")));
    QVERIFY(labels.contains(
        QStringLiteral("MXFファイルロードやラッピング・WAV書出し時にエラーが起こる場合に、\nチェッ"
                       "クを入れて下さい。"
                       "\nメモリが4GBを下まわるPCの場合は4以下をお試しください。")));
    QCOMPARE(dialog.okButton()->text(), QStringLiteral("OK"));
    QVERIFY(dialog.okButton()->isDefault());
    QCOMPARE(dialog.cancelButton()->text(), QStringLiteral("キャンセル"));
  }

  void okStoresAndReopeningShowsTheChoice() {
    APP_STATE_INFO app;
    {
      SettingsDialog dialog(app, nullptr);
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.fileApiBox()));
      dialog.bufferList()->setCurrentIndex(dialog.bufferList()->findText("2"));
      QTest::keyClick(dialog.fileApiBox(), Qt::Key_Space);
      QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QCOMPARE(app.tracks.wavBufferIndex, 1u);
    QCOMPARE(app.useFileApi, uint8_t{1});
    SettingsDialog again(app, nullptr);
    QCOMPARE(again.bufferList()->currentText(), QStringLiteral("2"));
    QVERIFY(again.fileApiBox()->isChecked());
  }

  void cancelAndEscKeepTheSettings() {
    APP_STATE_INFO app;
    app.tracks.wavBufferIndex = 1;
    for (const bool byEsc : {false, true}) {
      SettingsDialog dialog(app, nullptr);
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      dialog.bufferList()->setCurrentIndex(13);
      dialog.fileApiBox()->setChecked(true);
      if (byEsc) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
      } else {
        QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
      }
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      QVERIFY(!dialog.isVisible());
      QCOMPARE(app.tracks.wavBufferIndex, 1u);
      QCOMPARE(app.useFileApi, uint8_t{0});
    }
  }

  // OK with no item selected keeps the previous position instead of storing -1.
  void okWithoutASelectedItemKeepsTheBuffer() {
    APP_STATE_INFO app;
    app.tracks.wavBufferIndex = 7;
    SettingsDialog dialog(app, nullptr);
    dialog.bufferList()->setCurrentIndex(-1);
    dialog.accept();
    QCOMPARE(app.tracks.wavBufferIndex, 7u);
  }

  // The journal: on and beside the MXF file by default; the folder comes from the folder browser
  // (opened where the journal would go), "既定に戻す" goes back to beside the file; OK applies
  // both, キャンセル neither.
  void theJournalIsOnByDefaultAndItsFolderIsChosenThroughTheBrowser() {
    APP_STATE_INFO app;
    app.mxfPath = "/media/show/PROG.mxf";
    tavrin::test::ScriptedPresenter presenter;
    {
      SettingsDialog dialog(app, nullptr, &presenter);
      QCOMPARE(dialog.findChildren<QGroupBox*>().at(1)->title(), QStringLiteral("元に戻す"));
      QCOMPARE(dialog.journalBox()->text(),
               QStringLiteral("ラッピング前の音声を記録して元に戻せるようにする"));
      QVERIFY(dialog.journalBox()->isChecked());
      QCOMPARE(dialog.journalFolderField()->text(), QStringLiteral("MXFファイルと同じフォルダー"));
      QVERIFY(dialog.journalFolderField()->isReadOnly());
      presenter.folders = {std::nullopt, std::string("/journals")};
      QTest::mouseClick(dialog.journalFolderButton(), Qt::LeftButton);  // cancelled
      QCOMPARE(dialog.journalFolderField()->text(), QStringLiteral("MXFファイルと同じフォルダー"));
      QTest::mouseClick(dialog.journalFolderButton(), Qt::LeftButton);
      QCOMPARE(dialog.journalFolderField()->text(), QStringLiteral("/journals"));
      QCOMPARE(presenter.folderStarts, (std::vector<std::string>{"/media/show", "/media/show"}));
      dialog.journalBox()->setChecked(false);
      dialog.reject();
    }
    QCOMPARE(app.journalOff, uint8_t{0});
    QCOMPARE(app.journalFolder, std::string());
    {
      SettingsDialog dialog(app, nullptr, &presenter);
      presenter.folders = {std::string("/journals")};
      QTest::mouseClick(dialog.journalFolderButton(), Qt::LeftButton);
      dialog.journalBox()->setChecked(false);
      dialog.accept();
    }
    QCOMPARE(app.journalOff, uint8_t{1});
    QCOMPARE(app.journalFolder, std::string("/journals"));
    {
      SettingsDialog dialog(app, nullptr, &presenter);
      QVERIFY(!dialog.journalBox()->isChecked());
      QCOMPARE(dialog.journalFolderField()->text(), QStringLiteral("/journals"));
      presenter.folders = {std::nullopt};
      QTest::mouseClick(dialog.journalFolderButton(), Qt::LeftButton);
      QCOMPARE(presenter.folderStarts.back(), std::string("/journals"));
      QTest::mouseClick(dialog.journalFolderResetButton(), Qt::LeftButton);
      QCOMPARE(dialog.journalFolderField()->text(), QStringLiteral("MXFファイルと同じフォルダー"));
      dialog.journalBox()->setChecked(true);
      dialog.accept();
    }
    QCOMPARE(app.journalOff, uint8_t{0});
    QCOMPARE(app.journalFolder, std::string());
  }

  void opensModalAndCentredOverItsOwner() {
    APP_STATE_INFO app;
    QWidget owner;
    owner.setGeometry(100, 80, 1280, 700);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    bool checked = false;
    when_modal<SettingsDialog>([&](SettingsDialog* dialog) {
      const QRect frame = owner.frameGeometry();
      QVERIFY(std::abs(dialog->pos().x() + dialog->width() / 2 - (frame.x() + frame.width() / 2)) <=
              1);
      QVERIFY(std::abs(dialog->pos().y() + dialog->height() / 2 -
                       (frame.y() + frame.height() / 2)) <= 1);
      QVERIFY(dialog->isModal());
      checked = true;
      dialog->reject();
    });
    tavrin::ui::run_settings_dialog(app, &owner);
    QVERIFY(checked);
  }
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
