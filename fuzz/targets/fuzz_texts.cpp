// libFuzzer target: the log and text builders fed with random records.
#include "fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavrin::fuzz::build_log_texts(data, size);
  return 0;
}
