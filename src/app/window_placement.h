// The main window's placement between runs: the 16 stored bytes (left, top, width, height of the
// normal rectangle as signed 32-bit little-endian integers), and the decision whether a stored
// value is used when the window opens. The window stores and reads the bytes; the decision is
// made here without a window system.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tavrin::app {

inline constexpr size_t kPlacementBytes = 16;

struct PlacementRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const PlacementRect&) const = default;
};

struct PlacementSize {
  int32_t width = 0;
  int32_t height = 0;
};

// The smallest window: 1280 x 631.
inline constexpr PlacementSize kMinimumWindowSize{1280, 631};

std::array<uint8_t, kPlacementBytes> encode_placement(const PlacementRect& rect);
// Empty unless the value is exactly 16 bytes.
std::optional<PlacementRect> decode_placement(std::span<const uint8_t> bytes);

// The rectangle to open the window at, from the stored bytes (empty when nothing is stored) and
// the available areas of the screens: the stored one, grown to `minimum`, when it is 16 bytes,
// has a positive size and a part of it large enough to grab (its top edge included) lies on one
// of the screens; otherwise the default placement on the first screen.
PlacementRect restore_placement(std::optional<std::span<const uint8_t>> stored,
                                const std::vector<PlacementRect>& screens, PlacementSize minimum);

// The default placement: three quarters of the screen's area but never below `minimum`, centred
// on the screen; a screen smaller than the minimum gets the window at its top left corner.
PlacementRect default_placement(const PlacementRect& screen, PlacementSize minimum);

// Whether `rect` can be reached on one of the screens (see restore_placement).
bool placement_on_screens(const PlacementRect& rect, const std::vector<PlacementRect>& screens);

}  // namespace tavrin::app
