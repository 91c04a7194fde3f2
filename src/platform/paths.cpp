#include "platform/paths.h"

#include <unistd.h>

#include <climits>
#include <vector>

namespace tavrin::platform {

std::string file_name(std::string_view path) {
  const size_t slash = path.rfind(kPathSeparator);
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string name_after_separator(std::string_view path) {
  const size_t slash = path.rfind(kPathSeparator);
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(slash + 1));
}

std::string folder_of(std::string_view path) {
  const size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string_view::npos) return std::string();
  if (slash == 0) return std::string(1, kPathSeparator);
  return std::string(path.substr(0, slash));
}

std::string extension_of(std::string_view path) {
  const std::string name = file_name(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string join_path(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != kPathSeparator) out.push_back(kPathSeparator);
  out.append(name);
  return out;
}

std::string absolute_path(std::string_view path) {
  if (!path.empty() && path.front() == kPathSeparator) return std::string(path);
  std::vector<char> buffer(PATH_MAX);
  if (::getcwd(buffer.data(), buffer.size()) == nullptr) return std::string(path);
  if (path.empty() || path == ".") return std::string(buffer.data());
  if (path.rfind("./", 0) == 0) path.remove_prefix(2);
  return join_path(buffer.data(), path);
}

}  // namespace tavrin::platform
