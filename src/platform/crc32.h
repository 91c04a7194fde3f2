// CRC-32 as in ISO/IEC 3309 / ITU-T V.42 (the zlib and PNG checksum: reflected polynomial
// 0xEDB88320, initial value and final XOR 0xFFFFFFFF), computed eight bytes at a step.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin::platform {

// The checksum of `n` bytes continued from `crc` (0 for the first piece): crc32(b, crc32(a)) is
// the checksum of a followed by b.
uint32_t crc32(const void* data, size_t n, uint32_t crc = 0);

}  // namespace tavrin::platform
