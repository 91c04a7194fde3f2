// mxf-tavrin-cli: the command-line front end of MXF Tavrin over the same core as the window.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "cli/session.h"
#include "platform/text.h"

namespace {

constexpr const char* kHelp =
    "MXF Tavrin 1.0.0.0 - in-place audio replacement for OP1a MXF files\n"
    "\n"
    "usage: mxf-tavrin-cli COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  info FILE [--json] [--block] [--file-api]\n"
    "      analyse an MXF file and show what the program found\n"
    "  check FILE [--log PATH] [--file-api] [--encoding locale|cp932|utf-8]\n"
    "      analyse and verify the system item timecode; write the LTC error log\n"
    "  wavinfo MXF WAV... [--json] [--skip-check]\n"
    "      place WAV/BWF files on the timecode grid of an MXF file\n"
    "  wrap FILE --in TC --out TC [--track N=WAV]... [--silence N[,N...]] [--file-api]\n"
    "       [--buffer POS] [--log PATH] [--encoding locale|cp932|utf-8] [--yes] [--progress]\n"
    "       [--skip-check]\n"
    "      overwrite the audio of tracks in place between IN and OUT\n"
    "  export FILE --in TC --out TC --tracks N[,N...] [--folder DIR] [--prefix P]\n"
    "       [--counter N] [--file-api] [--buffer POS] [--progress] [--skip-check]\n"
    "      write tracks out as mono BWF files\n"
    "\n"
    "exit status: 0 done, 1 refused or failed, 2 usage error or unreadable file,\n"
    "             3 timecode breaks found (info, check), 99 cancelled\n";

}  // namespace

int main(int argc, char** argv) {
  tavrin::platform::init_user_locale();
  // Without a command there is nothing to do: a usage error, with the usage on stderr so that a
  // script that forgot the command does not read the help as the command's output.
  if (argc < 2) {
    std::fputs(kHelp, stderr);
    return tavrin::cli::kExitUsage;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    std::fputs(kHelp, stdout);
    return tavrin::cli::kExitOk;
  }
  const std::string command = argv[1];
  if (command == "info") return tavrin::cli::run_info(argc, argv);
  if (command == "check") return tavrin::cli::run_check(argc, argv);
  if (command == "wavinfo") return tavrin::cli::run_wavinfo(argc, argv);
  if (command == "wrap") return tavrin::cli::run_wrap(argc, argv);
  if (command == "export") return tavrin::cli::run_export(argc, argv);
  std::fprintf(stderr, "unknown command: %s\n\n%s", command.c_str(), kHelp);
  return tavrin::cli::kExitUsage;
}
