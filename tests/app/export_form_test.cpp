// The export form: its range entry, the wrapping range taken over, the pages of track buttons,
// select-all, the prefix and folder, and the checks before an export starts.
#include <gtest/gtest.h>

#include "app/export_form.h"
#include "app/inout.h"
#include "app_test_support.h"
#include "export/export_names.h"
#include "support/wav_fixture.h"

namespace tavrin::app {
namespace {

using test::load_without_file;
using test::set_media;

TEST(ExportForm, InEqualToOutIsOneFrameAndAnOutBeforeTheInIsRefused) {
  APP_STATE_INFO app;
  load_without_file(app, 4);
  EXPECT_EQ(export_point_display(app, InOutPoint::kIn), "--:--:--:--");
  ASSERT_FALSE(enter_export_in(app, "10:00:01:00"));
  ASSERT_FALSE(enter_export_out(app, "10000100"));
  EXPECT_EQ(export_duration_display(app), "00:00:00:01");
  EXPECT_EQ(export_point_display(app, InOutPoint::kOut), "10:00:01:00");
  EXPECT_EQ(export_entry_text(app, InOutPoint::kOut), "10000100");

  const auto refused = enter_export_out(app, "10000029");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, "OUTポイントがINポイントよりも前になっています。");
  EXPECT_EQ(refused->caption, "タイムコード入力");
  EXPECT_EQ(app.exportOutSet, 0);  // the earlier OUT is gone
  EXPECT_EQ(app.tracks.exportOut, (std::array<uint32_t, 2>{0, 0}));

  // An IN after the OUT clears the OUT.
  ASSERT_FALSE(enter_export_out(app, "10000200"));
  ASSERT_FALSE(enter_export_in(app, "10000201"));
  EXPECT_EQ(app.exportOutSet, 0);
  EXPECT_EQ(export_duration_display(app), "--:--:--:--");

  const auto bad = enter_export_in(app, "10000030");
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->text, "入力された数値が適切ではありません。");
  EXPECT_EQ(app.exportInSet, 0);
  // A refused IN bounds no OUT.
  EXPECT_FALSE(enter_export_out(app, "10000001"));
  EXPECT_TRUE(enter_export_out(app, "11000000"));  // past the end
}

TEST(ExportForm, AFileFromHour23PastMidnightTakesAnInAfterMidnight) {
  APP_STATE_INFO app;
  set_media(app.timecode(), 1, {23, 0, 0, 0}, 25 * 3600 * 2);  // 23:00:00:00 .. 00:59:59:24
  load_without_file(app, 2);
  EXPECT_FALSE(enter_export_in(app, "00100000"));
  EXPECT_EQ(export_point_display(app, InOutPoint::kIn), "00:10:00:00");
  EXPECT_FALSE(enter_export_out(app, "00595924"));
  EXPECT_EQ(export_duration_display(app), "00:50:00:00");
  EXPECT_TRUE(enter_export_in(app, "22595924"));   // before the start
  EXPECT_TRUE(enter_export_out(app, "01000000"));  // past the end
}

TEST(ExportForm, TheWrappingRangeIsTakenOverOnlyWhenBothPointsAreSet) {
  APP_STATE_INFO app;
  load_without_file(app, 4);
  ASSERT_FALSE(enter_in(app, "10000010"));
  const auto refused = use_wrapping_range(app);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, "ラッピング用のIN/OUT点が正しくありません。");
  EXPECT_EQ(refused->caption, "設定の確認");
  EXPECT_EQ(app.exportInSet, 0);
  ASSERT_FALSE(enter_out(app, "10000109"));
  EXPECT_FALSE(use_wrapping_range(app));
  EXPECT_EQ(app.tracks.exportIn, app.tracks.inFrame);
  EXPECT_EQ(app.tracks.exportOut, app.tracks.outFrame);
  EXPECT_EQ(export_duration_display(app), "00:00:01:00");
}

std::string enabled_buttons(const ExportTrackPage& page) {
  std::string s;
  for (const ExportTrackButton& b : page.buttons) s += b.enabled ? (b.marked ? 'M' : 'x') : '.';
  return s;
}

