#include "cli/log_output.h"

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

}  // namespace tavrin::cli
