// mxf-tavrin-cli wrap FILE --in TC --out TC [--track N=WAV]... [--silence N[,N...]] [--file-api]
//   [--buffer POS] [--log PATH] [--encoding locale|cp932|utf-8] [--yes] [--progress] [--skip-check]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <set>
#include <string>

#include "app/inout.h"
#include "app/track_assignment.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/job_runner_cli.h"
#include "cli/log_output.h"
#include "cli/session.h"
#include "platform/paths.h"
#include "wav/wav_messages.h"

namespace tavrin::cli {

namespace {

constexpr const char* kUsage =
    "usage: mxf-tavrin-cli wrap FILE --in TC --out TC [--track N=WAV]... [--silence N[,N...]]\n"
    "         [--file-api] [--buffer POS] [--log PATH] [--encoding locale|cp932|utf-8] [--yes]\n"
    "         [--progress] [--skip-check]\n";

int usage(const std::string& error) {
  std::fprintf(stderr, "%s%s\n", kUsage, error.c_str());
  return kExitUsage;
}

bool ask_yes_no(const UserMessage& question) {
  std::fprintf(stderr, "%s [y/N] ", question.text.c_str());
  std::string answer;
  const bool got = static_cast<bool>(std::getline(std::cin, answer));
  // A terminal echoes the answer and its newline; a pipe does not.
  if (!::isatty(STDIN_FILENO)) std::fprintf(stderr, "\n");
  if (!got) return false;
  return answer == "y" || answer == "Y" || answer == "yes";
}

}  // namespace

int run_wrap(int argc, char** argv) {
  ArgSpec accepted;
  accepted.flags = {"--file-api", "--yes", "--progress", "--skip-check"};
  accepted.options = {"--in", "--out", "--buffer", "--log", "--encoding"};
  accepted.repeatable = {"--track", "--silence"};
  Args args;
  std::string error;
  if (!parse_args(argc, argv, 2, accepted, &args, &error)) return usage(error);
  if (args.positional.size() != 1) return usage("one MXF file is needed");
  if (!args.get("--in") || !args.get("--out")) return usage("--in and --out are needed");
  TextEncoding encoding = TextEncoding::kLocale;
  if (!parse_encoding(args.get("--encoding"), &encoding, &error)) return usage(error);
  uint32_t bufferIndex = 4;
  if (const auto buffer = args.get("--buffer")) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(buffer->c_str(), &end, 10);
    if (buffer->empty() || *end != '\0' || value > 13) return usage("--buffer takes 0 .. 13");
    bufferIndex = static_cast<uint32_t>(value);
  }

  app::APP_STATE_INFO app;
  LoadedSession session;
  if (!load_file(app, args.positional[0], args.has("--file-api"), args.has("--skip-check"),
                 &session)) {
    return session.opened ? kExitRefused : kExitUsage;
  }
  app.tracks.wavBufferIndex = bufferIndex;
  const size_t trackCount = app.existing_tracks();

  // Tracks: every track named is switched ON, with its WAV or with silence; all others OFF.
  std::set<size_t> named;
  for (const std::string& item : args.all("--track")) {
    const size_t eq = item.find('=');
    if (eq == std::string::npos) return usage("--track takes N=WAV");
    std::vector<size_t> tracks;
    if (!parse_track_list(item.substr(0, eq), trackCount, &tracks, &error) || tracks.size() != 1) {
      return usage(error.empty() ? "--track takes one track number" : error);
    }
    const size_t track = tracks[0];
    const std::string path = platform::absolute_path(item.substr(eq + 1));
    WAV_LIBRARY_ENTRY* entry = nullptr;
    for (WAV_LIBRARY_ENTRY& existing : app.library.entries) {
      if (existing.file_path == path) entry = &existing;
    }
    if (entry == nullptr) {
      const int32_t result = add_wav_file(path, &app.library, &app.timecode());
      if (const auto message = add_message_for(result, path, WavAddOrigin::kOpenDialog)) {
        print_message(*message);
        return kExitRefused;
      }
      entry = &app.library.entries.back();
    }
    rebuild_wav_index(app.library, app.libraryView);
    if (const auto refusal = app::assign_file(app, entry, track)) {
      print_message(*refusal);
      return kExitRefused;
    }
    const size_t last = entry->info.channels == 2 ? track + 1 : track;
    for (size_t t = track; t <= last; ++t) {
      if (!named.insert(t).second)
        return usage("track " + std::to_string(t + 1) + " is named twice");
      app.tracks.trackSwitch[t] = kTrackOn;
    }
  }
  for (const std::string& list : args.all("--silence")) {
    std::vector<size_t> tracks;
    if (!parse_track_list(list, trackCount, &tracks, &error)) return usage(error);
    for (const size_t t : tracks) {
      if (!named.insert(t).second)
        return usage("track " + std::to_string(t + 1) + " is named twice");
      app.tracks.trackSwitch[t] = kTrackOn;
    }
  }

  if (const auto refusal = app::enter_in(app, *args.get("--in"))) {
    print_message(*refusal);
    return kExitRefused;
  }
  if (const auto refusal = app::enter_out(app, *args.get("--out"))) {
    print_message(*refusal);
    return kExitRefused;
  }

  const bool yes = args.has("--yes");
  const app::WrapCheck check = app::check_wrap(
      app, [&](const UserMessage& question) { return yes || ask_yes_no(question); });
  if (!check.start) {
    if (!check.messages.empty() && !check.messages.back().yesNo)
      print_message(check.messages.back());
    return kExitRefused;
  }

  std::fprintf(stderr, "IN %s  OUT %s  DUR %s\n", app::in_label(app).c_str(),
               app::out_label(app).c_str(), app::duration_label(app).c_str());
  const jobs::JobMessage final = run_processing_job(app, args.has("--progress"));
  std::printf("%s\n", final.text.c_str());
  const int status = exit_status_of(final);
  if (status == kExitOk) {
    if (const auto log = args.get("--log")) {
      if (!write_wrap_log(app, *log, encoding)) return kExitRefused;
    }
  }
  return status;
}

}  // namespace tavrin::cli
