// The one writer of every log (the LTC error log and the wrap detail log). A log is a list of
// UTF-8 pieces; each is converted with iconv to the chosen encoding and the bytes are written as
// they come: binary, with the "\r\n" line ends the texts carry, no byte-order mark, no terminator.
// A character the target encoding cannot hold becomes '?'. A log is reported as written only when
// every byte reached the file and the file was closed without an error.
#pragma once

#include <string>
#include <vector>

#include "platform/text.h"

namespace tavrin::jobs {

// Where writing a log stopped.
enum class LogWriteStage {
  kNone,     // written
  kConvert,  // no converter to the target encoding
  kOpen,     // the file could not be created or replaced
  kWrite,    // a write failed or stopped short (disk full, file size limit, device gone)
  kClose,    // flushing or closing the file failed
};

struct LogWriteResult {
  LogWriteStage stage = LogWriteStage::kNone;
  std::string path;
  int error = 0;  // errno of the failure; 0 when written

  bool written() const { return stage == LogWriteStage::kNone; }
  // "<path>: <strerror> (errno N)" for a failure; empty when written.
  std::string describe() const;
};

// Converts every piece to `encoding` and writes them, in order, to `path` (created, or replaced
// when it exists).
LogWriteResult write_log(const std::string& path, const std::vector<std::string>& pieces,
                         platform::TextEncoding encoding);

// The same with an iconv codeset name as the target.
LogWriteResult write_log(const std::string& path, const std::vector<std::string>& pieces,
                         const std::string& iconvTarget);

}  // namespace tavrin::jobs
