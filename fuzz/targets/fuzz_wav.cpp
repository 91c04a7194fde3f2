// libFuzzer target: a WAV file read and placed on a loaded file's grid.
#include "fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavrin::fuzz::read_wav_bytes(data, size);
  return 0;
}
