#include "app/window_placement.h"

#include <algorithm>

namespace tavrin::app {

namespace {

// How much of the window has to lie on a screen for the operator to grab and move it.
constexpr int64_t kGrabWidth = 100;
constexpr int64_t kGrabHeight = 40;
// Larger than any desktop: a stored size beyond it is garbage.
constexpr int32_t kLargestSide = 1 << 16;

void put_le32(uint8_t* out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

int32_t get_le32(const uint8_t* in) {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(in[i]) << (8 * i);
  return static_cast<int32_t>(bits);
}

}  // namespace

std::array<uint8_t, kPlacementBytes> encode_placement(const PlacementRect& rect) {
  std::array<uint8_t, kPlacementBytes> bytes{};
  put_le32(&bytes[0], rect.left);
  put_le32(&bytes[4], rect.top);
  put_le32(&bytes[8], rect.width);
  put_le32(&bytes[12], rect.height);
  return bytes;
}

std::optional<PlacementRect> decode_placement(std::span<const uint8_t> bytes) {
  if (bytes.size() != kPlacementBytes) return std::nullopt;
  return PlacementRect{get_le32(&bytes[0]), get_le32(&bytes[4]), get_le32(&bytes[8]),
                       get_le32(&bytes[12])};
}

bool placement_on_screens(const PlacementRect& rect, const std::vector<PlacementRect>& screens) {
  if (rect.width <= 0 || rect.height <= 0) return false;
  if (rect.width > kLargestSide || rect.height > kLargestSide) return false;
  // 64-bit edges: a stored left near the 32-bit limit must not wrap around.
  const int64_t left = rect.left;
  const int64_t top = rect.top;
  const int64_t right = left + rect.width;
  for (const PlacementRect& screen : screens) {
    const int64_t sLeft = screen.left;
    const int64_t sTop = screen.top;
    const int64_t sRight = sLeft + screen.width;
    const int64_t sBottom = sTop + screen.height;
    // The top edge (where the title bar is) lies on this screen, and a grabbable piece below it.
    if (top < sTop || top + kGrabHeight > sBottom) continue;
    const int64_t overlap = std::min(right, sRight) - std::max(left, sLeft);
    if (overlap >= std::min<int64_t>(kGrabWidth, rect.width)) return true;
  }
  return false;
}

PlacementRect default_placement(const PlacementRect& screen, PlacementSize minimum) {
  PlacementRect rect;
  rect.width = std::max(minimum.width, screen.width * 3 / 4);
  rect.height = std::max(minimum.height, screen.height * 3 / 4);
  rect.left = screen.left + std::max(0, (screen.width - rect.width) / 2);
  rect.top = screen.top + std::max(0, (screen.height - rect.height) / 2);
  return rect;
}

PlacementRect restore_placement(std::optional<std::span<const uint8_t>> stored,
                                const std::vector<PlacementRect>& screens, PlacementSize minimum) {
  const PlacementRect primary =
      screens.empty() ? PlacementRect{0, 0, minimum.width, minimum.height} : screens.front();
  if (!stored) return default_placement(primary, minimum);
  std::optional<PlacementRect> rect = decode_placement(*stored);
  if (!rect || !placement_on_screens(*rect, screens)) return default_placement(primary, minimum);
  rect->width = std::max(rect->width, minimum.width);
  rect->height = std::max(rect->height, minimum.height);
  return *rect;
}

}  // namespace tavrin::app
