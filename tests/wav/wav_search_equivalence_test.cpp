// The buffered chunk search against the plain search it stands for: four bytes read at every
// tested offset, straight from the source. Random chunk layouts (fixed seed) with codes hidden in
// payloads, bogus sizes and cut ends, read through blocks of random small sizes so that codes and
// size fields fall across block ends everywhere; a few larger than the usual block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>

#include "platform/byte_reader.h"
#include "platform/byte_source.h"
#include "support/wav_fixture.h"
#include "wav/wav_fields.h"
#include "wav/wav_reader.h"

namespace tavrin {
namespace {

constexpr const char* kCodes[] = {"RIFF", "WAVE", "bext", "fmt ", "data", "FORM"};

int32_t plain_search(const platform::ByteSource& source, WAV_FILE_INFO* info) {
  *info = WAV_FILE_INFO{};
  const uint64_t size = source.size();
  uint64_t limit = size;
  uint64_t pos = 0;
  bool noted[6] = {};
  while (pos < limit) {
    uint8_t word[4];
    if (source.read_at(pos, word, 4).bytes < 4) break;
    pos += 4;
    int code = -1;
    for (int k = 0; k < 6; ++k) {
      if (std::memcmp(word, kCodes[k], 4) == 0) code = k;
    }
    if (code < 0) {
      pos -= 3;
      continue;
    }
    uint8_t sizeBytes[4];
    if (source.read_at(pos, sizeBytes, 4).bytes < 4) return kWavNotUsable;
    pos += 4;
    if (code == 5) return kWavNotUsable;
    const uint32_t chunkSize = platform::load_le32(sizeBytes);
    const auto read_payload = [&](size_t minimum) {
      std::vector<uint8_t> payload(static_cast<size_t>(std::min<uint64_t>(chunkSize, size - pos)));
      const size_t got = source.read_at(pos, payload.data(), payload.size()).bytes;
      pos += got;
      payload.resize(std::max(got, minimum), 0);
      return payload;
    };
    switch (code) {
      case 0:
        noted[0] = true;
        break;
      case 1:
        noted[1] = true;
        pos -= 4;
        break;
      case 2:
        if (chunkSize >= kBextMinimumSize) {
          const std::vector<uint8_t> p = read_payload(kBextMinimumSize);
          info->start_sample =
              uint64_t{platform::load_le32(&p[338])} | uint64_t{platform::load_le32(&p[342])} << 32;
          noted[2] = true;
        }
        break;
      case 3:
        if (chunkSize >= kFmtMinimumSize) {
          const std::vector<uint8_t> p = read_payload(kFmtMinimumSize);
          info->format_tag = platform::load_le16(&p[0]);
          info->channels = platform::load_le16(&p[2]);
          info->sample_rate = platform::load_le32(&p[4]);
          info->avg_bytes_per_sec = platform::load_le32(&p[8]);
          info->block_align = platform::load_le16(&p[12]);
          info->bits_per_sample = platform::load_le16(&p[14]);
          info->bytes_per_sample = info->channels == 2
                                       ? static_cast<uint16_t>(info->block_align / 2)
                                       : info->block_align;
          if (info->sample_rate != 48000 ||
              (info->bits_per_sample != 16 && info->bits_per_sample != 24)) {
            return kWavWrongFormat;
          }
          noted[3] = true;
        }
        break;
      case 4:
        info->data_size = chunkSize;
        info->data_offset = pos;
        noted[4] = true;
        limit = pos;
        break;
    }
    pos -= 3;
  }
  if (noted[2]) info->is_bwf = 1;
  if (!noted[0] || !noted[1] || !noted[3] || !noted[4]) return kWavNotUsable;
  if (info->block_align == 0 || info->channels == 0) return kWavNotUsable;
  info->data_available = std::min<uint64_t>(info->data_size, size - info->data_offset);
  return kWavAccepted;
}

std::string describe(int32_t code, const WAV_FILE_INFO& info) {
  std::ostringstream out;
  out << "result " << code;
  visit_wav_file_info(info, [&](const char* name, auto value) {
    out << ' ' << name << '=' << static_cast<uint64_t>(value);
  });
  return out.str();
}

// A random file: the usual chunks in a random order, some damaged, with fillers that carry codes.
std::vector<uint8_t> random_file(std::mt19937& random, bool large) {
  const auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
  test::WavParams params;
  params.channels = static_cast<uint16_t>(1 + pick(3));
  params.bits = pick(5) == 0 ? 8 : (pick(2) ? 16 : 24);
  params.sampleRate = pick(8) == 0 ? 44100 : 48000;
  params.sampleFrames = pick(300);
  params.extensible = pick(3) == 0;
  if (pick(2)) params.timeReference = (uint64_t{random()} << 20) | random();
  params.bextSize = pick(4) == 0 ? 300 + pick(60) : 602;
  test::WavLayout layout = test::make_wav(params);
  if (pick(6) == 0) layout.riffId = "RIFX";
  if (pick(10) == 0) layout.formType = "WAVX";
  const int fillers = static_cast<int>(pick(4));
  for (int i = 0; i < fillers; ++i) {
    test::WavChunk filler = test::filler_chunk(pick(2) ? "JUNK" : "LIST", 0);
    const uint64_t length = large ? (uint64_t{1} << 20) - 40 + pick(80) : pick(400);
    filler.payload.resize(static_cast<size_t>(length));
    const bool silent = pick(3) == 0;  // zero fill with a few codes in it
    for (auto& b : filler.payload) {
      b = silent ? 0 : static_cast<uint8_t>(pick(4) == 0 ? "RWbfdFaIAEm t"[pick(13)] : random());
    }
    // Codes hidden at random places, some right at the 1 MiB window boundary.
    for (int k = static_cast<int>(pick(4)); k > 0 && length >= 8; --k) {
      const char* code = kCodes[pick(5)];
      const size_t at = pick(3) == 0 && length > (1u << 20)
                            ? (1u << 20) - 20 - pick(8)
                            : pick(static_cast<uint32_t>(length - 7));
      std::memcpy(&filler.payload[at], code, 4);
      platform::store_le32(&filler.payload[at + 4], pick(3) == 0 ? random() : pick(40));
    }
    if (pick(2)) filler.pad = false;
    layout.chunks.insert(
        layout.chunks.begin() + pick(static_cast<uint32_t>(layout.chunks.size() + 1)), filler);
  }
  if (pick(5) == 0)
    layout.move(pick(static_cast<uint32_t>(layout.chunks.size())),
                pick(static_cast<uint32_t>(layout.chunks.size())));
  if (pick(8) == 0)
    layout.chunks[pick(static_cast<uint32_t>(layout.chunks.size()))].sizeField = random();
  std::vector<uint8_t> bytes = test::wav_bytes(layout);
  if (pick(5) == 0 && !bytes.empty()) bytes.resize(pick(static_cast<uint32_t>(bytes.size())));
  return bytes;
}

TEST(WavChunkSearch, BufferedSearchEqualsReadingFourBytesAtEveryOffset) {
  std::mt19937 random(20240517);
  int accepted = 0;
  for (int round = 0; round < 1000; ++round) {
    const bool large = round % 100 == 0;
    const std::vector<uint8_t> bytes = random_file(random, large);
    const platform::MemorySource source(bytes);
    WAV_FILE_INFO buffered;
    WAV_FILE_INFO plain;
    const size_t block =
        large ? kWavSearchBlock : kWavMinimumSearchBlock + static_cast<size_t>(random() % 300);
    const int32_t a = read_wav_chunks(source, &buffered, block);
    const int32_t b = plain_search(source, &plain);
    ASSERT_EQ(describe(a, buffered), describe(b, plain)) << "round " << round << " block " << block;
    accepted += a == kWavAccepted;
  }
  // The layouts reach both outcomes often enough to mean something.
  EXPECT_GT(accepted, 150);
  EXPECT_LT(accepted, 900);
}

}  // namespace
}  // namespace tavrin
