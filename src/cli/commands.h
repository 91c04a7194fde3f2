// The subcommands of mxf-tavrin-cli. Each add_* function declares its command with its arguments
// on the program's parser and returns how to run it once the command line has been parsed; the
// run returns the process exit status.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace tavrin::cli {

struct Command {
  CLI::App* parser = nullptr;
  std::function<int()> run;
};

Command add_info(CLI::App& program);
Command add_check(CLI::App& program);
Command add_wavinfo(CLI::App& program);
Command add_wrap(CLI::App& program);
Command add_export(CLI::App& program);
Command add_undo(CLI::App& program);
Command add_loudness(CLI::App& program);

}  // namespace tavrin::cli
