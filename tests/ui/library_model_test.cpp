// The library list's model over the display order: the ten columns, their texts, alignment and
// assigned flag, under QAbstractItemModelTester while files come, go and are sorted.
#include <QAbstractItemModelTester>
#include <QTest>

#include "support/window_state.h"
#include "ui/library_model.h"
#include "wav/wav_sort.h"

using namespace tavrin;

class LibraryModelTest : public QObject {
  Q_OBJECT
 private slots:
  void columnsHeadersAndCells() {
    app::APP_STATE_INFO app;
    test::fake_loaded_file(app, 8, "/media/show.mxf");
    ui::LibraryModel model(app);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 10);
    const QStringList headers = {
        "ファイル名",         "Ch",   "ビット", "サンプル", "開始TC +SF  *fract",
        "終了TC +SF  *fract", "長さ", "作成日", "更新日時", "サイズ"};
    const int widths[] = {310, 40, 50, 60, 165, 165, 125, 140, 140, 100};
    for (int column = 0; column < 10; ++column) {
      QCOMPARE(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
               headers[column]);
      QCOMPARE(ui::LibraryModel::column_width(column), widths[column]);
    }
    WAV_LIBRARY_ENTRY& first = test::fake_library_entry(app, "b.wav", 2);
    test::fake_library_entry(app, "a.wav", 1);
    model.reload();
    QCOMPARE(model.rowCount(), 2);
    for (int column = 0; column < 10; ++column) {
      QCOMPARE(model.index(0, column).data().toString(),
               QString::fromStdString(first.texts[static_cast<size_t>(column)]));
    }
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("2"));
    const auto alignment = [&](int column) {
      return Qt::Alignment(model.index(0, column).data(Qt::TextAlignmentRole).toInt()) &
             Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(alignment(0), Qt::AlignLeft);
    QCOMPARE(alignment(4), Qt::AlignHCenter);
    QCOMPARE(alignment(9), Qt::AlignRight);
    QCOMPARE(model.index(0, 0).data(Qt::UserRole).toBool(), false);
    first.assigned = 1;
    model.refresh_rows();
    QCOMPARE(model.index(0, 0).data(Qt::UserRole).toBool(), true);
    QCOMPARE(model.index(0, 0).data(Qt::ToolTipRole).toString(),
             QStringLiteral("/media/audio/b.wav"));
    // Sorting moves only the display order; the model reads it again.
    sort_wav_library(app.library, app.libraryView, kSortByName);
    model.reload();
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("a.wav"));
    QVERIFY(!model.index(5, 0).isValid());
    QCOMPARE(model.entry(7), nullptr);
    // Emptied (unload).
    clear_wav_library(app.library, app.libraryView);
    model.reload();
    QCOMPARE(model.rowCount(), 0);
  }
};

QTEST_MAIN(LibraryModelTest)
#include "library_model_test.moc"
