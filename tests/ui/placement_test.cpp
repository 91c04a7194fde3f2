// The window's placement between runs, stored with QSettings in a test's own configuration
// folder: a restart opens where the window was; a garbled or unreachable value and a first start
// give the default placement.
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include "app/window_placement.h"
#include "support/scripted_presenter.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/window_settings.h"

using namespace tavrin;

namespace {

QRect default_rect() {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const app::PlacementRect rect = app::default_placement(
      {screen.x(), screen.y(), screen.width(), screen.height()}, app::kMinimumWindowSize);
  return QRect(rect.left, rect.top, rect.width, rect.height);
}

QRect opened_window_rect() {
  app::APP_STATE_INFO app;
  test::ScriptedPresenter presenter;
  ui::MainWindow window(app, presenter);
  ui::restore_window_placement(window);
  return window.geometry();
}

}  // namespace

class PlacementTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(!config_.path().empty());
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config_.path()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(config_.path()));
  }
  void init() { QSettings(QStringLiteral("MXF_Tavrin")).clear(); }

  void firstStartUsesTheDefault() { QCOMPARE(opened_window_rect(), default_rect()); }

  void placementSurvivesARestart() {
    {
      app::APP_STATE_INFO app;
      test::ScriptedPresenter presenter;
      ui::MainWindow window(app, presenter);
      window.setGeometry(30, 40, 1300, 700);
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      window.close();  // stores the placement
    }
    const QByteArray stored = QSettings(QStringLiteral("MXF_Tavrin"))
                                  .value(QStringLiteral("Window/position"))
                                  .toByteArray();
    QCOMPARE(stored.size(), 16);
    QCOMPARE(opened_window_rect(), QRect(30, 40, 1300, 700));
  }

  void maximisedWindowIsStoredByItsNormalRectangle() {
    {
      app::APP_STATE_INFO app;
      test::ScriptedPresenter presenter;
      ui::MainWindow window(app, presenter);
      window.setGeometry(50, 60, 1290, 640);
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      window.showMaximized();
      QTest::qWait(20);
      window.close();
    }
    QCOMPARE(opened_window_rect(), QRect(50, 60, 1290, 640));
  }

  void garbledOrOffScreenValuesGiveTheDefault() {
    const std::array<QByteArray, 3> garbled = {QByteArray(15, 'x'), QByteArray(17, '\0'),
                                               QByteArray()};
    for (const QByteArray& value : garbled) {
      QSettings(QStringLiteral("MXF_Tavrin")).setValue(QStringLiteral("Window/position"), value);
      QCOMPARE(opened_window_rect(), default_rect());
    }
    QSettings(QStringLiteral("MXF_Tavrin"))
        .setValue(QStringLiteral("Window/position"), QStringLiteral("0,0,1300,700"));
    QCOMPARE(opened_window_rect(), default_rect());
    const auto far = app::encode_placement({90000, 90000, 1300, 700});
    QSettings(QStringLiteral("MXF_Tavrin"))
        .setValue(QStringLiteral("Window/position"),
                  QByteArray(reinterpret_cast<const char*>(far.data()), 16));
    QCOMPARE(opened_window_rect(), default_rect());
    // A small stored size grows to the minimum.
    const auto small = app::encode_placement({10, 20, 300, 200});
    QSettings(QStringLiteral("MXF_Tavrin"))
        .setValue(QStringLiteral("Window/position"),
                  QByteArray(reinterpret_cast<const char*>(small.data()), 16));
    QCOMPARE(opened_window_rect(), QRect(10, 20, 1280, 631));
  }

 private:
  test::TempDir config_;
};

QTEST_MAIN(PlacementTest)
#include "placement_test.moc"
