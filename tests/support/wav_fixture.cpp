#include "support/wav_fixture.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace tavrin::test {

namespace {

void put_le16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void put_le32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put_id(std::vector<uint8_t>& out, std::string_view id) {
  for (size_t i = 0; i < 4; ++i) out.push_back(i < id.size() ? static_cast<uint8_t>(id[i]) : ' ');
}
void set_le32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t sample_value(uint64_t frame, uint16_t channel) {
  const auto low = static_cast<uint32_t>(frame);
  const auto high = static_cast<uint32_t>(frame >> 32);
  uint32_t v = low * 2654435761u ^ (uint32_t{channel} + 1) * 0x9E3779B9u ^ high * 40503u;
  return v ^ (v >> 15);
}

// Writes the sample content from byte `index` of the data payload on.
void generate_samples(uint16_t channels, uint16_t bits, uint64_t index, uint8_t* out, size_t n) {
  const uint16_t width = bytes_per_sample(bits);
  const uint64_t block = uint64_t{channels} * width;
  if (block == 0) {
    std::fill(out, out + n, 0);
    return;
  }
  uint64_t frame = index / block;
  uint64_t within = index % block;
  for (size_t i = 0; i < n; ++i) {
    const auto channel = static_cast<uint16_t>(within / width);
    const auto byte = static_cast<uint16_t>(within % width);
    out[i] = static_cast<uint8_t>(sample_value(frame, channel) >> (8 * (byte % 4)));
    if (++within == block) {
      within = 0;
      ++frame;
    }
  }
}

// Hands the file's bytes to `sink` in pieces of at most a block.
template <typename Sink>
void emit(const WavLayout& layout, Sink&& sink) {
  std::vector<uint8_t> head;
  if (layout.riffHeader) {
    put_id(head, layout.riffId);
    uint64_t rest = 4;
    for (const WavChunk& chunk : layout.chunks) rest += chunk.file_bytes();
    put_le32(head,
             layout.riffSize.value_or(static_cast<uint32_t>(std::min<uint64_t>(rest, UINT32_MAX))));
    put_id(head, layout.formType);
    sink(head.data(), head.size());
  }
  constexpr size_t kBlock = size_t{1} << 20;
  std::vector<uint8_t> block;
  for (const WavChunk& chunk : layout.chunks) {
    head.clear();
    put_id(head, chunk.id);
    put_le32(head, chunk.sizeField.value_or(static_cast<uint32_t>(
                       std::min<uint64_t>(chunk.payload_size(), UINT32_MAX))));
    sink(head.data(), head.size());
    if (!chunk.payload.empty()) sink(chunk.payload.data(), chunk.payload.size());
    for (uint64_t done = 0; done < chunk.generatedBytes;) {
      const auto n = static_cast<size_t>(std::min<uint64_t>(kBlock, chunk.generatedBytes - done));
      block.resize(n);
      if (chunk.samples) {
        generate_samples(layout.channels, layout.bits, done, block.data(), n);
      } else {
        std::fill(block.begin(), block.end(), chunk.fillByte);
      }
      sink(block.data(), n);
      done += n;
    }
    if (chunk.pad && chunk.payload_size() % 2 != 0) {
      const uint8_t zero = 0;
      sink(&zero, 1);
    }
  }
}

}  // namespace

