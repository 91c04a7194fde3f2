#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>

#include "fuzz_entries.h"
#include "mxf/records.h"
#include "wav/wav_entry_texts.h"
#include "wav/wav_reader.h"

namespace tavrin::fuzz {

namespace {

// The reader takes a path, so every input passes through one file of this process, rewritten in
// place for each input.
class InputFile {
 public:
  InputFile() {
    const char* dir = std::getenv("TMPDIR");
    path_ = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/tavrin-fuzz-XXXXXX";
    fd_ = ::mkstemp(path_.data());
    if (fd_ < 0) std::abort();
  }
  ~InputFile() {
    ::close(fd_);
    ::unlink(path_.c_str());
  }
  const std::string& write(const uint8_t* data, size_t size) {
    if (::ftruncate(fd_, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
      const ssize_t put = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (put <= 0) std::abort();
      done += static_cast<size_t>(put);
    }
    return path_;
  }

 private:
  std::string path_;
  int fd_ = -1;
};

// The timecode record of a loaded file of the rate a byte chooses: bits 0..2 the rate code, bit 3
// the drop flag, bit 7 a code above 7 (as no analysis leaves, but the reader must still refuse).
void set_grid(uint8_t b, MXF_TIMECODE_INFO& grid) {
  static constexpr std::array<uint32_t, 8> kFps = {0, 1, 2, 3, 0, 1, 2, 3};
  static constexpr std::array<uint32_t, 8> kNum = {24000, 25000, 30000, 60000,
                                                   24000, 25000, 30000, 60000};
  const uint32_t code = b & 7u;
  grid.rateCode = (b & 0x80u) != 0 ? 8 + ((b >> 4) & 7u) : code;
  grid.fpsCode = (b & 0x80u) != 0 ? (b >> 4) & 7u : kFps[code];
  grid.dropFrame = (b >> 3) & 1u;
  grid.editRateNum = kNum[code];
  grid.editRateDen = code < 4 ? 1000 : 1001;
}

}  // namespace

void read_wav_bytes(const uint8_t* data, size_t size) {
  if (size == 0) return;
  static InputFile file;
  MXF_TIMECODE_INFO grid;
  set_grid(data[0], grid);
  const std::string& path = file.write(data + 1, size - 1);
  WAV_FILE_INFO info;
  if (read_wav_file_info(path, &info, &grid) != kWavAccepted) return;
  if (info.data_available > info.data_size || info.data_offset + info.data_available > size - 1) {
    std::abort();  // the reader promises never to claim bytes the file does not hold
  }
  WAV_LIBRARY_ENTRY entry;
  entry.file_name = "input.wav";
  entry.file_path = path;
  entry.info = info;
  entry.find_data.size = size - 1;
  fill_wav_entry_texts(entry, grid);
}

}  // namespace tavrin::fuzz
