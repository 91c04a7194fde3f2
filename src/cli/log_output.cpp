#include "cli/log_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "app/analysis_dialog.h"
#include "app/progress_dialog.h"
#include "cli/session.h"
#include "platform/local_time.h"
#include "platform/paths.h"

namespace tavrin::cli {

namespace {

// Prints the message of a log save, and for a failure the system's reason with the path.
bool report(const app::LogSaveResult& result) {
  print_message(result.message);
  if (!result.written) std::fprintf(stderr, "%s\n", result.detail.c_str());
  return result.written;
}

}  // namespace

bool write_ltc_log(app::APP_STATE_INFO& app, const std::string& path, TextEncoding encoding) {
  return report(app::write_ltc_error_log_at(app, platform::absolute_path(path), encoding,
                                            platform::local_time_now()));
}

bool write_wrap_log(app::APP_STATE_INFO& app, const std::string& path, TextEncoding encoding) {
  return report(app::write_wrap_detail_log_at(app, platform::absolute_path(path), encoding,
                                              platform::local_time_now()));
}

int log_path_error(const std::string& path) {
  if (path.empty()) return ENOENT;
  platform::Status status;
  if (platform::file_exists(path)) {
    const platform::File file = platform::File::open(path, platform::Access::kWriteExisting,
                                                     platform::Sharing::kAny, &status);
    return file.valid() ? 0 : status.error;
  }
  const size_t slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
  return ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

}  // namespace tavrin::cli
