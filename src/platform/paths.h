// Path pieces with the platform separator '/'.
#pragma once

#include <string>
#include <string_view>

namespace tavrin::platform {

inline constexpr char kPathSeparator = '/';

// The text after the last separator; the whole path when it has none.
std::string file_name(std::string_view path);
// The text after the last separator; empty when the path has none (the library's rule for entry
// names).
std::string name_after_separator(std::string_view path);
// The path without its file name and without the separator before it; empty when it has none.
std::string folder_of(std::string_view path);
// The extension of the file name including its dot (".wav"); empty when the name has none.
std::string extension_of(std::string_view path);
// folder + separator + name (no separator doubled).
std::string join_path(std::string_view folder, std::string_view name);
// An absolute form of the path (relative paths are taken from the current directory); the path
// itself when the current directory cannot be read.
std::string absolute_path(std::string_view path);

}  // namespace tavrin::platform
