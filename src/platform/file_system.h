// File-system services around a file rather than inside it: which file a path names (device and
// inode), the space left where a file will be written, creating a file that must not exist yet,
// renaming and removing files, and making a folder's entries durable.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file.h"

namespace tavrin::platform {

// The node a file is: device and inode. Two paths name the same file when these are equal.
struct FileNode {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileNode&) const = default;
};
Status file_node(const File& file, FileNode* out);

// Bytes an unprivileged writer may still put on the file system that holds `folder` (statvfs:
// available blocks times the fragment size).
Status free_space(const std::string& folder, uint64_t* bytes);

// Creates `path` for reading and writing; refused with EEXIST when it exists already.
File create_new(const std::string& path, Status* status);

// rename(2): replaces `to` atomically when it exists.
Status rename_file(const std::string& from, const std::string& to);
// unlink(2); a path that does not exist is success.
Status remove_file(const std::string& path);
// Flushes the entries of the folder that holds `path` (after creating, renaming or removing it).
Status sync_parent_folder(const std::string& path);

}  // namespace tavrin::platform
