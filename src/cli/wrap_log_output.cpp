// The wrap detail log from the command line: written after a finished wrapping job when --log
// names a file, with the messages the window shows around it.
#include <cstdio>

#include "cli/log_output.h"
#include "cli/session.h"
#include "jobs/wrap_detail_log.h"
#include "platform/local_time.h"
#include "platform/paths.h"

namespace tavrin::cli {

bool write_wrap_log(app::APP_STATE_INFO& app, const std::string& path, TextEncoding encoding) {
  const std::string logPath = platform::absolute_path(path);
  const std::string mxfName = platform::file_name(app.mxfPath);
  const jobs::LogWriteResult result =
      jobs::write_wrap_detail_log(logPath, app.mxfPath, app.mxf(), app.tracks, app.useFileApi != 0,
                                  encoding, platform::local_time_now());
  if (!result.written()) {
    print_message(jobs::wrap_log_failure_message(mxfName, result.error));
    std::fprintf(stderr, "%s\n", result.describe().c_str());
    return false;
  }
  print_message(jobs::wrap_log_written_message(mxfName, logPath));
  return true;
}

}  // namespace tavrin::cli
