// Little-endian signed PCM as MXF sound elements and WAV files carry it, turned into the floating
// point samples the loudness meter takes: full scale is 1.0 (a 16-bit sample is divided by 2^15,
// a 24-bit one by 2^23).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin::loudness {

// True for the sample widths the program handles: 2 (16-bit) and 3 (24-bit) bytes.
inline bool pcm_width_supported(size_t bytesPerSample) {
  return bytesPerSample == 2 || bytesPerSample == 3;
}

// Converts `count` consecutive samples of `bytesPerSample` bytes (2 or 3) from `bytes` to `out`.
void pcm_to_float(const uint8_t* bytes, size_t count, size_t bytesPerSample, float* out);

}  // namespace tavrin::loudness
