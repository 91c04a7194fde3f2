// Runs mxf-tavrin-cli as a child process and captures what it printed and how it ended.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tavrin::test {

struct CliResult {
  int exitStatus = -1;  // the child's exit status; -1 when it could not be started or was killed
  int killedBy = 0;     // the signal that ended the child, 0 when it exited
  std::string out;      // everything written to stdout
  std::string err;      // everything written to stderr
};

// Runs the CLI executable of this build with `args` (no shell, no quoting needed).
CliResult run_cli(const std::vector<std::string>& args);

// A CLI child that runs while the test watches it: its standard input is a pipe the test writes
// to, its output goes to files the test can read at any time. `fileSizeLimit` (bytes, 0: none)
// becomes the child's RLIMIT_FSIZE. A child still running at destruction is killed.
class CliChild {
 public:
  explicit CliChild(const std::vector<std::string>& args, uint64_t fileSizeLimit = 0);
  ~CliChild();
  CliChild(const CliChild&) = delete;
  CliChild& operator=(const CliChild&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // What the child has written to stderr so far.
  std::string err_so_far() const;
  // Writes `text` to the child's standard input; closing it gives the child the end of its input.
  void type(const std::string& text);
  void close_input();
  // Waits until stderr holds `part`, or the child has ended, or `seconds` have passed. True when
  // `part` was seen.
  bool wait_for_err(const std::string& part, double seconds) const;
  // The same for any condition on what stderr holds.
  bool wait_for_err(const std::function<bool(const std::string&)>& seen, double seconds) const;
  // Closes the input, waits for the end and returns what the child printed.
  CliResult wait();

 private:
  TempDir dir_;
  pid_t pid_ = -1;
  int input_ = -1;
};

}  // namespace tavrin::test
