// mxf-tavrin-cli export FILE --in TC --out TC --tracks N[,N...] [--folder DIR] [--prefix P]
//   [--counter N] [--file-api] [--buffer POS] [--progress] [--skip-check]
#include <cstdint>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "app/export_form.h"
#include "cli/commands.h"
#include "cli/job_runner_cli.h"
#include "cli/options.h"
#include "cli/session.h"
#include "platform/paths.h"

namespace tavrin::cli {

namespace {

struct ExportOptions {
  const CLI::App* command = nullptr;
  std::string path;
  std::string in;
  std::string out;
  std::vector<unsigned> tracks;
  std::string folder = ".";
  std::string prefix = "Track-";
  uint32_t counter = 1;
  bool fileApi = false;
  uint32_t buffer = kDefaultBufferPosition;
  bool progress = false;
  bool skipCheck = false;
};

int run_export(const ExportOptions& o) {
  // Held from here to the end of the job, so another job cannot take the file in between.
  platform::JobFileLock hold;
  if (const std::optional<int> refused = hold_for_job(o.path, &hold)) return *refused;
  app::APP_STATE_INFO app;
  if (const std::optional<int> refused =
          load_for_job(app, o.path, o.fileApi, o.buffer, o.skipCheck)) {
    return *refused;
  }

  std::vector<size_t> tracks;
  std::string error;
  if (!tracks_of_file(o.tracks, app.existing_tracks(), "--tracks", &tracks, &error)) {
    return usage_error(*o.command, error);
  }
  // Each track makes one file: a track named twice is a mistake in the command, refused before
  // anything is written.
  std::set<size_t> named;
  for (const size_t t : tracks) {
    if (!named.insert(t).second) {
      return usage_error(*o.command,
                         "--tracks: track " + std::to_string(t + 1) + " is named twice");
    }
  }
  for (const size_t t : tracks) app::set_export_mark(app, static_cast<int32_t>(t), true);

  if (const auto refusal = app::enter_export_in(app, o.in)) {
    print_message(*refusal);
    return kExitRefused;
  }
  if (const auto refusal = app::enter_export_out(app, o.out)) {
    print_message(*refusal);
    return kExitRefused;
  }
  // The form takes the counter one higher for every export: start one below the wanted value.
  app.tracks.exportCounter = o.counter - 1;
  if (const auto refusal =
          app::prepare_export_job(app, o.prefix, platform::absolute_path(o.folder))) {
    print_message(*refusal);
    return kExitRefused;
  }
  const std::optional<jobs::JobMessage> final = run_processing_job(app, o.progress);
  if (!final) return kExitRefused;
  std::printf("%s\n", final->text.c_str());
  return exit_status_of(*final);
}

}  // namespace

Command add_export(CLI::App& program) {
  auto o = std::make_shared<ExportOptions>();
  CLI::App* command = program.add_subcommand("export", "write tracks out as mono BWF files");
  o->command = command;
  add_mxf_file(*command, &o->path);
  add_timecode(*command, "--in", &o->in, "first frame to export");
  add_timecode(*command, "--out", &o->out, "last frame to export");
  add_track_numbers(*command, "--tracks", &o->tracks, "the tracks to export, one file each")
      ->required();
  // A folder that is not there is named at once rather than failing on the first file.
  command->add_option("--folder", o->folder, "existing folder the files are written into")
      ->type_name("DIR")
      ->check(CLI::ExistingDirectory.description(""))
      ->capture_default_str();
  command->add_option("--prefix", o->prefix, "start of the file names (PREFIX + track number)")
      ->type_name("P")
      ->capture_default_str();
  command
      ->add_option(
          "--counter", o->counter,
          "number added to a name that is taken (\"Track-2.wav 3.wav\"), raised while taken")
      ->check(CLI::Range(uint32_t{1}, UINT32_MAX).description(""))
      ->capture_default_str();
  add_file_api(*command, &o->fileApi);
  add_buffer(*command, &o->buffer);
  add_progress(*command, &o->progress);
  add_skip_check(*command, &o->skipCheck);
  return {command, [o] { return run_export(*o); }};
}

}  // namespace tavrin::cli
