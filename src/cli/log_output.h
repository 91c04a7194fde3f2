// The logs from the command line: writing the LTC error log and the wrap detail log, with the
// messages the window shows around them.
#pragma once

#include <string>

#include "app/app_state.h"
#include "platform/text.h"

namespace tavrin::cli {

using platform::TextEncoding;

// Writes the LTC error log of the last verification to `path`; prints the result. True when
// written.
bool write_ltc_log(app::APP_STATE_INFO& app, const std::string& path, TextEncoding encoding);

// Writes the wrap detail log of the job just done to `path`; prints the result. True when
// written.
bool write_wrap_log(app::APP_STATE_INFO& app, const std::string& path, TextEncoding encoding);

}  // namespace tavrin::cli
