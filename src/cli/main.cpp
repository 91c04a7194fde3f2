// mxf-tavrin-cli: the command-line front end of MXF Tavrin over the same core as the window.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/info_panel.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/session.h"
#include "platform/file.h"
#include "platform/text.h"

namespace {

constexpr const char* kFooter =
    "Run \"mxf-tavrin-cli COMMAND --help\" for the options of a command.\n"
    "\n"
    "exit status: 0 done, 1 refused or failed, 2 usage error or unreadable file,\n"
    "             3 timecode breaks found (info, check),\n"
    "             4 a programme misses the loudness target (loudness), 99 cancelled";

// Help and version go to stdout with status 0; a usage error names the argument on stderr.
int report_parse_error(const CLI::App& program, const CLI::ParseError& error,
                       const char* firstArgument) {
  if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
    return program.exit(error);
  }
  for (const CLI::App* command : program.get_subcommands([](const CLI::App*) { return true; })) {
    if (command->parsed()) return tavrin::cli::usage_error(*command, error.what());
  }
  // Before a command: the first argument is a command that does not exist or an option the
  // program does not have.
  const bool option = firstArgument[0] == '-';
  return tavrin::cli::usage_error(
      program, std::string(option ? "unknown option: " : "unknown command: ") + firstArgument);
}

}  // namespace

int main(int argc, char** argv) {
  tavrin::platform::init_user_locale();
  tavrin::platform::ignore_file_size_signal();
  const std::string version(tavrin::app::program_version_text());
  CLI::App program(version + " - in-place audio replacement for OP1a MXF files", "mxf-tavrin-cli");
  program.set_version_flag("--version", version);
  program.require_subcommand(1);
  const std::vector<tavrin::cli::Command> commands = {
      tavrin::cli::add_info(program),    tavrin::cli::add_check(program),
      tavrin::cli::add_wavinfo(program), tavrin::cli::add_wrap(program),
      tavrin::cli::add_export(program),  tavrin::cli::add_loudness(program),
      tavrin::cli::add_undo(program),
  };
  // Set after the commands so that their help does not repeat it.
  program.footer(kFooter);
  // Without a command there is nothing to do: a usage error, with the usage on stderr so that a
  // script that forgot the command does not read the help as the command's output.
  if (argc < 2) {
    std::fputs(program.help().c_str(), stderr);
    return tavrin::cli::kExitUsage;
  }
  // "help" and "help COMMAND" as older scripts call them.
  if (std::string_view(argv[1]) == "help") {
    std::string help = program.help();
    for (const tavrin::cli::Command& command : commands) {
      if (argc > 2 && command.parser->get_name() == argv[2]) {
        help = command.parser->help(program.get_name());
      }
    }
    std::fputs(help.c_str(), stdout);
    return tavrin::cli::kExitOk;
  }
  try {
    program.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return report_parse_error(program, error, argv[1]);
  }
  for (const tavrin::cli::Command& command : commands) {
    if (command.parser->parsed()) return command.run();
  }
  return tavrin::cli::kExitUsage;
}
