// Temporary until the wrap detail log lands.
#include <cstdio>

#include "cli/log_output.h"

namespace tavrin::cli {

bool write_wrap_log(app::APP_STATE_INFO&, const std::string& path, TextEncoding) {
  std::fprintf(stderr, "%s: the wrap detail log is not available yet\n", path.c_str());
  return false;
}

}  // namespace tavrin::cli
