// mxf-tavrin-cli loudness FILE.mxf [--in TC --out TC] [--tracks N[,N...]] [--pair N-M]...
//   [--target arib|ebu|atsc] [--json] [--progress] [--skip-check] [--file-api]
// mxf-tavrin-cli loudness FILE.wav [--target arib|ebu|atsc] [--json] [--progress]
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "app/inout.h"
#include "app/loudness_run.h"
#include "app/loudness_texts.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/options.h"
#include "cli/records_json.h"
#include "cli/session.h"
#include "platform/paths.h"

namespace tavrin::cli {

namespace {

// Exit status when a measured programme misses the target.
constexpr int kExitMissesTarget = 4;

struct LoudnessOptions {
  const CLI::App* command = nullptr;
  std::string path;
  std::string in;
  std::string out;
  std::vector<unsigned> tracks;
  std::vector<std::string> pairs;
  std::string target = "arib";
  bool json = false;
  bool progress = false;
  bool skipCheck = false;
  bool fileApi = false;
};

// "N-M": two different track numbers 1 .. 24.
bool parse_pair(const std::string& text, std::array<unsigned, 2>* pair) {
  unsigned a = 0;
  unsigned b = 0;
  char dash = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%u%c%u%c", &a, &dash, &b, &extra) != 3 || dash != '-') {
    return false;
  }
  if (a < kFirstTrackNumber || a > kLastTrackNumber || b < kFirstTrackNumber ||
      b > kLastTrackNumber || a == b) {
    return false;
  }
  *pair = {a, b};
  return true;
}

bool is_wav_name(const std::string& path) {
  std::string extension = platform::extension_of(path);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".wav" || extension == ".bwf";
}

// Runs the measurement on a worker thread while this one shows the progress.
template <typename Measure>
app::LoudnessReport run_measurement(bool showProgress, const Measure& measure) {
  // Ctrl+C sets the stop request.
  platform::AtomicJobControl control;
  InterruptScope interrupt(&control);
  app::LoudnessReport report;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    report = measure(control);
    finished.store(true);
  });
  while (!finished.load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (showProgress && !finished.load()) {
      const uint32_t total = control.total();
      const uint32_t done = control.done();
      std::fprintf(stderr, "\rラウドネス測定中  %3d%%  (%u / %u)",
                   total ? static_cast<int>(100.0 * done / total) : 0, done, total);
    }
  }
  worker.join();
  // The bar reaches its end only for a finished measurement.
  if (showProgress)
    std::fprintf(stderr, report.succeeded() ? "\rラウドネス測定     100%%\n" : "\n");
  return report;
}

JsonValue number_json(double value) {
  if (std::isnan(value) || std::isinf(value)) return nullptr;
  return std::round(value * 100.0) / 100.0;
}

void write_json(const app::LoudnessReport& report) {
  const loudness::LoudnessTarget& target = loudness::target_of(report.target);
  JsonValue programmes = JsonValue::array();
  for (const app::ProgrammeResult& r : report.results) {
    JsonValue tracks = JsonValue::array();
    if (!report.wav) {
      for (size_t c = 0; c < r.programme.channels(); ++c)
        tracks.push_back(r.programme.tracks[c] + 1);
    }
    const loudness::LoudnessVerdict v = r.check.loudness;
    programmes.push_back({
        {"name", r.name},
        {"channels", r.programme.channels()},
        {"tracks", std::move(tracks)},
        {"integrated", number_json(r.measurement.integrated)},
        {"range", number_json(r.measurement.range)},
        {"truePeak", number_json(r.measurement.truePeak)},
        {"maxMomentary", number_json(r.measurement.maxMomentary)},
        {"maxShortTerm", number_json(r.measurement.maxShortTerm)},
        {"loudness", v == loudness::LoudnessVerdict::kWithin    ? "within"
                     : v == loudness::LoudnessVerdict::kTooLoud ? "too loud"
                                                                : "too quiet"},
        {"truePeakOk", r.check.truePeakOk},
        {"meets", r.check.meets()},
    });
  }
  JsonValue json = {
      {"file", report.path},
      {"kind", report.wav ? "wav" : "mxf"},
  };
  if (report.wav) {
    json["sampleFrames"] = report.frames;
    json["channels"] = report.channels;
    json["bits"] = report.bits;
  } else {
    json["range"] = {{"wholeFile", report.wholeFile},
                     {"in", report.inText},
                     {"out", report.outText},
                     {"frames", report.frames}};
  }
  json["target"] = {{"key", std::string(target.key)},   {"name", std::string(target.name)},
                    {"unit", std::string(target.unit)}, {"integrated", target.integrated},
                    {"tolerance", target.tolerance},    {"maxTruePeak", target.maxTruePeak}};
  json["programmes"] = std::move(programmes);
  json["meets"] = report.every_programme_meets();
  std::fputs(json_text(json).c_str(), stdout);
}

