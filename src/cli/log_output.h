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

// Why a log could not be written at `path`: the system error of opening the existing file for
// writing, or of a folder that does not take a new file; 0 when it can be written. Asked
// before a job, so that a path the log cannot take is refused before the MXF file is changed.
// Nothing is created, and an existing file is neither cut nor changed.
int log_path_error(const std::string& path);

}  // namespace tavrin::cli
