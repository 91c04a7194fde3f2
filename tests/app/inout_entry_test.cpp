// The IN and OUT points of the main window: what the entry field shows, what is refused, and how
// one point withdraws or bounds the other.
#include <gtest/gtest.h>

#include "app/inout.h"
#include "app_test_support.h"

namespace tavrin::app {
namespace {

using test::load_without_file;
using test::set_media;

TEST(InOutPoints, EntryTextsAndTheLimitsOfTheBase) {
  APP_STATE_INFO app;
  set_media(app.timecode(), 1, {0, 0, 0, 0}, 25 * 60);  // 25 fps, one minute from midnight
  load_without_file(app, 2);
  EXPECT_EQ(in_out_text(app, InOutPoint::kIn), "00000000");  // never set

  ASSERT_FALSE(enter_in(app, "1:2"));
  EXPECT_EQ(in_label(app), "00:00:00:12");
  EXPECT_EQ(in_out_text(app, InOutPoint::kIn), "00000012");

  const auto refused = enter_in(app, "24:00:00:00");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, "不適切な値が入力されています。");
  EXPECT_EQ(refused->caption, "タイムコード入力");
  EXPECT_EQ(app.inSet, 0);  // the earlier IN is withdrawn
  EXPECT_EQ(in_label(app), "--:--:--:--");

  EXPECT_TRUE(enter_out(app, "00000025"));
  EXPECT_FALSE(enter_out(app, "00000024"));
  EXPECT_EQ(out_label(app), "00:00:00:24");
  EXPECT_TRUE(enter_out(app, "00010000"));  // one frame past the end
  EXPECT_EQ(app.outSet, 0);
}

TEST(InOutPoints, AnInAfterTheOutClearsTheOutSilently) {
  APP_STATE_INFO app;
  load_without_file(app, 2);
  ASSERT_FALSE(enter_in(app, "10000100"));
  ASSERT_FALSE(enter_out(app, "10000200"));
  EXPECT_EQ(duration_label(app), "00:00:01:01");
  EXPECT_FALSE(enter_in(app, "10000300"));
  EXPECT_EQ(app.outSet, 0);
  const std::array<uint32_t, 2> zero{};
  EXPECT_EQ(app.tracks.outFrame, zero);
  EXPECT_EQ(duration_label(app), "--:--:--:--");
  // An IN on the OUT itself keeps it.
  ASSERT_FALSE(enter_out(app, "10000300"));
  EXPECT_FALSE(enter_in(app, "10000300"));
  EXPECT_EQ(app.outSet, 1);
  EXPECT_EQ(duration_label(app), "00:00:00:01");
}

TEST(InOutPoints, AnOutBeforeTheInIsRefusedAndWithdrawsTheOut) {
  APP_STATE_INFO app;
  load_without_file(app, 2);
  ASSERT_FALSE(enter_in(app, "10000100"));
  ASSERT_FALSE(enter_out(app, "10000200"));
  const auto refused = enter_out(app, "10000029");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, "入力データがINポイントよりも前になっています。");
  EXPECT_EQ(app.outSet, 0);
  EXPECT_EQ(app.inSet, 1);
  EXPECT_FALSE(entry_closes_on_focus_loss(app, InOutPoint::kOut));
  EXPECT_TRUE(entry_closes_on_focus_loss(app, InOutPoint::kIn));
}

TEST(InOutPoints, OnlyASetInBoundsTheOut) {
  APP_STATE_INFO app;
  load_without_file(app, 2);
  ASSERT_FALSE(enter_in(app, "10000500"));
  ASSERT_TRUE(enter_in(app, "9"));  // before the media: the IN is withdrawn, its counts stay
  EXPECT_EQ(app.inSet, 0);
  EXPECT_FALSE(enter_out(app, "10000100"));
  EXPECT_EQ(app.outSet, 1);
}

TEST(InOutPoints, TheActiveBaseOrdersAFileThatRunsPastMidnight) {
  APP_STATE_INFO app;
  set_media(app.timecode(), 1, {23, 59, 0, 0}, 25 * 120);  // 23:59:00:00 .. 00:00:59:24
  load_without_file(app, 2);
  EXPECT_FALSE(enter_in(app, "23595000"));
  EXPECT_FALSE(enter_out(app, "00001000"));  // after the IN although a smaller timecode
  EXPECT_EQ(duration_label(app), "00:00:20:01");
  EXPECT_TRUE(enter_out(app, "23594000"));  // before the IN
  EXPECT_TRUE(enter_in(app, "00010000"));   // past the end
  EXPECT_TRUE(enter_in(app, "23585924"));   // before the start
}

}  // namespace
}  // namespace tavrin::app
