// The 754-byte header of an exported mono BWF file: RIFF/WAVE, a 92-byte JUNK chunk, a 602-byte
// bext chunk that carries only the TimeReference and version 1, the fmt chunk of the MXF audio and
// the data chunk header. The samples follow it directly.
#pragma once

#include <array>
#include <cstdint>

#include "mxf/records.h"

namespace tavrin {

inline constexpr size_t kBwfHeaderSize = 754;
// The RIFF size field is the data size plus this (the header less the 8 bytes of "RIFF" + size).
inline constexpr uint32_t kBwfRiffOverhead = 746;
// Largest data size whose RIFF size still fits its 32-bit field.
inline constexpr uint64_t kBwfMaxDataSize = uint64_t{0xFFFFFFFF} - kBwfRiffOverhead;

// Offsets of the fields the tests and readers look at.
inline constexpr size_t kBwfTimeReferenceOffset = 458;
inline constexpr size_t kBwfFmtOffset = 722;
inline constexpr size_t kBwfDataSizeOffset = 750;

using BwfHeader = std::array<uint8_t, kBwfHeaderSize>;

// The header for `dataSize` sample bytes whose first sample lies `timeReference` samples after
// midnight. `dataSize` must not exceed kBwfMaxDataSize.
BwfHeader build_bwf_header(uint32_t dataSize, uint64_t timeReference, const MXF_AUDIO_INFO& audio);

}  // namespace tavrin
