// libFuzzer target: the analysis of an MXF file held in memory.
#include "fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavrin::fuzz::analyse_mxf_bytes(data, size);
  return 0;
}
