// KLV reading (SMPTE 336): BER lengths in every form, and the two key searches every analysis
// step rests on, one over a file and one over a buffer in memory.
#pragma once

#include <cstdint>
#include <span>

#include "mxf/records.h"
#include "platform/byte_source.h"

namespace tavrin {

// A decoded BER length: `size` bytes of length field (1 for the short form, 1 + n for 0x8n).
struct BerLength {
  bool ok = false;
  uint8_t size = 0;
  uint64_t value = 0;
};

// Decodes the BER length at the start of `bytes`: the short form (first byte below 0x80) and the
// long forms 0x81 .. 0x88. Not ok for 0x80 (indefinite), 0x89 and above, or when the field does
// not fit in `bytes`.
BerLength decode_ber_length(std::span<const uint8_t> bytes);

// Compares a key with a wanted key; 0xFF bytes of the wanted key match anything.
bool key_matches(const uint8_t* key, const Key16& wanted);
bool key_matches(const Key16& key, const Key16& wanted);
// The key starts with the SMPTE prefix 06 0E 2B 34.
bool has_smpte_prefix(const uint8_t* key);

// Result of the file key search. When found, `keyPosition` is where the key starts and
// `valuePosition` where its value starts.
struct KeySearchResult {
  bool found = false;
  uint64_t keyPosition = 0;
  uint64_t valuePosition = 0;
  uint64_t valueLength = 0;
};

// File key search over [start, end): the candidate key must start before `end`. Where the file
// has the SMPTE prefix and a decodable length, a key that does not match is stepped over by its
// value length, so a search that starts on a key boundary visits only keys; elsewhere the scan
// advances one byte. A key whose length cannot be decoded is not a triplet: the scan goes on from
// its length byte. Reads through a buffer, so one-byte steps cost no system calls.
KeySearchResult find_key_in_file(const platform::ByteSource& file, const Key16& wanted,
                                 uint64_t start, uint64_t end);

// Result of the memory key search: when found, `offset` is the first value byte from the start
// of the buffer; when not found, the offset at which the scan stopped (at or beyond the length).
struct MemorySearchResult {
  bool found = false;
  uint64_t offset = 0;
  uint64_t keyOffset = 0;
  uint64_t valueLength = 0;
};

// Memory key search with the same rules. A candidate whose key or length field would cross the
// end of the buffer ends the scan, without reading past it.
MemorySearchResult find_key_in_memory(std::span<const uint8_t> buffer, const Key16& wanted);

// One KLV read at a known position: key, decoded length, value position. `ok` is false when the
// key or length does not fit in the file or the length cannot be decoded.
struct KlvHeader {
  bool ok = false;
  Key16 key{};
  BerLength length;
  uint64_t valuePosition = 0;
};
KlvHeader read_klv_header(const platform::ByteSource& file, uint64_t position);
KlvHeader read_klv_header(std::span<const uint8_t> buffer, uint64_t offset);

}  // namespace tavrin