TEST(ExportForm, TwelveTracksFillPageOneAndHalfOfPageTwo) {
  APP_STATE_INFO app;
  load_without_file(app, 12);
  ExportTrackPage page = export_track_page(app);
  EXPECT_EQ(enabled_buttons(page), "xxxxxxxx");
  EXPECT_FALSE(page.previousEnabled);
  EXPECT_TRUE(page.nextEnabled);
  export_page_next(app);
  toggle_export_mark(app, 1);
  toggle_export_mark(app, 6);  // track 15 does not exist
  page = export_track_page(app);
  EXPECT_EQ(page.buttons[0].track, 8);
  EXPECT_EQ(enabled_buttons(page), "xMxx....");
  EXPECT_EQ(app.tracks.exportMark[14], kTrackAbsent);
  export_page_next(app);
  export_page_next(app);  // stays on the last page
  page = export_track_page(app);
  EXPECT_EQ(page.page, 2);
  EXPECT_EQ(enabled_buttons(page), "........");
  EXPECT_TRUE(page.previousEnabled);
  EXPECT_FALSE(page.nextEnabled);
  export_page_previous(app);
  toggle_export_mark(app, 1);
  EXPECT_EQ(app.tracks.exportMark[9], 0);
}

TEST(ExportForm, SelectAllSwitchesEveryExistingTrackOnThenOff) {
  APP_STATE_INFO app;
  load_without_file(app, 12);
  app.tracks.exportMark[3] = 1;
  toggle_export_all(app);
  for (size_t t = 0; t < 12; ++t) EXPECT_EQ(app.tracks.exportMark[t], 1) << t;
  EXPECT_EQ(app.tracks.exportMark[12], kTrackAbsent);
  toggle_export_all(app);
  for (size_t t = 0; t < 12; ++t) EXPECT_EQ(app.tracks.exportMark[t], 0) << t;
  EXPECT_EQ(app.tracks.exportMark[23], kTrackAbsent);
}

TEST(ExportForm, ThePrefixAndFolderFieldsAndTheChecksBeforeAnExport) {
  APP_STATE_INFO app;
  load_without_file(app, 4);
  app.desktopPath = "/home/op/Desktop";
  EXPECT_EQ(export_prefix_field(app), "Track-");
  EXPECT_EQ(export_folder_field(app), "/home/op/Desktop");

  auto refusal = prepare_export_job(app, "Track-", "/out");
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->text, "書出し用IN/OUTポイントが正しく設定されていません。");
  EXPECT_EQ(refusal->caption, "タイムコードの確認");
  ASSERT_FALSE(enter_export_in(app, "10000000"));
  ASSERT_FALSE(enter_export_out(app, "10000010"));
  refusal = prepare_export_job(app, "Track-", "/out");
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->text, "書出しトラックのON/OFFスイッチが全てOFFになっています。");
  EXPECT_EQ(refusal->icon, MessageIcon::kInformation);
  app.tracks.exportMark[2] = 1;

  for (const char* bad : {"../x", "sub/Track-", ".", ".."}) {
    SCOPED_TRACE(bad);
    refusal = prepare_export_job(app, bad, "/out");
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->caption, "設定の確認");
    EXPECT_EQ(app.tracks.exportCounter, 0u);
    EXPECT_NE(app.jobKind, jobs::JobKind::kExport);
  }

  // An empty prefix names the files by the track number alone.
  EXPECT_FALSE(prepare_export_job(app, "", "/out"));
  EXPECT_EQ(app.jobKind, jobs::JobKind::kExport);
  EXPECT_EQ(app.tracks.exportCounter, 1u);
  EXPECT_EQ(app.tracks.exportFolder, "/out");
  tavrin::test::ScratchDir dir;
  EXPECT_EQ(export_track_path(dir.path(), app.tracks.exportPrefix, 3, 1), dir.path() + "/3.wav");
  EXPECT_EQ(export_prefix_field(app), "Track-");  // the next opening
  EXPECT_EQ(export_folder_field(app), "/out");
  EXPECT_FALSE(prepare_export_job(app, "..Take.1-", "/out"));
  EXPECT_EQ(app.tracks.exportCounter, 2u);
}

TEST(ExportForm, APrefixIsMeasuredInBytesAgainstTheFileNameLimit) {
  APP_STATE_INFO app;
  load_without_file(app, 12);
  ASSERT_FALSE(enter_export_in(app, "10000000"));
  ASSERT_FALSE(enter_export_out(app, "10000010"));
  app.tracks.exportMark[11] = 1;  // track 12: two digits
  std::string kana;
  for (int i = 0; i < 80; ++i) kana += "あ";  // 240 bytes, 80 UTF-16 units
  // "<prefix>12.wav 1.wav": 240 + 2 + 4 + 1 + 1 + 4 = 252 bytes.
  EXPECT_FALSE(check_export_prefix(app, kana, 1));
  EXPECT_TRUE(check_export_prefix(app, kana, 10000));  // 256 bytes
  EXPECT_TRUE(prepare_export_job(app, kana + "ああ", "/out"));
  EXPECT_EQ(app.tracks.exportCounter, 0u);
  EXPECT_FALSE(prepare_export_job(app, kana, "/out"));
}

}  // namespace
}  // namespace tavrin::app
