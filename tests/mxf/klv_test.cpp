#include "mxf/klv.h"

#include <gtest/gtest.h>

#include <vector>

#include "mxf/keys.h"

namespace tavrin {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes key_bytes(const Key16& key) { return Bytes(key.begin(), key.end()); }

// Appends a KLV with the given length field bytes and a value of `valueSize` bytes of 0xEE.
void append_klv(Bytes& out, const Key16& key, const Bytes& lengthField, size_t valueSize) {
  out.insert(out.end(), key.begin(), key.end());
  out.insert(out.end(), lengthField.begin(), lengthField.end());
  out.insert(out.end(), valueSize, 0xEE);
}

Bytes ber4(uint32_t n) {
  return {0x83, static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
          static_cast<uint8_t>(n)};
}

constexpr Key16 kOther = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x53, 0x01, 0x01,
                          0x0D, 0x01, 0x01, 0x01, 0x01, 0x01, 0x18, 0x00};

TEST(Ber, EveryLengthFormDecodes) {
  EXPECT_EQ(decode_ber_length(Bytes{0x05}).value, 5u);
  EXPECT_EQ(decode_ber_length(Bytes{0x05}).size, 1u);
  EXPECT_EQ(decode_ber_length(Bytes{0x81, 0xC8}).value, 200u);
  EXPECT_EQ(decode_ber_length(Bytes{0x82, 0x01, 0x00}).value, 256u);
  EXPECT_EQ(decode_ber_length(Bytes{0x83, 0x00, 0x12, 0x34}).value, 0x1234u);
  EXPECT_EQ(decode_ber_length(Bytes{0x84, 0, 0, 0x01, 0}).value, 256u);
  const BerLength eight = decode_ber_length(Bytes{0x88, 0, 0, 0, 1, 0, 0, 0, 2});
  EXPECT_TRUE(eight.ok);
  EXPECT_EQ(eight.size, 9u);
  EXPECT_EQ(eight.value, 0x100000002ull);
  EXPECT_EQ(decode_ber_length(Bytes{0x87, 0, 0, 0, 0, 0, 0, 9}).value, 9u);
}

TEST(Ber, IndefiniteTooLongAndCutShortFormsAreRefused) {
  EXPECT_FALSE(decode_ber_length(Bytes{0x80}).ok);
  EXPECT_FALSE(decode_ber_length(Bytes{0x89, 1, 2, 3, 4, 5, 6, 7, 8, 9}).ok);
  EXPECT_FALSE(decode_ber_length(Bytes{0x83, 0x00}).ok);
  EXPECT_FALSE(decode_ber_length(Bytes{}).ok);
}

TEST(KeyMatch, WildcardBytesMatchAnything) {
  Key16 a = keys::kIndexTableSegment;
  a[5] = 0x53;
  Key16 b = keys::kIndexTableSegment;
  b[5] = 0x13;
  EXPECT_TRUE(key_matches(a, keys::kIndexTableSegment));
  EXPECT_TRUE(key_matches(b, keys::kIndexTableSegment));
  b[6] = 0x02;
  EXPECT_FALSE(key_matches(b, keys::kIndexTableSegment));
}

TEST(MemorySearch, StepsOverValuesOfEveryLengthForm) {
  Bytes buffer;
  append_klv(buffer, kOther, {0x10}, 0x10);              // short form
  append_klv(buffer, kOther, {0x82, 0x00, 0x20}, 0x20);  // two-byte form
  // The skipped values contain the wanted key: a search that did not step over them would
  // stop inside.
  std::copy(keys::kPrefaceSet.begin(), keys::kPrefaceSet.end(), buffer.end() - 0x20);
  const size_t wantedAt = buffer.size();
  append_klv(buffer, keys::kPrefaceSet, ber4(7), 7);
  const MemorySearchResult r = find_key_in_memory(buffer, keys::kPrefaceSet);
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.keyOffset, wantedAt);
  EXPECT_EQ(r.offset, wantedAt + 20);
  EXPECT_EQ(r.valueLength, 7u);
}

TEST(MemorySearch, AdvancesByteByByteWhereThereIsNoPrefix) {
  Bytes buffer(13, 0x00);
  append_klv(buffer, keys::kFillItem, ber4(0), 0);
  const MemorySearchResult r = find_key_in_memory(buffer, keys::kFillItem);
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.keyOffset, 13u);
}

TEST(MemorySearch, CandidatesCrossingTheEndStopTheScanWithoutReadingPastIt) {
  Bytes buffer;
  append_klv(buffer, kOther, ber4(4), 4);
  Bytes cut = key_bytes(keys::kPrefaceSet);
  cut.push_back(0x83);  // the length field is cut off by the end of the buffer
  buffer.insert(buffer.end(), cut.begin(), cut.end());
  const MemorySearchResult r = find_key_in_memory(buffer, keys::kPrefaceSet);
  EXPECT_FALSE(r.found);
  EXPECT_GE(r.offset, buffer.size());

  Bytes tiny = key_bytes(keys::kPrefaceSet);  // shorter than 20 bytes
  EXPECT_FALSE(find_key_in_memory(tiny, keys::kPrefaceSet).found);
  EXPECT_EQ(find_key_in_memory(tiny, keys::kPrefaceSet).offset, 0u);
}

