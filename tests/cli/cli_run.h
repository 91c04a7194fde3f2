// Runs mxf-tavrin-cli as a child process and captures what it printed and how it ended.
#pragma once

#include <string>
#include <vector>

namespace tavrin::test {

struct CliResult {
  int exitStatus = -1;  // the child's exit status; -1 when it could not be started or was killed
  std::string out;      // everything written to stdout
  std::string err;      // everything written to stderr
};

// Runs the CLI executable of this build with `args` (no shell, no quoting needed).
CliResult run_cli(const std::vector<std::string>& args);

}  // namespace tavrin::test
