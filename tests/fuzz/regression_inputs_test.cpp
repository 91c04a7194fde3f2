// Every input a fuzz target ever failed on, replayed through the same entry the target runs. The
// inputs are hex dumps under tests/fuzz/inputs/<target>/ ('#' starts a comment), so a finding is
// stored as text, and each one runs in the normal build and under the sanitizers.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_entries.h"
#include "platform/file.h"

namespace tavrin::test {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> read_hex(const fs::path& path) {
  std::ifstream in(path);
  std::vector<uint8_t> bytes;
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
      EXPECT_EQ(word.size(), 2u) << path << ": " << word;
      bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
    }
  }
  return bytes;
}

const std::map<std::string, std::function<void(const uint8_t*, size_t)>>& entries() {
  static const std::map<std::string, std::function<void(const uint8_t*, size_t)>> kEntries = {
      {"fuzz_analysis", fuzz::analyse_mxf_bytes},
      {"fuzz_wav", fuzz::read_wav_bytes},
      {"fuzz_texts", fuzz::build_log_texts},
  };
  return kEntries;
}

TEST(FuzzRegression, EveryStoredInputRunsThrough) {
  const fs::path root = fs::path(TAVRIN_SOURCE_DIR) / "tests" / "fuzz" / "inputs";
  size_t replayed = 0;
  for (const auto& [target, entry] : entries()) {
    const fs::path dir = root / target;
    if (!fs::is_directory(dir)) continue;
    for (const fs::directory_entry& file : fs::directory_iterator(dir)) {
      if (file.path().extension() != ".hex") continue;
      SCOPED_TRACE(file.path().string());
      const std::vector<uint8_t> bytes = read_hex(file.path());
      entry(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  for (const auto& dir : fs::directory_iterator(root)) {
    EXPECT_TRUE(entries().count(dir.path().filename().string())) << "no target " << dir.path();
  }
  EXPECT_GT(replayed, 0u);
}

// Inputs too short for any record: every entry takes them.
TEST(FuzzRegression, EmptyAndTinyInputs) {
  const uint8_t bytes[4] = {0x06, 0x0E, 0x2B, 0x34};
  for (const auto& [target, entry] : entries()) {
    SCOPED_TRACE(target);
    for (size_t n = 0; n <= sizeof bytes; ++n) entry(bytes, n);
  }
}

// The first finding: the sort key of a file time at the ends of the 64-bit range.
TEST(FuzzRegression, FileTimeSortKeysAtTheLimits) {
  using platform::FileTime;
  using platform::to_windows_file_time;
  EXPECT_EQ(to_windows_file_time(FileTime{INT64_MAX, 999999999}), UINT64_MAX);
  EXPECT_EQ(to_windows_file_time(FileTime{INT64_MIN, 0}), 0u);
  EXPECT_EQ(to_windows_file_time(FileTime{-11644473600, 0}), 0u);
  EXPECT_EQ(to_windows_file_time(FileTime{0, 100}), 116444736000000001u);
  // The last second the unit holds, and the one behind it.
  const int64_t last = static_cast<int64_t>(UINT64_MAX / 10000000 - 11644473600);
  EXPECT_LT(to_windows_file_time(FileTime{last - 1, 0}), UINT64_MAX);
  EXPECT_EQ(to_windows_file_time(FileTime{last + 1, 0}), UINT64_MAX);
}

}  // namespace
}  // namespace tavrin::test
