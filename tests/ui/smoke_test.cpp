// The window library links and a widget can be made offscreen.
#include <QTest>
#include <QWidget>

class SmokeTest : public QObject {
  Q_OBJECT
 private slots:
  void widgetShowsOffscreen() {
    QWidget widget;
    widget.resize(100, 50);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
  }
};

QTEST_MAIN(SmokeTest)
#include "smoke_test.moc"
