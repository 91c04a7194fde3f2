#include "cli/log_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "cli/session.h"
#include "jobs/ltc_error_log.h"
#include "platform/local_time.h"
#include "platform/paths.h"

namespace tavrin::cli {

bool write_ltc_log(app::APP_STATE_INFO& app, const std::string& path, TextEncoding encoding) {
  const std::string logPath = platform::absolute_path(path);
  const std::string mxfName = platform::file_name(app.mxfPath);
  const jobs::LogWriteResult result = jobs::write_ltc_error_log(
      logPath, app.mxfPath, app.mxf(), &app.errorList, encoding, platform::local_time_now());
  if (!result.written()) {
    print_message(jobs::ltc_log_failure_message(mxfName, result.error));
    std::fprintf(stderr, "%s\n", result.describe().c_str());
    return false;
  }
  print_message(jobs::ltc_log_written_message(mxfName, logPath));
  return true;
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
