// The logs from the command line: the encoding choice and writing the LTC error log and the wrap
// detail log, with the messages the window shows around them.
#pragma once

#include <optional>
#include <string>

#include "app/app_state.h"
#include "platform/text.h"

namespace tavrin::cli {

using platform::TextEncoding;

// "locale", "cp932" or "utf-8" (absent: the locale's codeset).
bool parse_encoding(const std::optional<std::string>& text, TextEncoding* out, std::string* error);

// Writes the LTC error log of the last verification to `path`; prints the result. True when
// written.
bool write_ltc_log(app::APP_STATE_INFO& app, const std::string& path, TextEncoding encoding);

// Writes the wrap detail log of the job just done to `path`; prints the result. True when
// written.
bool write_wrap_log(app::APP_STATE_INFO& app, const std::string& path, TextEncoding encoding);

}  // namespace tavrin::cli
