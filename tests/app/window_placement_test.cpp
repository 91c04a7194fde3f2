#include "app/window_placement.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrin::app {
namespace {

const std::vector<PlacementRect> kOneScreen = {{0, 0, 1920, 1080}};

TEST(WindowPlacement, BytesAreFourLittleEndianSignedIntegers) {
  const auto bytes = encode_placement({-8, 300, 1400, 700});
  const std::array<uint8_t, 16> expected = {0xF8, 0xFF, 0xFF, 0xFF, 0x2C, 0x01, 0, 0,
                                            0x78, 0x05, 0,    0,    0xBC, 0x02, 0, 0};
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(decode_placement(bytes), (PlacementRect{-8, 300, 1400, 700}));
  EXPECT_FALSE(decode_placement(std::span(bytes).first(15)));
  const std::vector<uint8_t> longer(17, 0);
  EXPECT_FALSE(decode_placement(longer));
}

TEST(WindowPlacement, StoredValueOnAScreenIsUsed) {
  const auto bytes = encode_placement({100, 50, 1500, 800});
  EXPECT_EQ(restore_placement(std::span<const uint8_t>(bytes), kOneScreen, kMinimumWindowSize),
            (PlacementRect{100, 50, 1500, 800}));
  // On a second screen to the left of the first.
  const std::vector<PlacementRect> two = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}};
  const auto left = encode_placement({-1200, 10, 1280, 700});
  EXPECT_EQ(restore_placement(std::span<const uint8_t>(left), two, kMinimumWindowSize).left, -1200);
}

TEST(WindowPlacement, SmallSizesGrowToTheMinimum) {
  const auto bytes = encode_placement({10, 20, 300, 200});
  EXPECT_EQ(restore_placement(std::span<const uint8_t>(bytes), kOneScreen, kMinimumWindowSize),
            (PlacementRect{10, 20, 1280, 631}));
}

TEST(WindowPlacement, GarbledOrOffScreenValuesGiveTheDefault) {
  const PlacementRect fallback = default_placement(kOneScreen[0], kMinimumWindowSize);
  EXPECT_EQ(fallback, (PlacementRect{240, 135, 1440, 810}));
  const std::vector<std::vector<uint8_t>> bad = {
      {},                              // nothing readable
      {1, 2, 3},                       // too short
      std::vector<uint8_t>(20, 0x11),  // too long
  };
  for (const auto& value : bad) {
    EXPECT_EQ(restore_placement(std::span<const uint8_t>(value), kOneScreen, kMinimumWindowSize),
              fallback);
  }
  for (PlacementRect rect :
       {PlacementRect{5000, 100, 1280, 700},   // right of every screen
        PlacementRect{100, -400, 1280, 700},   // title bar above the top
        PlacementRect{100, 1070, 1280, 700},   // top at the bottom edge
        PlacementRect{-1250, 100, 1280, 700},  // 30 pixels left on screen
        PlacementRect{100, 100, 0, 700},       // empty
        PlacementRect{100, 100, -5, 700}, PlacementRect{100, 100, 1 << 30, 700},
        PlacementRect{INT32_MAX - 10, 0, 2000, 700}}) {
    const auto bytes = encode_placement(rect);
    EXPECT_EQ(restore_placement(std::span<const uint8_t>(bytes), kOneScreen, kMinimumWindowSize),
              fallback)
        << rect.left << "," << rect.top << " " << rect.width << "x" << rect.height;
  }
}

TEST(WindowPlacement, FirstStartUsesTheDefault) {
  EXPECT_EQ(restore_placement(std::nullopt, kOneScreen, kMinimumWindowSize),
            default_placement(kOneScreen[0], kMinimumWindowSize));
  // A screen smaller than the minimum still gets the minimum, from its corner.
  const PlacementRect small = default_placement({0, 0, 1024, 600}, kMinimumWindowSize);
  EXPECT_EQ(small.width, 1280);
  EXPECT_EQ(small.height, 631);
  EXPECT_EQ(small.top, 0);
  EXPECT_EQ(small.left, 0);
  EXPECT_EQ(restore_placement(std::nullopt, {}, kMinimumWindowSize).width, 1280);
}

}  // namespace
}  // namespace tavrin::app