TEST(MemorySearch, AHugeLengthEndsTheScanInsteadOfWrapping) {
  Bytes buffer;
  append_klv(buffer, kOther, {0x88, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0}, 0);
  append_klv(buffer, keys::kPrefaceSet, ber4(0), 0);
  const MemorySearchResult r = find_key_in_memory(buffer, keys::kPrefaceSet);
  EXPECT_FALSE(r.found);
  EXPECT_EQ(r.offset, buffer.size());
}

TEST(MemorySearch, AnUndecodableLengthIsNotATripletAndTheScanGoesOnFromIt) {
  Bytes buffer;
  append_klv(buffer, kOther, {0x80}, 0);  // indefinite length
  const size_t wantedAt = buffer.size();
  append_klv(buffer, keys::kPrefaceSet, {0x01}, 1);
  const MemorySearchResult r = find_key_in_memory(buffer, keys::kPrefaceSet);
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.keyOffset, wantedAt);
  EXPECT_EQ(r.offset, wantedAt + 17);
}

TEST(FileSearch, FindsKeysBehindEveryLengthFormAndHonoursTheBounds) {
  Bytes file(5, 0x00);
  append_klv(file, kOther, {0x05}, 5);
  append_klv(file, kOther, {0x84, 0, 0, 0x10, 0}, 0x1000);
  const size_t wantedAt = file.size();
  append_klv(file, keys::kTimecodeComponentSet, {0x81, 0x90}, 0x90);
  platform::MemorySource source(file);
  const KeySearchResult r = find_key_in_file(source, keys::kTimecodeComponentSet, 0, file.size());
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.keyPosition, wantedAt);
  EXPECT_EQ(r.valuePosition, wantedAt + 18);
  EXPECT_EQ(r.valueLength, 0x90u);
  // The key must start before the end position.
  EXPECT_FALSE(find_key_in_file(source, keys::kTimecodeComponentSet, 0, wantedAt).found);
  EXPECT_TRUE(find_key_in_file(source, keys::kTimecodeComponentSet, 0, wantedAt + 1).found);
  EXPECT_FALSE(find_key_in_file(source, keys::kTimecodeComponentSet, wantedAt + 1,
                                file.size()).found);
}

TEST(FileSearch, StopsAtTheEndOfTheFileOnTruncatedAndLyingInput) {
  Bytes file;
  append_klv(file, kOther, ber4(0xFFFFFF), 10);  // the length runs far past the end
  append_klv(file, keys::kPrefaceSet, ber4(0), 0);
  platform::MemorySource source(file);
  EXPECT_FALSE(find_key_in_file(source, keys::kPrefaceSet, 0, UINT64_MAX).found);
  Bytes cut = key_bytes(keys::kPrefaceSet);
  cut.push_back(0x83);
  cut.push_back(0x00);
  platform::MemorySource cutSource(cut);
  EXPECT_FALSE(find_key_in_file(cutSource, keys::kPrefaceSet, 0, cut.size()).found);
}

TEST(FileSearch, ScansLongStretchesWithoutPrefixQuickly) {
  // Four megabytes without a key: read through a buffer, this costs a few reads, not one per
  // byte. The test checks the result; the benchmark tracks the speed.
  Bytes file(4 << 20, 0x00);
  append_klv(file, keys::kPrefaceSet, ber4(0), 0);
  platform::MemorySource source(file);
  const KeySearchResult r = find_key_in_file(source, keys::kPrefaceSet, 0, file.size());
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.keyPosition, 4u << 20);
}

TEST(KlvHeader, ReadsAtAPositionAndRefusesWhatDoesNotFit) {
  Bytes file;
  append_klv(file, kOther, {0x82, 0x01, 0x00}, 256);
  platform::MemorySource source(file);
  const KlvHeader h = read_klv_header(source, 0);
  ASSERT_TRUE(h.ok);
  EXPECT_EQ(h.length.value, 256u);
  EXPECT_EQ(h.valuePosition, 19u);
  EXPECT_FALSE(read_klv_header(source, file.size() - 10).ok);
  EXPECT_FALSE(read_klv_header(source, file.size() + 10).ok);
  EXPECT_TRUE(read_klv_header(std::span<const uint8_t>(file), 0).ok);
  EXPECT_FALSE(read_klv_header(std::span<const uint8_t>(file), file.size()).ok);
}

}  // namespace
}  // namespace tavrin
