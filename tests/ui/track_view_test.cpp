// The track view as drawn: rows, switches, marks, notes, the banner, the scroll buttons, and what
// clicks, double clicks and the wheel report.
#include <QSignalSpy>
#include <QTest>

#include "support/window_state.h"
#include "ui/look.h"
#include "ui/track_view.h"
#include "ui/window_pictures.h"

using namespace tavrin;

namespace {

// A view client that holds 9 whole rows and 26 pixels of a tenth.
constexpr int kWidth = 1280;
constexpr int kNineAndAHalf = 340 + 52 * 9 + 26;

QImage picture_of(ui::TrackView& view) {
  return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class TrackViewTest : public QObject {
  Q_OBJECT
 private slots:
  void twentyFourTracksInNineAndAHalfRows() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 24, "/media/show.mxf");
    ui::TrackView view(app);
    view.resize(kWidth, kNineAndAHalf);
    view.relayout();
    const app::TrackViewScroll& scroll = view.scroll_state();
    QCOMPARE(scroll.visibleRows, 10);
    QCOMPARE(scroll.up, app::ScrollButtonState::kHidden);
    QCOMPARE(scroll.down, app::ScrollButtonState::kNormal);
    const app::ViewRect up = app::up_button(scroll);
    const app::ViewRect down = app::down_button(scroll);
    QImage image = picture_of(view);
    // The down button is drawn, the up button's place shows the band.
    const QColor buttonBlue(0, 110, 180);
    QVERIFY(test::has_colour(image, QRect(down.x, down.y, down.width, down.height), buttonBlue, 8));
    QVERIFY(!test::has_colour(image, QRect(up.x, up.y, up.width, up.height), buttonBlue, 8));
    // The tenth row is cut by the band's drawn part: its switch shows only partly.
    QVERIFY(view.switch_rect(9).bottom() > app::track_clip(scroll).bottom());

    // To the end with the down button: track 24 whole at the bottom, the first row cut.
    QSignalSpy scrolled(&view, &ui::TrackView::scrolled);
    for (int i = 0; i < 20; ++i) {
      QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(down.x + 26, down.y + 26));
      if (view.scroll_state().down == app::ScrollButtonState::kHidden) break;
      QTest::qWait(1);
    }
    QCOMPARE(view.scroll_state().lastVisible(), 23);
    QCOMPARE(view.scroll_state().alignment, app::RowAlignment::kBottom);
    QVERIFY(view.row_rect(23).bottom() < app::track_clip(view.scroll_state()).bottom() + 4);
    QVERIFY(view.row_rect(14).top() < app::track_clip(view.scroll_state()).y);
    QCOMPARE(scrolled.count(), 15);
    image = picture_of(view);
    QVERIFY(test::has_colour(image, QRect(up.x, up.y, up.width, up.height), buttonBlue, 8));
    QVERIFY(
        !test::has_colour(image, QRect(down.x, down.y, down.width, down.height), buttonBlue, 8));
  }

  void allTracksFitWithoutScrollButtons() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 8, "/media/show.mxf");
    ui::TrackView view(app);
    view.resize(kWidth, 340 + 52 * 8 + 10);
    view.relayout();
    QCOMPARE(view.scroll_state().up, app::ScrollButtonState::kHidden);
    QCOMPARE(view.scroll_state().down, app::ScrollButtonState::kHidden);
    const QImage image = picture_of(view);
    const app::ViewRect up = app::up_button(view.scroll_state());
    const app::ViewRect down = app::down_button(view.scroll_state());
    const QColor buttonBlue(0, 110, 180);
    QVERIFY(!test::has_colour(image, QRect(up.x, up.y, up.width, up.height), buttonBlue, 8));
    QVERIFY(
        !test::has_colour(image, QRect(down.x, down.y, down.width, down.height), buttonBlue, 8));
    // Wheel and keys change nothing.
    QWheelEvent wheel(QPointF(400, 300), view.mapToGlobal(QPointF(400, 300)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    QCOMPARE(view.scroll_state().firstVisible, 0);
  }

  void stereoPairShowsLAndRAndAnOffFileItsNote() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 8, "/media/show.mxf");
    WAV_LIBRARY_ENTRY& stereo = test::fake_library_entry(app, "mix_stereo.wav", 2);
    WAV_LIBRARY_ENTRY& mono = test::fake_library_entry(app, "narration.wav", 1);
    test::fake_assign(app, stereo, 0, kTrackOn);
    test::fake_assign(app, mono, 3, kTrackOff);
    app.selectedTrack.fill(0);
    app.currentTrack = 6;
    ui::TrackView view(app);
    view.resize(kWidth, 800);
    view.relayout();
    const QImage image = picture_of(view);
    const app::TrackViewScroll& scroll = view.scroll_state();
    // "L" on track 1, "R" on track 2, in the mark colour, both rows on the darker band.
    for (int row : {0, 1}) {
      const app::ViewRect mark = app::row_mark(scroll, row);
      QVERIFY(test::has_colour(image, QRect(mark.x, mark.y, mark.width, mark.height),
                               ui::colour::kMark, 20));
    }
    QVERIFY(view.row_description(0).endsWith(QStringLiteral(" L")));
    QVERIFY(view.row_description(1).endsWith(QStringLiteral(" R")));
    // The stereo band over the band colour: 180/255 of RGB(0, 20, 30) over RGB(9, 60, 81).
    const QRect row0 = view.row_rect(0);
    QCOMPARE(image.pixelColor(row0.right() - 3, row0.top() + 3), QColor(3, 32, 45));
    // Track 4: name in teal on the left, the green half with its note on the right.
    const QRect row3 = view.row_rect(3);
    QVERIFY(test::has_colour(image, QRect(row3.left(), row3.top(), row3.width() / 2, row3.height()),
                             ui::colour::kNameOff, 12));
    QVERIFY(!test::has_colour(
        image, QRect(row3.left(), row3.top(), row3.width() / 2, row3.height()), Qt::white, 40));
    const QColor green = image.pixelColor(row3.right() - 3, row3.top() + 3);
    QVERIFY2(
        qAbs(green.red() - 3) <= 2 && qAbs(green.green() - 81) <= 2 && qAbs(green.blue() - 59) <= 2,
        qPrintable(green.name()));
    QVERIFY(test::has_colour(image,
                             QRect(row3.center().x(), row3.top(), row3.width() / 2, row3.height()),
                             Qt::white, 30));
    QVERIFY(view.row_description(3).contains(QStringLiteral("書換えは実行されません")));
    // An empty OFF track says so in grey; the ON file is white.
    QVERIFY(view.row_description(4).contains(QStringLiteral("書換えは実行されません")));
    QVERIFY(test::has_colour(image, view.row_rect(4), ui::colour::kNote, 12));
    QVERIFY(
        test::has_colour(image, QRect(row0.left(), row0.top(), 200, row0.height()), Qt::white, 10));
  }

  void selectedTracksAreDrawnVisibly() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 8, "/media/show.mxf");
    app.selectedTrack.fill(0);
    app.selectedTrack[2] = 1;
    ui::TrackView view(app);
    view.resize(kWidth, 800);
    view.relayout();
    const QImage image = picture_of(view);
    QVERIFY(test::has_colour(image, view.row_rect(2), ui::colour::kSelectedTrackEdge, 10));
    QVERIFY(!test::has_colour(image, view.row_rect(5), ui::colour::kSelectedTrackEdge, 10));
  }

  void bannerWithoutAFile() {
    app::APP_STATE_INFO app;
    ui::TrackView view(app);
    view.resize(kWidth, 800);
    view.relayout();
    const QImage image = picture_of(view);
    const app::ViewRect band = app::track_band(view.scroll_state());
    QVERIFY(test::has_colour(image, QRect(band.x, band.y, band.width, band.height),
                             ui::colour::kBanner, 10));
    QVERIFY(test::has_colour(image, QRect(band.x, band.y, band.width, band.height),
                             ui::colour::kBannerTool, 30));
    QVERIFY(!test::has_colour(image, QRect(band.x, band.y, band.width, band.height),
                              ui::colour::kNote, 3));
    QCOMPARE(view.scroll_state().trackCount, 0);
  }

  void quickClicksOnSwitchesAreSingleClicks() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 24, "/media/show.mxf");
    ui::TrackView view(app);
    view.resize(kWidth, kNineAndAHalf);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.relayout();
    QSignalSpy switches(&view, &ui::TrackView::switchClicked);
    QSignalSpy doubles(&view, &ui::TrackView::rowDoubleClicked);
    QSignalSpy rows(&view, &ui::TrackView::rowClicked);
    const QPoint onSwitch = view.switch_rect(2).center();
    QTest::mouseClick(&view, Qt::LeftButton, {}, onSwitch);
    QTest::mouseDClick(&view, Qt::LeftButton, {}, onSwitch);
    QCOMPARE(switches.count(), 2);
    QCOMPARE(switches.at(1).at(0).toInt(), 2);
    QCOMPARE(doubles.count(), 0);
    // The scroll button the same: two rows for a quick double click.
    const app::ViewRect down = app::down_button(view.scroll_state());
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(down.x + 20, down.y + 20));
    QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(down.x + 20, down.y + 20));
    QCOMPARE(view.scroll_state().firstVisible, 2);
    // A double click on a row is one.
    const QPoint onRow = view.row_rect(4).center();
    QTest::mouseClick(&view, Qt::LeftButton, Qt::ShiftModifier, onRow);
    QTest::mouseDClick(&view, Qt::LeftButton, {}, onRow);
    QCOMPARE(doubles.count(), 1);
    QCOMPARE(doubles.at(0).at(0).toInt(), 4);
    QCOMPARE(rows.at(0).at(0).toInt(), 4);
    QCOMPARE(rows.at(0).at(1).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    // A click on the cut last row makes it whole first.
    const int cut = view.scroll_state().firstVisible + 9;
    QTest::mouseClick(&view, Qt::LeftButton, {}, view.row_rect(cut).topLeft() + QPoint(50, 5));
    QCOMPARE(rows.last().at(0).toInt(), cut);
    QCOMPARE(view.scroll_state().alignment, app::RowAlignment::kBottom);
  }

  void wheelMovesOneRowPerMessage() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 24, "/media/show.mxf");
    ui::TrackView view(app);
    view.resize(kWidth, kNineAndAHalf);
    view.relayout();
    auto wheel = [&](int delta) {
      QWheelEvent event(QPointF(400, 300), view.mapToGlobal(QPointF(400, 300)), QPoint(),
                        QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(&view, &event);
    };
    wheel(-360);
    QCOMPARE(view.scroll_state().firstVisible, 1);
    wheel(-60);
    QCOMPARE(view.scroll_state().firstVisible, 1);
    wheel(120);
    QCOMPARE(view.scroll_state().firstVisible, 0);
  }

  void picturesStaySharpAtTwiceTheScale() {
    // The 72 switch pictures differ from each other, at 1x and at 2x.
    QSet<QByteArray> seen;
    for (int track = 0; track < 24; ++track) {
      for (int value = 0; value < 3; ++value) {
        const QPixmap picture = ui::track_switch_picture(track, value, 2.0);
        QCOMPARE(picture.size(), QSize(104, 104));
        QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(52, 52));
        const QImage image = picture.toImage();
        seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                               static_cast<int>(image.sizeInBytes())));
      }
    }
    QCOMPARE(seen.size(), 72);
  }
};

QTEST_MAIN(TrackViewTest)
#include "track_view_test.moc"
