// The export dialog through its widgets over a working set: the range entered over the drawn
// fields, the pages of track buttons, select-all, taking over the wrapping range, the folder and
// prefix, and the refusals of "書出し(&E)". The form stays open after an export.
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/app_test_support.h"
#include "support/scripted_presenter.h"
#include "ui/export_dialog.h"
#include "ui/timecode_display.h"
#include "ui/track_button.h"

using tavrin::MessageIcon;
using tavrin::app::APP_STATE_INFO;
using tavrin::app::InOutPoint;
using tavrin::test::ScriptedPresenter;
using namespace tavrin::ui;

namespace {

// A shown export dialog over a file of `tracks` tracks, 10:00:00:00 + 300 frames at 30 fps.
struct Form {
  explicit Form(uint32_t tracks = 8) {
    tavrin::app::test::load_without_file(app, tracks);
    app.desktopPath = "/home/op/Desktop";
    dialog = std::make_unique<ExportDialog>(DialogContext{app, presenter, nullptr, {}}, nullptr);
    dialog->runExport = [this](QWidget* parent) {
      exportParents.push_back(parent);
      exportCounters.push_back(app.tracks.exportCounter);
    };
    dialog->show();
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
  }
  void type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  }
  QString accessibleName(QWidget* w) const {
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
  }
  bool accessibleDisabled(QWidget* w) const {
    return QAccessible::queryAccessibleInterface(w)->state().disabled;
  }
  std::string lastText() const {
    return presenter.shown.empty() ? "" : presenter.shown.back().message.text;
  }

  APP_STATE_INFO app;
  ScriptedPresenter presenter;
  std::unique_ptr<ExportDialog> dialog;
  std::vector<QWidget*> exportParents;
  std::vector<uint32_t> exportCounters;
};

}  // namespace

class ExportDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void opensWithItsTextsLimitsAndFocus() {
    Form f;
    ExportDialog& d = *f.dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral("WAV(BWF)ファイルの書出し"));
    QCOMPARE(d.inButton()->text(), QStringLiteral("from(&I)"));
    QCOMPARE(d.outButton()->text(), QStringLiteral("to(&O)"));
    QCOMPARE(d.wrapRangeButton()->text(), QStringLiteral("ラッピング範囲を使用(&P)"));
    QCOMPARE(d.folderButton()->text(), QStringLiteral("保存先(&D)"));
    QCOMPARE(d.previousPageButton()->text(), QStringLiteral("<(&-)"));
    QCOMPARE(d.nextPageButton()->text(), QStringLiteral(">(&+)"));
    QCOMPARE(d.selectAllButton()->text(), QStringLiteral("全て選択/解除(&G)"));
    QCOMPARE(d.exportButton()->text(), QStringLiteral("書出し(&E)"));
    QCOMPARE(d.closeButton()->text(), QStringLiteral("閉じる"));
    QCOMPARE(d.trackButton(0)->text(), QStringLiteral("Button1(&1)"));
    QCOMPARE(d.trackButton(7)->text(), QStringLiteral("Button8(&8)"));
    QCOMPARE(d.prefixField()->text(), QStringLiteral("Track-"));
    QCOMPARE(d.folderField()->text(), QStringLiteral("/home/op/Desktop"));
    QVERIFY(d.folderField()->isReadOnly());
    QCOMPARE(d.inField()->maxLength(), 11);
    QCOMPARE(d.outField()->maxLength(), 11);
    QCOMPARE(d.prefixField()->maxLength(), 32);
    QVERIFY(!d.inField()->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.inButton()));
    for (TimecodeDisplay* display : {d.inDisplay(), d.outDisplay(), d.durationDisplay()}) {
      QCOMPARE(display->text(), QStringLiteral("--:--:--:--"));
      QCOMPARE(f.accessibleName(display), QStringLiteral("--:--:--:--"));
    }
    QVERIFY(!d.previousPageButton()->isEnabled());
    QVERIFY(d.nextPageButton()->isEnabled());
  }

  void rangeIsEnteredOverTheDrawnFields() {
    Form f;
    ExportDialog& d = *f.dialog;
    QTest::mouseClick(d.inButton(), Qt::LeftButton);
    QVERIFY(d.inField()->isVisible());
    QCOMPARE(d.inField()->text(), QStringLiteral("00000000"));
    QCOMPARE(d.inField()->selectedText(), d.inField()->text());
    f.type(d.inField(), "10000010");
    QCOMPARE(d.inDisplay()->text(), QStringLiteral("10:00:00:10"));
    // The OUT field opens; the IN field, its point set, gives way to its display.
    QVERIFY(d.outField()->isVisible());
    QVERIFY(!d.inField()->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.outField()));
    f.type(d.outField(), "10000010");
    QCOMPARE(d.outDisplay()->text(), QStringLiteral("10:00:00:10"));
    QCOMPARE(d.durationDisplay()->text(), QStringLiteral("00:00:00:01"));
    QCOMPARE(f.accessibleName(d.durationDisplay()), QStringLiteral("00:00:00:01"));
    QVERIFY(!d.outField()->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.prefixField()));
    QVERIFY(f.presenter.shown.empty());

    // An IN after the OUT clears the OUT and opens its field.
    QTest::mouseDClick(d.inDisplay(), Qt::LeftButton);
    QVERIFY(d.inField()->isVisible());
    QCOMPARE(d.inField()->text(), QStringLiteral("10000010"));
    f.type(d.inField(), "10000020");
    QCOMPARE(d.outDisplay()->text(), QStringLiteral("--:--:--:--"));
    QCOMPARE(d.durationDisplay()->text(), QStringLiteral("--:--:--:--"));
    QVERIFY(d.outField()->isVisible());

    // An OUT before the IN is refused, the OUT is gone, its field stays open and selected.
    f.type(d.outField(), "10000015");
    QCOMPARE(f.lastText(), std::string("OUTポイントがINポイントよりも前になっています。"));
    QCOMPARE(f.presenter.shown.back().message.caption, std::string("タイムコード入力"));
    QCOMPARE(f.presenter.shown.back().message.icon, MessageIcon::kWarning);
    QCOMPARE(f.app.exportOutSet, uint8_t{0});
    QVERIFY(d.outField()->isVisible());
    QCOMPARE(d.outField()->selectedText(), QStringLiteral("10000015"));

    // Text that is no timecode, and a point outside the media, keep the field open.
    f.type(d.outField(), "10006000");
    QCOMPARE(f.lastText(), std::string("入力された数値が適切ではありません。"));
    QVERIFY(d.outField()->isVisible());
    f.type(d.outField(), "11000000");
    QCOMPARE(f.lastText(), std::string("メディアの終了タイムを越えています。"));
    QCOMPARE(d.outDisplay()->text(), QStringLiteral("--:--:--:--"));
    QTest::mouseDClick(d.inDisplay(), Qt::LeftButton);
    f.type(d.inField(), "09595929");
    QCOMPARE(f.lastText(), std::string("メディアの開始タイムより前になっています。"));
    QCOMPARE(d.inDisplay()->text(), QStringLiteral("--:--:--:--"));
    QVERIFY(d.inField()->isVisible());
  }

  void wrappingRangeIsTakenOverOrRefused() {
    Form f;
    ExportDialog& d = *f.dialog;
    QTest::mouseClick(d.wrapRangeButton(), Qt::LeftButton);
    QCOMPARE(f.lastText(), std::string("ラッピング用のIN/OUT点が正しくありません。"));
    QCOMPARE(f.presenter.shown.back().message.caption, std::string("設定の確認"));
    QVERIFY(!tavrin::app::enter_in(f.app, "10000100").has_value());
    QVERIFY(!tavrin::app::enter_out(f.app, "10000229").has_value());
    QTest::mouseClick(d.wrapRangeButton(), Qt::LeftButton);
    QCOMPARE(f.presenter.shown.size(), size_t{1});
    QCOMPARE(d.inDisplay()->text(), QStringLiteral("10:00:01:00"));
    QCOMPARE(d.outDisplay()->text(), QStringLiteral("10:00:02:29"));
    QCOMPARE(d.durationDisplay()->text(), QStringLiteral("00:00:02:00"));
  }

  void trackPagesFollowTheFile() {
    Form f(12);
    ExportDialog& d = *f.dialog;
    for (int slot = 0; slot < 8; ++slot) {
      QVERIFY(d.trackButton(slot)->isEnabled());
      QCOMPARE(f.accessibleName(d.trackButton(slot)), QStringLiteral("Track-%1").arg(slot + 1));
    }
    QTest::mouseClick(d.nextPageButton(), Qt::LeftButton);
    QVERIFY(d.previousPageButton()->isEnabled());
    for (int slot = 0; slot < 8; ++slot) {
      QCOMPARE(d.trackButton(slot)->isEnabled(), slot < 4);
      QCOMPARE(f.accessibleDisabled(d.trackButton(slot)), slot >= 4);
      QCOMPARE(f.accessibleName(d.trackButton(slot)), QStringLiteral("Track-%1").arg(slot + 9));
    }
    QTest::mouseClick(d.trackButton(2), Qt::LeftButton);
    QCOMPARE(f.app.tracks.exportMark[10], uint8_t{1});
    QVERIFY(d.trackButton(2)->isChecked());
    QTest::mouseClick(d.nextPageButton(), Qt::LeftButton);
    QVERIFY(!d.nextPageButton()->isEnabled());
    for (int slot = 0; slot < 8; ++slot) QVERIFY(!d.trackButton(slot)->isEnabled());
    QTest::mouseClick(d.previousPageButton(), Qt::LeftButton);
    QTest::mouseClick(d.trackButton(2), Qt::LeftButton);
    QCOMPARE(f.app.tracks.exportMark[10], uint8_t{0});
    QVERIFY(!d.trackButton(2)->isChecked());
    // The page is kept between openings of the form.
    ExportDialog again(DialogContext{f.app, f.presenter, nullptr, {}}, nullptr);
    QCOMPARE(f.accessibleName(again.trackButton(0)), QStringLiteral("Track-9"));
  }

  void selectAllSwitchesEveryTrackOnThenOff() {
    Form f(12);
    ExportDialog& d = *f.dialog;
    QCOMPARE(QKeySequence::mnemonic(d.selectAllButton()->text()), QKeySequence("Alt+G"));
    QTest::mouseClick(d.selectAllButton(), Qt::LeftButton);
    for (size_t t = 0; t < 24; ++t) QCOMPARE(f.app.tracks.exportMark[t], uint8_t(t < 12 ? 1 : 2));
    for (int slot = 0; slot < 8; ++slot) QVERIFY(d.trackButton(slot)->isChecked());
    QTest::mouseClick(d.selectAllButton(), Qt::LeftButton);
    for (size_t t = 0; t < 12; ++t) QCOMPARE(f.app.tracks.exportMark[t], uint8_t{0});
    for (int slot = 0; slot < 8; ++slot) QVERIFY(!d.trackButton(slot)->isChecked());
    // The track buttons carry the mnemonics Alt+1 ... Alt+8; Space presses a focused one.
    QCOMPARE(QKeySequence::mnemonic(d.trackButton(2)->text()), QKeySequence("Alt+3"));
    d.trackButton(2)->setFocus();
    QTest::keyClick(d.trackButton(2), Qt::Key_Space);
    QCOMPARE(f.app.tracks.exportMark[2], uint8_t{1});
  }

  void exportChecksItsFormAndStaysOpen() {
    Form f;
    ExportDialog& d = *f.dialog;
    QTest::mouseClick(d.exportButton(), Qt::LeftButton);
    QCOMPARE(f.lastText(), std::string("書出し用IN/OUTポイントが正しく設定されていません。"));
    QCOMPARE(f.presenter.shown.back().message.caption, std::string("タイムコードの確認"));
    QVERIFY(d.inField()->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.inField()));
    f.type(d.inField(), "10000000");
    f.type(d.outField(), "10000100");

    QTest::mouseClick(d.exportButton(), Qt::LeftButton);
    QCOMPARE(f.lastText(), std::string("書出しトラックのON/OFFスイッチが全てOFFになっています。"));
    QCOMPARE(f.presenter.shown.back().message.icon, MessageIcon::kInformation);
    QTest::mouseClick(d.trackButton(1), Qt::LeftButton);

    d.prefixField()->setText("../up");
    QTest::mouseClick(d.exportButton(), Qt::LeftButton);
    QCOMPARE(f.presenter.shown.back().message.caption, std::string("設定の確認"));
    QVERIFY(f.exportParents.empty());
    QCOMPARE(f.app.tracks.exportCounter, 0u);

    d.prefixField()->setText("Take-");
    // Enter in a field stores it and never presses a button of the form.
    d.prefixField()->setFocus();
    QTest::keyClick(d.prefixField(), Qt::Key_Return);
    QVERIFY(f.exportParents.empty());
    QCOMPARE(f.app.tracks.exportPrefix, std::string("Take-"));
    QTest::mouseClick(d.exportButton(), Qt::LeftButton);
    QCOMPARE(f.exportParents, std::vector<QWidget*>{&d});
    QCOMPARE(f.exportCounters, std::vector<uint32_t>{1});
    QCOMPARE(f.app.tracks.exportPrefix, std::string("Take-"));
    QCOMPARE(f.app.tracks.exportFolder, std::string("/home/op/Desktop"));
    QVERIFY(d.isVisible());
    QTest::mouseClick(d.exportButton(), Qt::LeftButton);
    QCOMPARE(f.exportCounters, (std::vector<uint32_t>{1, 2}));
    QTest::mouseClick(d.closeButton(), Qt::LeftButton);
    QVERIFY(!d.isVisible());
  }

  void folderAndPrefixAreStored() {
    Form f;
    ExportDialog& d = *f.dialog;
    f.presenter.folders = {std::nullopt, std::string("/srv/out")};
    QTest::mouseClick(d.folderButton(), Qt::LeftButton);
    QCOMPARE(d.folderField()->text(), QStringLiteral("/home/op/Desktop"));
    QTest::mouseClick(d.folderButton(), Qt::LeftButton);
    QCOMPARE(f.presenter.folderStarts,
             (std::vector<std::string>{"/home/op/Desktop", "/home/op/Desktop"}));
    QCOMPARE(d.folderField()->text(), QStringLiteral("/srv/out"));
    QCOMPARE(f.app.tracks.exportFolder, std::string("/srv/out"));

    d.prefixField()->setFocus();
    d.prefixField()->selectAll();
    QTest::keyClicks(d.prefixField(), "Mix-");
    QTest::keyClick(d.prefixField(), Qt::Key_Return);
    QCOMPARE(f.app.tracks.exportPrefix, std::string("Mix-"));
    QVERIFY(d.isVisible());
    QTest::keyClicks(d.prefixField(), "A");
    d.inButton()->setFocus();
    QCOMPARE(f.app.tracks.exportPrefix, std::string("Mix-A"));
  }
};

QTEST_MAIN(ExportDialogTest)
#include "export_dialog_test.moc"
