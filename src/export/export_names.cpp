#include "export/export_names.h"

#include <sys/stat.h>

#include "platform/paths.h"

namespace tavrin {

std::string export_track_candidate(const std::string& folder, const std::string& prefix,
                                   uint32_t trackNumber, uint32_t counter, uint32_t attempt) {
  std::string path = folder;
  path += platform::kPathSeparator;
  path += prefix;
  path += std::to_string(trackNumber);
  path += ".wav";
  if (attempt == 0) return path;
  const uint64_t value = uint64_t{counter} + attempt - 1;
  if (value > UINT32_MAX) return std::string();
  path += ' ';
  path += std::to_string(value);
  path += ".wav";
  return path;
}

std::string export_track_path(const std::string& folder, const std::string& prefix,
                              uint32_t trackNumber, uint32_t counter) {
  std::string path;
  struct stat info {};
  for (uint32_t attempt = 0;; ++attempt) {
    path = export_track_candidate(folder, prefix, trackNumber, counter, attempt);
    if (path.empty() || ::lstat(path.c_str(), &info) != 0) return path;
  }
}

}  // namespace tavrin
