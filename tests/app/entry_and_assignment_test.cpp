// The rules the window and the command line share before a job: what an IN/OUT entry means,
// which ranges are refused, and which WAV files may go on which tracks.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/app_state.h"
#include "app/inout.h"
#include "app/track_assignment.h"

namespace tavrin::app {
namespace {

TEST(TimecodeEntry, DigitsAreTakenFromTheRightWithinTheLimitsOfTheBase) {
  struct Case {
    const char* text;
    uint32_t fpsCode;
    std::optional<tc::Timecode> want;
  };
  const Case cases[] = {
      {"10:00:00;00", 2, tc::Timecode{10, 0, 0, 0}},
      {"1234", 2, std::nullopt},                       // 00:00:12:34: frame above 29
      {"1:2-3", 2, tc::Timecode{0, 0, 1, 23}},         // other characters are skipped
      {"912345629", 2, tc::Timecode{12, 34, 56, 29}},  // only the last eight digits count
      {"", 1, tc::Timecode{0, 0, 0, 0}},
      {"00000024", 1, tc::Timecode{0, 0, 0, 24}},
      {"00000025", 1, std::nullopt},
      {"00000059", 3, tc::Timecode{0, 0, 0, 59}},
      {"00000024", 0, std::nullopt},
      {"24000000", 2, std::nullopt},
      {"00600000", 2, std::nullopt},
      {"00006000", 2, std::nullopt},
      {"00000000", 4, std::nullopt},  // no such base
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " at fps code " + std::to_string(c.fpsCode));
    const std::optional<tc::Timecode> got = parse_timecode_entry(c.text, c.fpsCode);
    ASSERT_EQ(got.has_value(), c.want.has_value());
    if (got) {
      EXPECT_EQ(*got, *c.want);
    }
  }
}

// A loaded file of 10:00:00:00 … 10:00:09:29 at 30 fps, two or three tracks of 24 bit.
void load(APP_STATE_INFO& app, uint32_t tracks, uint32_t bits = 24) {
  MXF_TIMECODE_INFO& t = app.timecode();
  t.fpsCode = 2;
  t.dropFrame = 0;
  t.startFrame = 1080000;
  t.endFrame = 1080299;
  app.audio().trackCount = tracks;
  app.audio().quantizationBits = bits;
  app.mxfLoaded = 1;
}

TEST(InOutEntry, RangeAndOrderAreCheckedInTheActiveBase) {
  APP_STATE_INFO app;
  load(app, 2);
  EXPECT_FALSE(enter_in(app, "10000100").has_value());
  EXPECT_EQ(app.tracks.inFrame[0], 1080030u);
  EXPECT_TRUE(enter_out(app, "10000000").has_value());  // before the IN: refused
  EXPECT_EQ(app.outSet, 0);
  EXPECT_FALSE(enter_out(app, "10000929").has_value());
  EXPECT_EQ(app.outSet, 1);
  EXPECT_TRUE(check_point_entry("09595929", app.timecode()).refusal.has_value());
  EXPECT_TRUE(check_point_entry("10001000", app.timecode()).refusal.has_value());
  EXPECT_TRUE(check_point_entry("10000929", app.timecode()).frames.has_value());
}

TEST(TrackAssignment, BitDepthAndStereoRulesKeepEveryWriteInsideTheFile) {
  WAV_LIBRARY_ENTRY mono24, mono16, stereo, surround;
  mono24.info.channels = 1;
  mono24.info.bits_per_sample = 24;
  mono16.info.channels = 1;
  mono16.info.bits_per_sample = 16;
  stereo.info.channels = 2;
  stereo.info.bits_per_sample = 16;
  surround.info.channels = 6;
  surround.info.bits_per_sample = 24;

  APP_STATE_INFO app;
  load(app, 3, 16);
  EXPECT_TRUE(assign_file(app, &mono24, 0).has_value());  // 24 bit on 16-bit audio
  EXPECT_FALSE(assign_file(app, &mono16, 0).has_value());
  EXPECT_TRUE(assign_file(app, &stereo, 1).has_value());  // track 2: an even track number
  EXPECT_TRUE(assign_file(app, &stereo, 2).has_value());  // track 3 of 3: no partner
  EXPECT_TRUE(assign_file(app, &surround, 0).has_value());
  EXPECT_EQ(app.tracks.wavEntry[2], nullptr);

  // A stereo file on track 1 takes tracks 1 and 2 and gives track 2 the switch of track 1;
  // a mono file on its second half takes the whole pair off.
  app.tracks.trackSwitch[0] = 1;
  ASSERT_FALSE(assign_file(app, &stereo, 0).has_value());
  EXPECT_EQ(app.tracks.wavEntry[0], &stereo);
  EXPECT_EQ(app.tracks.wavEntry[1], &stereo);
  EXPECT_EQ(app.tracks.trackSwitch[1], 1);
  EXPECT_EQ(mono16.assigned, 0);  // replaced on track 1
  ASSERT_FALSE(assign_file(app, &mono16, 1).has_value());
  EXPECT_EQ(app.tracks.wavEntry[0], nullptr);
  EXPECT_EQ(app.tracks.wavEntry[1], &mono16);
  EXPECT_EQ(stereo.assigned, 0);
  EXPECT_FALSE(assign_file(app, &mono16, 3).has_value());  // no track 4: ignored
  EXPECT_EQ(app.tracks.wavEntry[3], nullptr);
}

}  // namespace
}  // namespace tavrin::app