void write_texts(const app::LoudnessReport& report) {
  std::printf("%s\n", report.path.c_str());
  std::printf("%s\n", app::measured_span_text(report).c_str());
  std::printf("%s\n", app::target_description(report.target).c_str());
  const app::LoudnessCells& headers = app::loudness_table_headers();
  for (size_t c = 0; c < headers.size(); ++c)
    std::printf("%s%s", c ? "\t" : "", headers[c].c_str());
  std::printf("\n");
  for (const app::LoudnessRow& row : app::loudness_table_rows(report)) {
    for (size_t c = 0; c < row.cells.size(); ++c) {
      std::printf("%s%s", c ? "\t" : "", row.cells[c].c_str());
    }
    std::printf("\n");
  }
  std::printf("%s\n", app::loudness_summary(report).c_str());
}

int finish(const app::LoudnessReport& report, bool json) {
  if (const auto message = app::loudness_failure_message(report)) {
    print_message(*message);
    if (report.cancelled()) return kExitCancelled;
    return report.unreadable() ? kExitUsage : kExitRefused;
  }
  if (json) {
    write_json(report);
  } else {
    write_texts(report);
  }
  return report.every_programme_meets() ? kExitOk : kExitMissesTarget;
}

int run_loudness(const LoudnessOptions& o) {
  const loudness::TargetId target = *loudness::target_by_key(o.target);
  if (is_wav_name(o.path)) {
    if (!o.in.empty() || !o.out.empty() || !o.tracks.empty() || !o.pairs.empty()) {
      return usage_error(*o.command, "--in, --out, --tracks and --pair apply to an MXF file");
    }
    const std::string path = platform::absolute_path(o.path);
    return finish(run_measurement(o.progress,
                                  [&](platform::JobControl& control) {
                                    return app::measure_wav_file(path, target, control);
                                  }),
                  o.json);
  }
  if (o.in.empty() != o.out.empty()) return usage_error(*o.command, "--in and --out go together");

  app::APP_STATE_INFO app;
  LoadedSession session;
  if (!load_file(app, o.path, o.fileApi, o.skipCheck, &session)) {
    return session.opened ? kExitRefused : kExitUsage;
  }
  app::LoudnessSelection selection;
  if (o.tracks.empty() && o.pairs.empty()) {
    selection = app::default_loudness_selection(app);
  } else {
    std::string error;
    if (!tracks_of_file(o.tracks, app.existing_tracks(), "--tracks", &selection.tracks, &error)) {
      return usage_error(*o.command, error);
    }
    for (const std::string& text : o.pairs) {
      std::array<unsigned, 2> pair{};
      parse_pair(text, &pair);  // checked by the parser
      std::vector<size_t> both;
      if (!tracks_of_file({pair[0], pair[1]}, app.existing_tracks(), "--pair", &both, &error)) {
        return usage_error(*o.command, error);
      }
      selection.pairs.push_back({both[0], both[1]});
    }
  }
  app::LoudnessScope scope = app::LoudnessScope::kWholeFile;
  if (!o.in.empty()) {
    scope = app::LoudnessScope::kInOut;
    if (const auto refusal = app::enter_in(app, o.in)) {
      print_message(*refusal);
      return kExitRefused;
    }
    if (const auto refusal = app::enter_out(app, o.out)) {
      print_message(*refusal);
      return kExitRefused;
    }
  }
  if (const auto refusal = app::check_loudness_request(app, scope, selection)) {
    print_message(*refusal);
    return kExitRefused;
  }
  return finish(run_measurement(o.progress,
                                [&](platform::JobControl& control) {
                                  return app::measure_loaded_file(app, scope, selection, target,
                                                                  control);
                                }),
                o.json);
}

}  // namespace

Command add_loudness(CLI::App& program) {
  auto o = std::make_shared<LoudnessOptions>();
  CLI::App* command = program.add_subcommand(
      "loudness",
      "measure the loudness (ITU-R BS.1770-4, EBU Tech 3342, true peak) of the tracks of an MXF "
      "file or of a WAV file and check it against a delivery target");
  o->command = command;
  command->add_option("FILE", o->path, "the MXF file, or a WAV/BWF file (.wav, .bwf)")->required();
  add_timecode(*command, "--in", &o->in, "first frame to measure (with --out)")->required(false);
  add_timecode(*command, "--out", &o->out, "last frame to measure (with --in)")->required(false);
  add_track_numbers(*command, "--tracks", &o->tracks,
                    "tracks measured alone (default: every track, and the pair 1-2)");
  command
      ->add_option("--pair", o->pairs,
                   "two tracks measured as a stereo programme, left-right; repeatable")
      ->type_name("N-M")
      ->allow_extra_args(false)
      ->check(CLI::Validator(
          [](std::string& value) {
            std::array<unsigned, 2> pair{};
            return parse_pair(value, &pair)
                       ? std::string()
                       : "\"" + value + "\" is not a pair of two different tracks 1 .. 24";
          },
          "", "pair"));
  command->add_option("--target", o->target, "delivery target")
      ->check(CLI::IsMember({"arib", "ebu", "atsc"}).description(""))
      ->type_name("arib|ebu|atsc")
      ->capture_default_str();
  command->add_flag("--json", o->json, "the results as JSON");
  add_progress(*command, &o->progress);
  add_skip_check(*command, &o->skipCheck);
  add_file_api(*command, &o->fileApi);
  return {command, [o] { return run_loudness(*o); }};
}

}  // namespace tavrin::cli
