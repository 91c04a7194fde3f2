// The exported file's header, its time reference and the names of the track files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>

#include "export/bwf_export.h"
#include "export/bwf_header.h"
#include "export/export_names.h"
#include "support/wav_fixture.h"

namespace tavrin {
namespace {

uint32_t u32_at(const BwfHeader& h, size_t at) {
  return uint32_t{h[at]} | uint32_t{h[at + 1]} << 8 | uint32_t{h[at + 2]} << 16 |
         uint32_t{h[at + 3]} << 24;
}
uint16_t u16_at(const BwfHeader& h, size_t at) {
  return static_cast<uint16_t>(h[at] | h[at + 1] << 8);
}
std::string text_at(const BwfHeader& h, size_t at) {
  return std::string(reinterpret_cast<const char*>(&h[at]), 4);
}
bool all_zero(const BwfHeader& h, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) {
    if (h[i] != 0) return false;
  }
  return true;
}

TEST(BwfHeader, HoldsEveryFieldAtItsOffsetAndZerosElsewhere) {
  MXF_AUDIO_INFO audio;
  audio.sampleRate = 48000;
  audio.avgBytesPerSecond = 144000;
  audio.blockAlign = 3;
  audio.quantizationBits = 24;
  const uint64_t timeReference = (uint64_t{0x12} << 32) | 0x3456789A;
  const BwfHeader h = build_bwf_header(24024, timeReference, audio);

  EXPECT_EQ(text_at(h, 0), "RIFF");
  EXPECT_EQ(u32_at(h, 4), 24024u + 746u);
  EXPECT_EQ(text_at(h, 8), "WAVE");
  EXPECT_EQ(text_at(h, 12), "JUNK");
  EXPECT_EQ(u32_at(h, 16), 92u);
  EXPECT_TRUE(all_zero(h, 20, 112));
  EXPECT_EQ(text_at(h, 112), "bext");
  EXPECT_EQ(u32_at(h, 116), 602u);
  EXPECT_TRUE(all_zero(h, 120, 458));
  EXPECT_EQ(u32_at(h, 458), 0x3456789Au);
  EXPECT_EQ(u32_at(h, 462), 0x12u);
  EXPECT_EQ(u16_at(h, 466), 1u);
  EXPECT_TRUE(all_zero(h, 468, 722));
  EXPECT_EQ(text_at(h, 722), "fmt ");
  EXPECT_EQ(u32_at(h, 726), 16u);
  EXPECT_EQ(u16_at(h, 730), 1u);
  EXPECT_EQ(u16_at(h, 732), 1u);
  EXPECT_EQ(u32_at(h, 734), 48000u);
  EXPECT_EQ(u32_at(h, 738), 144000u);
  EXPECT_EQ(u16_at(h, 742), 3u);
  EXPECT_EQ(u16_at(h, 744), 24u);
  EXPECT_EQ(text_at(h, 746), "data");
  EXPECT_EQ(u32_at(h, 750), 24024u);
}

TEST(SamplesBeforeFrame, FollowsTheCadenceFromMidnight) {
  EXPECT_EQ(samples_before_frame(0, 6), 0u);
  // 29.97: 1602, 1601, 1602, 1601, 1602 per group of five.
  EXPECT_EQ(samples_before_frame(1, 6), 1602u);
  EXPECT_EQ(samples_before_frame(2, 6), 3203u);
  EXPECT_EQ(samples_before_frame(5, 6), 8008u);
  EXPECT_EQ(samples_before_frame(7, 6), 8008u + 3203u);
  EXPECT_EQ(samples_before_frame(3, 7), 801u + 801u + 800u);
  EXPECT_EQ(samples_before_frame(10, 1), 19200u);
  // 25000/1001 counts 1920 samples a frame for time references.
  EXPECT_EQ(samples_before_frame(4, 5), 4u * 1920u);
  EXPECT_EQ(samples_before_frame(100, 8), 0u);
  // A day at 25 fps holds more samples than 32 bits can count; the count does not wrap.
  EXPECT_EQ(samples_before_frame(2160000 + 25, 1), (uint64_t{2160000} + 25) * 1920);
}

TEST(ExportTrackPath, AddsTheCounterWhenTheNameIsTakenAndRaisesItPastTakenNames) {
  test::ScratchDir dir;
  EXPECT_EQ(export_track_path(dir.path(), "AUD", 1, 3), dir.file("AUD1.wav"));
  ASSERT_TRUE(test::write_bytes(dir.file("AUD1.wav"), {1}));
  EXPECT_EQ(export_track_path(dir.path(), "AUD", 1, 3), dir.file("AUD1.wav 3.wav"));
  // A counter name that is taken too is passed over, also by a link that leads nowhere.
  ASSERT_TRUE(test::write_bytes(dir.file("AUD1.wav 3.wav"), {1}));
  ASSERT_EQ(::symlink("nowhere", dir.file("AUD1.wav 4.wav").c_str()), 0);
  EXPECT_EQ(export_track_path(dir.path(), "AUD", 1, 3), dir.file("AUD1.wav 5.wav"));
  EXPECT_EQ(export_track_path(dir.path(), "AUD", 1, 123456789), dir.file("AUD1.wav 123456789.wav"));
  EXPECT_EQ(export_track_path(dir.path(), "AUD", 24, 3), dir.file("AUD24.wav"));
  // The candidates in order: the plain name, then the counter from its start value.
  EXPECT_EQ(export_track_candidate(dir.path(), "AUD", 7, 9, 0), dir.file("AUD7.wav"));
  EXPECT_EQ(export_track_candidate(dir.path(), "AUD", 7, 9, 1), dir.file("AUD7.wav 9.wav"));
  EXPECT_EQ(export_track_candidate(dir.path(), "AUD", 7, 9, 2), dir.file("AUD7.wav 10.wav"));
  // Long names are built in full.
  const std::string prefix(1200, 'p');
  EXPECT_EQ(export_track_path(dir.path(), prefix, 2, 1), dir.file(prefix + "2.wav"));
}

}  // namespace
}  // namespace tavrin
