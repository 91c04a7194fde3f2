#include "cli/log_output.h"

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

}  // namespace tavrin::cli
