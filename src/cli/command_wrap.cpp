// mxf-tavrin-cli wrap FILE --in TC --out TC [--track N=WAV]... [--silence N[,N...]] [--file-api]
//   [--buffer POS] [--log PATH] [--encoding locale|cp932|utf-8] [--yes] [--progress] [--skip-check]
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <set>
#include <string>

#include "app/inout.h"
#include "app/library_files.h"
#include "app/track_assignment.h"
#include "app/track_switches.h"
#include "app/undo.h"
#include "cli/commands.h"
#include "cli/job_runner_cli.h"
#include "cli/journal_options.h"
#include "cli/log_output.h"
#include "cli/options.h"
#include "cli/session.h"
#include "jobs/wrap_detail_log.h"
#include "platform/paths.h"

namespace tavrin::cli {

namespace {

struct WrapOptions {
  const CLI::App* command = nullptr;
  std::string path;
  std::string in;
  std::string out;
  std::vector<std::string> assignments;  // N=WAV
  std::vector<unsigned> silence;
  bool fileApi = false;
  uint32_t buffer = kDefaultBufferPosition;
  std::string log;
  const CLI::Option* logOption = nullptr;
  TextEncoding encoding = TextEncoding::kLocale;
  bool yes = false;
  bool progress = false;
  bool skipCheck = false;
  std::string journalDir;
  bool noJournal = false;
  bool discardJournal = false;
};

bool ask_yes_no(const UserMessage& question) {
  std::fprintf(stderr, "%s [y/N] ", question.text.c_str());
  std::string answer;
  const bool got = static_cast<bool>(std::getline(std::cin, answer));
  // A terminal echoes the answer and its newline; a pipe does not.
  if (!::isatty(STDIN_FILENO)) std::fprintf(stderr, "\n");
  if (!got) return false;
  return answer == "y" || answer == "Y" || answer == "yes";
}

// The library entry of `path`, added now unless an earlier --track added it; null after printing
// the refusal.
WAV_LIBRARY_ENTRY* library_entry(app::APP_STATE_INFO& app, const std::string& path) {
  for (WAV_LIBRARY_ENTRY& existing : app.library.entries) {
    if (existing.file_path == path) return &existing;
  }
  const app::LibraryAdd add = app::add_wav_files(app, {path});
  for (const UserMessage& message : add.messages) print_message(message);
  if (add.added == 0) return nullptr;
  return &app.library.entries.back();
}

int run_wrap(const WrapOptions& o) {
  // Held from here to the end of the job, so another job cannot take the file in between.
  platform::JobFileLock hold;
  if (const std::optional<int> refused = hold_for_job(o.path, &hold)) return *refused;
  app::APP_STATE_INFO app;
  if (const std::optional<int> refused =
          load_for_job(app, o.path, o.fileApi, o.buffer, o.skipCheck)) {
    return *refused;
  }
  app::accept_journal_settings(app, !o.noJournal, o.journalDir);
  if (o.discardJournal) {
    if (const auto refusal = app::discard_loaded_journal(app)) {
      print_message(*refusal);
      return kExitRefused;
    }
  }
  const size_t trackCount = app.existing_tracks();

  // Tracks: every track named is switched ON, with its WAV or with silence; all others OFF.
  std::set<size_t> named;
  std::string error;
  for (const std::string& item : o.assignments) {
    const std::optional<TrackAssignment> assignment = parse_track_assignment(item);
    std::vector<size_t> tracks;
    if (!assignment ||
        !tracks_of_file({assignment->track}, trackCount, "--track", &tracks, &error)) {
      return usage_error(*o.command, error.empty() ? check_track_assignment(item) : error);
    }
    const size_t track = tracks[0];
    WAV_LIBRARY_ENTRY* entry = library_entry(app, platform::absolute_path(assignment->path));
    if (entry == nullptr) return kExitRefused;
    if (const auto refusal = app::assign_file(app, entry, track)) {
      print_message(*refusal);
      return kExitRefused;
    }
    const size_t last = entry->info.channels == 2 ? track + 1 : track;
    for (size_t t = track; t <= last; ++t) {
      if (!named.insert(t).second) {
        return usage_error(*o.command,
                           "--track: track " + std::to_string(t + 1) + " is named twice");
      }
    }
    // The second half of a stereo file follows the first.
    app::set_track_switch(app, static_cast<int32_t>(track), true);
  }
  std::vector<size_t> silent;
  if (!tracks_of_file(o.silence, trackCount, "--silence", &silent, &error)) {
    return usage_error(*o.command, error);
  }
  for (const size_t t : silent) {
    if (!named.insert(t).second) {
      return usage_error(*o.command,
                         "--silence: track " + std::to_string(t + 1) + " is named twice");
    }
    app::set_track_switch(app, static_cast<int32_t>(t), true);
  }

  // A log path that cannot take the log is found now, before the MXF file is changed.
  if (o.logOption->count() != 0) {
    if (const int error = log_path_error(o.log); error != 0) {
      std::fprintf(stderr, "%s\n%s: %s\n",
                   jobs::wrap_log_failure_text(platform::file_name(o.path), error).c_str(),
                   o.log.c_str(), std::strerror(error));
      return kExitRefused;
    }
  }
  if (const auto refusal = app::enter_in(app, o.in)) {
    print_message(*refusal);
    return kExitRefused;
  }
  if (const auto refusal = app::enter_out(app, o.out)) {
    print_message(*refusal);
    return kExitRefused;
  }

  const app::WrapCheck check = app::check_wrap(
      app, [&](const UserMessage& question) { return o.yes || ask_yes_no(question); });
  if (!check.start) {
    if (!check.messages.empty() && !check.messages.back().yesNo)
      print_message(check.messages.back());
    return kExitRefused;
  }

  std::fprintf(stderr, "IN %s  OUT %s  DUR %s\n", app::in_label(app).c_str(),
               app::out_label(app).c_str(), app::duration_label(app).c_str());
  const std::optional<jobs::JobMessage> final = run_processing_job(app, o.progress);
  if (!final) return kExitRefused;
  std::printf("%s\n", final->text.c_str());
  if (app::after_wrap(app, *final)) {
    std::fprintf(stderr, "The written frames can be taken back: mxf-tavrin-cli undo %s\n",
                 o.path.c_str());
  }
  const int status = exit_status_of(*final);
  if (status == kExitOk && o.logOption->count() != 0) {
    if (!write_wrap_log(app, o.log, o.encoding)) return kExitRefused;
  }
  return status;
}

}  // namespace

Command add_wrap(CLI::App& program) {
  auto o = std::make_shared<WrapOptions>();
  CLI::App* command =
      program.add_subcommand("wrap", "overwrite the audio of tracks in place between IN and OUT");
  o->command = command;
  add_mxf_file(*command, &o->path);
  add_timecode(*command, "--in", &o->in, "first frame to overwrite");
  add_timecode(*command, "--out", &o->out, "last frame to overwrite");
  command
      ->add_option("--track", o->assignments,
                   "fill track N with a WAV/BWF file (a stereo file fills N and N + 1; odd N "
                   "only); repeatable")
      ->type_name("N=WAV")
      ->allow_extra_args(false)
      ->check(CLI::Validator([](std::string& value) { return check_track_assignment(value); }, "",
                             "track assignment"));
  add_track_numbers(*command, "--silence", &o->silence, "write silence into these tracks");
  add_file_api(*command, &o->fileApi);
  add_buffer(*command, &o->buffer);
  o->logOption =
      command->add_option("--log", o->log, "write the wrap detail log here")->type_name("PATH");
  add_encoding(*command, &o->encoding);
  command->add_flag("--yes", o->yes, "answer the backup question with Yes");
  add_progress(*command, &o->progress);
  add_skip_check(*command, &o->skipCheck);
  add_journal_dir(*command, &o->journalDir);
  command->add_flag("--no-journal", o->noJournal,
                    "write no undo journal (the wrap cannot be taken back)");
  command->add_flag("--discard-journal", o->discardJournal,
                    "remove the file's undo journal first (also that of a wrap cut off)");
  command->footer(
      "Every track named is switched ON; every other track is left exactly as it is.\n"
      "Wrapping writes into the file itself. The original samples are kept in an undo journal\n"
      "(FILE.undo) unless --no-journal: \"mxf-tavrin-cli undo FILE\" takes the wrap back.");
  return {command, [o] { return run_wrap(*o); }};
}

}  // namespace tavrin::cli
