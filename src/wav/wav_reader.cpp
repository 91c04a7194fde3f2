#include "wav/wav_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/file.h"
#include "wav/wav_placing.h"

namespace tavrin {

namespace {

using platform::load_le16;
using platform::load_le32;

// The chunk codes the search looks for, as little-endian words of their four characters.
constexpr uint32_t code_word(const char (&id)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(id[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(id[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(id[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(id[3])) << 24;
}

enum ChunkCode { kRiff, kWave, kBext, kFmt, kData, kForm, kCodeCount };
constexpr std::array<uint32_t, kCodeCount> kCodeWords = {code_word("RIFF"), code_word("WAVE"),
                                                         code_word("bext"), code_word("fmt "),
                                                         code_word("data"), code_word("FORM")};

constexpr std::array<bool, 256> first_bytes() {
  std::array<bool, 256> table{};
  for (uint32_t word : kCodeWords) table[word & 0xFF] = true;
  return table;
}
constexpr std::array<bool, 256> kFirstBytes = first_bytes();

// Every code starts with a byte of the form 01xxxxxx ('R', 'W', 'b', 'f', 'd', 'F'). Nonzero when
// one of the eight bytes of the word has that form, i.e. when a code may start among them.
inline uint64_t code_start_bits(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHigh = 0x8080808080808080ULL;
  const uint64_t t = (word & 0xC0C0C0C0C0C0C0C0ULL) ^ 0x4040404040404040ULL;
  return (t - kOnes) & ~t & kHigh;  // some byte of t is zero
}

// True when no byte of the 64 at p has bit 6 set, so that no code can start among them: a quick
// pass over silence and zero fill.
inline bool no_code_start_in_64(const uint8_t* p) {
  uint64_t words[8];
  std::memcpy(words, p, sizeof words);
  uint64_t any = 0;
  for (uint64_t word : words) any |= word;
  return (any & 0x4040404040404040ULL) == 0;
}

constexpr bool codes_start_with_01() {
  for (uint32_t word : kCodeWords) {
    if ((word & 0xC0) != 0x40) return false;
  }
  return true;
}
static_assert(kBextTimeReferenceHigh == kBextTimeReferenceLow + 4);
static_assert(codes_start_with_01(), "the quick passes rely on the form of the first bytes");

// The first position among the n positions at p where one of the codes starts; the four bytes of
// every position lie in memory (p holds n + 3 bytes). Returns the code, or kCodeCount for none.
ChunkCode find_code(const uint8_t* p, size_t n, size_t* at) {
  size_t i = 0;
  while (i < n) {
    if (i + 64 <= n && no_code_start_in_64(p + i)) {
      i += 64;
      continue;
    }
    if (i + 8 <= n) {
      uint64_t word = 0;
      std::memcpy(&word, p + i, sizeof word);
      if (code_start_bits(word) == 0) {
        i += 8;
        continue;
      }
    }
    if (kFirstBytes[p[i]]) {
      const uint32_t value = load_le32(p + i);
      for (int code = 0; code < kCodeCount; ++code) {
        if (value == kCodeWords[code]) {
          *at = i;
          return static_cast<ChunkCode>(code);
        }
      }
    }
    ++i;
  }
  return kCodeCount;
}

// A window of the source read in large sequential blocks, so that the byte-by-byte search costs
// one pass over the file rather than a read per tested offset. The result is the same as reading
// at each offset: a request at an offset gets the bytes the source holds there.
class ReadWindow {
 public:
  // A block never larger than the file needs.
  ReadWindow(const platform::ByteSource& source, size_t block)
      : source_(source),
        buffer_(std::max(kWavMinimumSearchBlock,
                         static_cast<size_t>(std::min<uint64_t>(block, source.size())))) {}

  // The bytes from `offset` on that the window holds after making sure it holds `need` of them
  // when the source has them (need <= kWavMinimumSearchBlock). Returns how many there are;
  // *bytes points at them.
  size_t at(uint64_t offset, size_t need, const uint8_t** bytes) {
    if (offset >= start_ && offset - start_ <= length_) {
      const size_t have = length_ - static_cast<size_t>(offset - start_);
      if (have >= need || atEnd_) {
        *bytes = buffer_.data() + (offset - start_);
        return have;
      }
    }
    start_ = offset;
    const platform::IoResult got = source_.read_at(offset, buffer_.data(), buffer_.size());
    length_ = got.ok() ? got.bytes : 0;  // a failed read ends the file here
    atEnd_ = length_ < buffer_.size();
    *bytes = buffer_.data();
    return length_;
  }

 private:
  const platform::ByteSource& source_;
  std::vector<uint8_t> buffer_;
  uint64_t start_ = 0;
  size_t length_ = 0;
  bool atEnd_ = false;
};

// Copies up to n bytes of a payload from `offset` into out (zero-filled first), never more than
// `payloadBytes` from the payload's start; the payload is read as far as the file holds it.
void copy_payload(ReadWindow& window, uint64_t payloadStart, uint64_t payloadBytes, uint64_t offset,
                  uint8_t* out, size_t n) {
  std::memset(out, 0, n);
  if (offset >= payloadBytes) return;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(n, payloadBytes - offset));
  const uint8_t* bytes = nullptr;
  const size_t have = window.at(payloadStart + offset, want, &bytes);
  std::memcpy(out, bytes, std::min(want, have));
}

}  // namespace

int32_t read_wav_chunks(const platform::ByteSource& source, WAV_FILE_INFO* info,
                        size_t blockBytes) {
  *info = WAV_FILE_INFO{};
  const uint64_t fileSize = source.size();
  ReadWindow window(source, blockBytes);
  std::array<bool, kCodeCount> noted{};

  // Every offset below the limit is tested for a code; the limit falls to the start of the
  // sample data once the data chunk is met, so chunks after it are never seen.
  uint64_t limit = fileSize;
  uint64_t position = 0;
  while (position < limit) {
    const uint8_t* bytes = nullptr;
    size_t have = window.at(position, 8, &bytes);
    if (have < 4) break;  // fewer than four bytes left: the search ends
    const uint64_t stop = std::min<uint64_t>(limit, position + (have - 3));
    size_t found = 0;
    const ChunkCode code = find_code(bytes, static_cast<size_t>(stop - position), &found);
    if (code == kCodeCount) {
      position = stop;
      continue;
    }
    const uint64_t at = position + found;
    have = window.at(at, 8, &bytes);
    if (have < 8) return kWavNotUsable;  // the size field is cut short by the end of the file
    if (code == kForm) return kWavNotUsable;
    const uint32_t size = load_le32(bytes + 4);
    const uint64_t payloadStart = at + 8;
    // Bytes of the payload the file holds: a payload that is read ends there.
    const uint64_t payloadBytes =
        payloadStart < fileSize ? std::min<uint64_t>(size, fileSize - payloadStart) : 0;
    uint64_t next = payloadStart;  // behind the size field

    switch (code) {
      case kRiff:
        noted[kRiff] = true;
        break;
      case kWave:
        // "WAVE" has no size field: the four bytes after it are searched again.
        noted[kWave] = true;
        next = at + 4;
        break;
      case kBext:
        if (size < kBextMinimumSize) break;  // too short: searched through like other bytes
        {
          uint8_t reference[8];
          copy_payload(window, payloadStart, payloadBytes, kBextTimeReferenceLow, reference, 8);
          const uint64_t low = load_le32(reference);
          const uint64_t high = load_le32(reference + 4);
          info->start_sample = high << 32 | low;
        }
        noted[kBext] = true;
        next = payloadStart + payloadBytes;
        break;
      case kFmt:
        if (size < kFmtMinimumSize) break;
        {
          uint8_t fmt[kFmtMinimumSize];
          copy_payload(window, payloadStart, payloadBytes, 0, fmt, sizeof fmt);
          info->format_tag = load_le16(fmt);
          info->channels = load_le16(fmt + 2);
          info->sample_rate = load_le32(fmt + 4);
          info->avg_bytes_per_sec = load_le32(fmt + 8);
          info->block_align = load_le16(fmt + 12);
          info->bits_per_sample = load_le16(fmt + 14);
          info->bytes_per_sample = info->channels == 2
                                       ? static_cast<uint16_t>(info->block_align / 2)
                                       : info->block_align;
        }
        if (info->sample_rate != 48000 ||
            (info->bits_per_sample != 16 && info->bits_per_sample != 24)) {
          return kWavWrongFormat;
        }
        noted[kFmt] = true;
        next = payloadStart + payloadBytes;
        break;
      case kData:
        info->data_size = size;
        info->data_offset = payloadStart;
        noted[kData] = true;
        limit = payloadStart;
        break;
      default:
        break;
    }
    // The search resumes three bytes before where reading stopped: inside the size field after a
    // chunk whose payload was skipped, at the last bytes of a payload that was read.
    position = next - 3;
  }

  if (noted[kBext]) info->is_bwf = 1;
  if (!noted[kRiff] || !noted[kWave] || !noted[kFmt] || !noted[kData]) return kWavNotUsable;
  // Without a sample frame size (or any channel) the samples cannot be counted.
  if (info->block_align == 0 || info->channels == 0) return kWavNotUsable;
  info->data_available = info->data_offset < fileSize
                             ? std::min<uint64_t>(info->data_size, fileSize - info->data_offset)
                             : 0;
  return kWavAccepted;
}

int32_t read_wav_file_info(const std::string& path, WAV_FILE_INFO* info,
                           const MXF_TIMECODE_INFO* timecode) {
  if (path.empty()) return kWavNoPath;
  if (info == nullptr || timecode == nullptr) return kWavNoRecord;
  if (timecode->rateCode > 7) return kWavRateCodeUnknown;
  *info = WAV_FILE_INFO{};
  {
    platform::Status status;
    const platform::File file = platform::File::open(path, platform::Access::kReadExisting,
                                                     platform::Sharing::kNone, &status);
    if (!file.valid()) return kWavCannotOpen;
    const platform::FileSource source(file);
    const int32_t result = read_wav_chunks(source, info);
    if (result != kWavAccepted) return result;
  }  // the file is closed before placing
  place_wav_timecodes(info, timecode);
  return kWavAccepted;
}

}  // namespace tavrin
