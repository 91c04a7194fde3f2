#include "loudness/pcm_samples.h"

namespace tavrin::loudness {

void pcm_to_float(const uint8_t* bytes, size_t count, size_t bytesPerSample, float* out) {
  if (bytesPerSample == 2) {
    constexpr float kScale = 1.0f / 32768.0f;
    for (size_t i = 0; i < count; ++i, bytes += 2) {
      const auto value = static_cast<int16_t>(uint16_t{bytes[0]} | uint16_t{bytes[1]} << 8);
      out[i] = static_cast<float>(value) * kScale;
    }
  } else if (bytesPerSample == 3) {
    constexpr float kScale = 1.0f / 8388608.0f;
    for (size_t i = 0; i < count; ++i, bytes += 3) {
      // The 24 bits go to the top of a 32-bit word; the arithmetic shift extends the sign.
      const auto word = static_cast<int32_t>(uint32_t{bytes[0]} << 8 | uint32_t{bytes[1]} << 16 |
                                             uint32_t{bytes[2]} << 24);
      out[i] = static_cast<float>(word >> 8) * kScale;
    }
  }
}

}  // namespace tavrin::loudness
