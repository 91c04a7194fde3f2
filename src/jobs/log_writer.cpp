#include "jobs/log_writer.h"

#include <cerrno>
#include <cstring>

#include "platform/file.h"

namespace tavrin::jobs {

namespace {

LogWriteResult failure(LogWriteStage stage, const std::string& path, int error) {
  return {stage, path, error != 0 ? error : EIO};
}

}  // namespace

std::string LogWriteResult::describe() const {
  if (written()) return std::string();
  return path + ": " + std::strerror(error) + " (errno " + std::to_string(error) + ")";
}

LogWriteResult write_log(const std::string& path, const std::vector<std::string>& pieces,
                         platform::TextEncoding encoding) {
  return write_log(path, pieces, platform::iconv_name(encoding));
}

LogWriteResult write_log(const std::string& path, const std::vector<std::string>& pieces,
                         const std::string& iconvTarget) {
  // Everything is converted before the file is touched, so a missing converter leaves an
  // existing file as it was.
  std::string bytes;
  std::string converted;
  for (const std::string& piece : pieces) {
    int error = 0;
    if (!platform::convert_from_utf8(piece, iconvTarget, &converted, &error)) {
      return failure(LogWriteStage::kConvert, path, error);
    }
    bytes += converted;
  }

  platform::Status status;
  platform::File file = platform::File::open(path, platform::Access::kCreateReplace,
                                             platform::Sharing::kAny, &status);
  if (!file.valid()) return failure(LogWriteStage::kOpen, path, status.error);

  const platform::IoResult put = file.write_at(0, bytes.data(), bytes.size());
  if (put.bytes != bytes.size() || !put.ok()) {
    return failure(LogWriteStage::kWrite, path, put.error);
  }
  // A file system that keeps write errors until the data reaches the disk reports them here.
  // Targets that cannot be synchronised (EINVAL) have nothing more to report.
  if (const platform::Status synced = file.sync(); !synced.ok() && synced.error != EINVAL) {
    return failure(LogWriteStage::kClose, path, synced.error);
  }
  if (const platform::Status closed = file.close(); !closed.ok()) {
    return failure(LogWriteStage::kClose, path, closed.error);
  }
  return {LogWriteStage::kNone, path, 0};
}

}  // namespace tavrin::jobs
