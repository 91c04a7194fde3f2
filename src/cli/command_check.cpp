// mxf-tavrin-cli check FILE [--log PATH] [--file-api] [--encoding locale|cp932|utf-8]
#include <cstdio>
#include <memory>

#include "cli/commands.h"
#include "cli/log_output.h"
#include "cli/options.h"
#include "cli/session.h"

namespace tavrin::cli {

namespace {

struct CheckOptions {
  std::string path;
  std::string log;
  const CLI::Option* logOption = nullptr;
  bool fileApi = false;
  bool progress = false;
  TextEncoding encoding = TextEncoding::kLocale;
};

int run_check(const CheckOptions& o) {
  app::APP_STATE_INFO app;
  const LoadedSession session = analyse_file(app, o.path, o.fileApi, false, o.progress);
  if (!session.opened) {
    std::fprintf(stderr, "%s: %s\n", o.path.c_str(), session.openError.c_str());
    return kExitUsage;
  }
  std::printf("%s\n", analysis_text(session).c_str());
  const bool verified = app.mxf().sectionCode.load() == 1000 && session.code() != 99;
  if (verified) std::printf("LTCエラー数: %u\n", app.timecode().errorCount);
  if (session.succeeded()) return kExitOk;
  if (session.code() == 99) return kExitCancelled;
  if (session.code() != 1009) return kExitRefused;
  if (o.logOption->count() != 0) {
    if (!write_ltc_log(app, o.log, o.encoding)) return kExitRefused;
  }
  return kExitBreaks;
}

}  // namespace

Command add_check(CLI::App& program) {
  auto o = std::make_shared<CheckOptions>();
  CLI::App* command = program.add_subcommand(
      "check", "analyse and verify the system item timecode; write the LTC error log");
  add_mxf_file(*command, &o->path);
  o->logOption =
      command->add_option("--log", o->log, "write the LTC error log here when breaks are found")
          ->type_name("PATH");
  add_encoding(*command, &o->encoding);
  add_file_api(*command, &o->fileApi);
  add_progress(*command, &o->progress);
  return {command, [o] { return run_check(*o); }};
}

}  // namespace tavrin::cli
