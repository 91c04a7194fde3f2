// mxf-tavrin-cli check FILE [--log PATH] [--file-api] [--encoding locale|cp932|utf-8]
#include <cstdio>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/log_output.h"
#include "cli/session.h"

namespace tavrin::cli {

int run_check(int argc, char** argv) {
  ArgSpec accepted;
  accepted.flags = {"--file-api", "--progress"};
  accepted.options = {"--log", "--encoding"};
  Args args;
  std::string error;
  TextEncoding encoding = TextEncoding::kLocale;
  if (!parse_args(argc, argv, 2, accepted, &args, &error) || args.positional.size() != 1 ||
      !parse_encoding(args.get("--encoding"), &encoding, &error)) {
    std::fprintf(stderr,
                 "usage: mxf-tavrin-cli check FILE [--log PATH] [--file-api] "
                 "[--encoding locale|cp932|utf-8]\n%s\n",
                 error.c_str());
    return kExitUsage;
  }
  app::APP_STATE_INFO app;
  const LoadedSession session =
      analyse_file(app, args.positional[0], args.has("--file-api"), false, args.has("--progress"));
  if (!session.opened) {
    std::fprintf(stderr, "%s: %s\n", args.positional[0].c_str(), session.openError.c_str());
    return kExitUsage;
  }
  std::printf("%s\n", analysis_text(session).c_str());
  const bool verified = app.mxf().sectionCode.load() == 1000 && session.code() != 99;
  if (verified) std::printf("LTCエラー数: %u\n", app.timecode().errorCount);
  if (session.succeeded()) return kExitOk;
  if (session.code() == 99) return kExitCancelled;
  if (session.code() != 1009) return kExitRefused;
  if (const auto log = args.get("--log")) {
    if (!write_ltc_log(app, *log, encoding)) return kExitRefused;
  }
  return kExitBreaks;
}

}  // namespace tavrin::cli
