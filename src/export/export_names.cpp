#include "export/export_names.h"

#include "platform/file.h"
#include "platform/paths.h"

namespace tavrin {

std::string export_track_path(const std::string& folder, const std::string& prefix,
                              uint32_t trackNumber, uint32_t counter) {
  std::string path = folder;
  path += platform::kPathSeparator;
  path += prefix;
  path += std::to_string(trackNumber);
  path += ".wav";
  if (platform::file_exists(path)) {
    path += ' ';
    path += std::to_string(counter);
    path += ".wav";
  }
  return path;
}

}  // namespace tavrin
