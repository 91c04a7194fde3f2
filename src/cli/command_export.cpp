// mxf-tavrin-cli export FILE --in TC --out TC --tracks N[,N...] [--folder DIR] [--prefix P]
//   [--counter N] [--file-api] [--buffer POS] [--progress] [--skip-check]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/export_form.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/job_runner_cli.h"
#include "cli/session.h"
#include "platform/paths.h"

namespace tavrin::cli {

namespace {

constexpr const char* kUsage =
    "usage: mxf-tavrin-cli export FILE --in TC --out TC --tracks N[,N...] [--folder DIR]\n"
    "         [--prefix P] [--counter N] [--file-api] [--buffer POS] [--progress] [--skip-check]\n";

int usage(const std::string& error) {
  std::fprintf(stderr, "%s%s\n", kUsage, error.c_str());
  return kExitUsage;
}

bool parse_number(const std::string& text, unsigned long max, unsigned long* out) {
  char* end = nullptr;
  *out = std::strtoul(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && *out <= max;
}

}  // namespace

int run_export(int argc, char** argv) {
  ArgSpec accepted;
  accepted.flags = {"--file-api", "--progress", "--skip-check"};
  accepted.options = {"--in", "--out", "--tracks", "--folder", "--prefix", "--counter", "--buffer"};
  Args args;
  std::string error;
  if (!parse_args(argc, argv, 2, accepted, &args, &error)) return usage(error);
  if (args.positional.size() != 1) return usage("one MXF file is needed");
  if (!args.get("--in") || !args.get("--out") || !args.get("--tracks")) {
    return usage("--in, --out and --tracks are needed");
  }
  unsigned long bufferIndex = 4;
  if (const auto buffer = args.get("--buffer"); buffer && !parse_number(*buffer, 13, &bufferIndex)) {
    return usage("--buffer takes 0 .. 13");
  }
  unsigned long counter = 1;
  if (const auto text = args.get("--counter");
      text && (!parse_number(*text, UINT32_MAX, &counter) || counter == 0)) {
    return usage("--counter takes a number from 1");
  }

  app::APP_STATE_INFO app;
  LoadedSession session;
  if (!load_file(app, args.positional[0], args.has("--file-api"), args.has("--skip-check"),
                 &session)) {
    return session.opened ? kExitRefused : kExitUsage;
  }
  app.tracks.wavBufferIndex = static_cast<uint32_t>(bufferIndex);

  std::vector<size_t> tracks;
  if (!parse_track_list(*args.get("--tracks"), app.existing_tracks(), &tracks, &error)) {
    return usage(error);
  }
  for (const size_t t : tracks) app.tracks.exportMark[t] = 1;

  if (const auto refusal = app::enter_export_in(app, *args.get("--in"))) {
    print_message(*refusal);
    return kExitRefused;
  }
  if (const auto refusal = app::enter_export_out(app, *args.get("--out"))) {
    print_message(*refusal);
    return kExitRefused;
  }
  // The form takes the counter one higher for every export: start one below the wanted value.
  app.tracks.exportCounter = static_cast<uint32_t>(counter - 1);
  const std::string folder = platform::absolute_path(args.get("--folder").value_or("."));
  const std::string prefix = args.get("--prefix").value_or("Track-");
  if (const auto refusal = app::prepare_export_job(app, prefix, folder)) {
    print_message(*refusal);
    return kExitRefused;
  }
  const jobs::JobMessage final = run_processing_job(app, args.has("--progress"));
  std::printf("%s\n", final.text.c_str());
  return exit_status_of(final);
}

}  // namespace tavrin::cli