int WavLayout::find(std::string_view id) const {
  for (size_t i = 0; i < chunks.size(); ++i) {
    if (chunks[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

void WavLayout::move(size_t from, size_t to) {
  WavChunk chunk = std::move(chunks.at(from));
  chunks.erase(chunks.begin() + static_cast<std::ptrdiff_t>(from));
  chunks.insert(chunks.begin() + static_cast<std::ptrdiff_t>(std::min(to, chunks.size())),
                std::move(chunk));
}

uint64_t WavLayout::file_size() const {
  uint64_t size = riffHeader ? 12 : 0;
  for (const WavChunk& chunk : chunks) size += chunk.file_bytes();
  return size;
}

uint64_t WavLayout::payload_offset(size_t i) const {
  uint64_t offset = riffHeader ? 12 : 0;
  for (size_t k = 0; k < i; ++k) offset += chunks.at(k).file_bytes();
  return offset + 8;
}

uint16_t bytes_per_sample(uint16_t bits) {
  return static_cast<uint16_t>((bits + 7) / 8);
}

uint32_t block_align_of(const WavParams& params) {
  return params.blockAlign.value_or(
      static_cast<uint16_t>(params.channels * bytes_per_sample(params.bits)));
}

WavChunk fmt_chunk(const WavParams& params) {
  WavChunk chunk;
  chunk.id = "fmt ";
  std::vector<uint8_t>& p = chunk.payload;
  const uint32_t block = block_align_of(params);
  put_le16(p, params.extensible ? 0xFFFE : params.formatTag);
  put_le16(p, params.channels);
  put_le32(p, params.sampleRate);
  put_le32(p, params.sampleRate * block);
  put_le16(p, static_cast<uint16_t>(block));
  put_le16(p, params.bits);
  if (params.extensible) {
    put_le16(p, 22);                                // extension size
    put_le16(p, params.bits);                       // valid bits
    put_le32(p, params.channels == 1 ? 0x4 : 0x3);  // channel mask
    // KSDATAFORMAT_SUBTYPE_PCM
    const uint8_t pcm[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                             0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    p.insert(p.end(), pcm, pcm + 16);
  }
  return chunk;
}

WavChunk bext_chunk(uint64_t timeReference, uint32_t size) {
  WavChunk chunk;
  chunk.id = "bext";
  chunk.payload.assign(size, 0);
  const char description[] = "tavrin test fixture";
  std::copy(description, description + std::min<size_t>(sizeof description - 1, size),
            chunk.payload.begin());
  if (size >= 342 + 4) {
    set_le32(chunk.payload, 338, static_cast<uint32_t>(timeReference));
    set_le32(chunk.payload, 342, static_cast<uint32_t>(timeReference >> 32));
  }
  if (size >= 348) chunk.payload[346] = 1;  // version
  return chunk;
}

WavChunk data_chunk(const WavParams& params) {
  WavChunk chunk;
  chunk.id = "data";
  chunk.samples = true;
  chunk.generatedBytes =
      params.dataBytes ? *params.dataBytes : params.sampleFrames * block_align_of(params);
  return chunk;
}

WavChunk filler_chunk(std::string_view id, uint64_t size, uint8_t fill) {
  WavChunk chunk;
  chunk.id = std::string(id);
  chunk.generatedBytes = size;
  chunk.fillByte = fill;
  return chunk;
}

WavLayout make_wav(const WavParams& params) {
  WavLayout layout;
  layout.channels = params.channels;
  layout.bits = params.bits;
  layout.chunks.push_back(fmt_chunk(params));
  if (params.timeReference)
    layout.chunks.push_back(bext_chunk(*params.timeReference, params.bextSize));
  layout.chunks.push_back(data_chunk(params));
  return layout;
}

std::vector<uint8_t> wav_bytes(const WavLayout& layout) {
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(layout.file_size()));
  emit(layout, [&out](const uint8_t* p, size_t n) { out.insert(out.end(), p, p + n); });
  return out;
}

bool write_wav(const std::string& path, const WavLayout& layout) {
  const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) return false;
  bool ok = true;
  emit(layout,
       [&](const uint8_t* p, size_t n) { ok = ok && std::fwrite(p, 1, n, file.get()) == n; });
  return ok && std::fflush(file.get()) == 0;
}

bool write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) return false;
  return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
         std::fflush(file.get()) == 0;
}

uint8_t sample_byte(uint64_t frame, uint16_t channel, uint16_t byte) {
  return static_cast<uint8_t>(sample_value(frame, channel) >> (8 * (byte % 4)));
}

std::vector<uint8_t> expected_sample_bytes(uint16_t channels, uint16_t bits, uint64_t firstFrame,
                                           uint64_t frames) {
  const uint64_t block = uint64_t{channels} * bytes_per_sample(bits);
  std::vector<uint8_t> out(static_cast<size_t>(frames * block));
  generate_samples(channels, bits, firstFrame * block, out.data(), out.size());
  return out;
}

ScratchDir::ScratchDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tavrin-wav-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) != nullptr) path_ = buffer.data();
}

ScratchDir::~ScratchDir() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::file(std::string_view name) const {
  return path_ + "/" + std::string(name);
}

}  // namespace tavrin::test
