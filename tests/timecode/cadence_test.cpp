// Sample cadence, frame-to-sample offsets and sub-frame units.
#include <gtest/gtest.h>

#include <vector>

#include "timecode/timecode.h"

namespace tavrin::tc {
namespace {

TEST(Cadence, NtscFramesCycleThroughTheGroup) {
  const std::vector<uint32_t> expected = {1602, 1601, 1602, 1601, 1602,
                                          1602, 1601, 1602, 1601, 1602};
  std::vector<uint32_t> got;
  for (uint64_t k = 0; k < 10; ++k) got.push_back(samples_in_frame(6, k));
  EXPECT_EQ(got, expected);
  EXPECT_EQ(frame_to_sample_offset(6, 3), 4805u);
  EXPECT_EQ(frame_to_sample_offset(6, 5), 8008u);
  EXPECT_EQ(frame_to_sample_offset(7, 3), 801u + 801u + 800u);
  // A day at 29.97 is well past 32 bits of samples.
  EXPECT_EQ(frame_to_sample_offset(6, 2589408), 2589408ull / 5 * 8008 + 1602 + 1601 + 1602);
}

TEST(Cadence, GroupSumsAndOffsetsAgreeWithFrameSizes) {
  const uint32_t groups[] = {10000, 9600, 8000, 4000, 10010, 0, 8008, 4004};
  for (CadenceTable table : {CadenceTable::kIndex, CadenceTable::kTimeReference}) {
    for (uint32_t rate = 0; rate < 8; ++rate) {
      const uint32_t group =
          rate == 5 && table == CadenceTable::kTimeReference ? 9600 : groups[rate];
      EXPECT_EQ(samples_per_cadence_group(rate, table), group) << rate;
      uint64_t sum = 0;
      for (uint64_t k = 0; k < 23; ++k) {
        ASSERT_EQ(frame_to_sample_offset(rate, k, table), sum) << rate << " frame " << k;
        sum += samples_in_frame(rate, k, table);
      }
    }
  }
  EXPECT_EQ(samples_in_frame(5, 3, CadenceTable::kIndex), 0u);
  EXPECT_EQ(samples_in_frame(5, 3, CadenceTable::kTimeReference), 1920u);
}

TEST(Subframe, UnitsAndText) {
  const uint32_t units[] = {20, 19, 16, 8, 20, 19, 16, 8};
  for (uint32_t rate = 0; rate < 8; ++rate) EXPECT_EQ(subframe_unit(rate), units[rate]);
  EXPECT_EQ(subframe_text(0, 30), "+001 *0010");
  EXPECT_EQ(subframe_text(1, 1919), "+101 *0000");
  EXPECT_EQ(subframe_text(6, 1601), "+100 *0001");
  EXPECT_EQ(subframe_text(3, 0), "+000 *0000");
}

}  // namespace
}  // namespace tavrin::tc
