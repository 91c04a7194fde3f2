#include "cli/options.h"

#include <cstdio>

#include "app/inout.h"
#include "cli/session.h"

namespace tavrin::cli {

namespace {

// The timecode bases of the entry rules: fpsCode 0 .. 3 (24, 25, 30 and 60 frames).
constexpr uint32_t kLastFpsCode = 3;

std::string command_path(const CLI::App& command) {
  std::string path = command.get_name();
  for (const CLI::App* parent = command.get_parent(); parent; parent = parent->get_parent()) {
    path = parent->get_name() + " " + path;
  }
  return path;
}

}  // namespace

std::optional<TextEncoding> encoding_named(const std::string& name) {
  const std::string lower = CLI::detail::to_lower(name);
  if (lower == "locale") return TextEncoding::kLocale;
  if (lower == "cp932") return TextEncoding::kCp932;
  if (lower == "utf-8" || lower == "utf8") return TextEncoding::kUtf8;
  return std::nullopt;
}

CLI::Option* add_mxf_file(CLI::App& command, std::string* path) {
  return command.add_option("FILE", *path, "the MXF file")->required();
}

CLI::Option* add_file_api(CLI::App& command, bool* fileApi) {
  return command.add_flag("--file-api", *fileApi,
                          "read and write with positioned file I/O instead of memory mapping");
}

CLI::Option* add_buffer(CLI::App& command, uint32_t* position) {
  *position = kDefaultBufferPosition;
  return command
      .add_option("--buffer", *position, "batch buffer position of the file-I/O method, 0 .. 13")
      ->type_name("POS")
      ->check(CLI::Range(uint32_t{0}, kLastBufferPosition).description(""))
      ->capture_default_str();
}

CLI::Option* add_skip_check(CLI::App& command, bool* skip) {
  return command.add_flag("--skip-check", *skip,
                          "skip the timecode check and keep the file, as after answering Yes");
}

CLI::Option* add_progress(CLI::App& command, bool* show) {
  return command.add_flag("--progress", *show, "show the progress of the job on stderr");
}

CLI::Option* add_timecode(CLI::App& command, const std::string& name, std::string* text,
                          const std::string& description) {
  return command.add_option(name, *text, description)
      ->required()
      ->type_name("TC")
      ->check(CLI::Validator([](std::string& value) { return check_timecode_entry(value); }, "",
                             "timecode"));
}

CLI::Option* add_encoding(CLI::App& command, TextEncoding* encoding) {
  *encoding = TextEncoding::kLocale;
  return command
      .add_option_function<std::string>(
          "--encoding", [encoding](const std::string& name) { *encoding = *encoding_named(name); },
          "encoding of the log (default: the locale's)")
      ->type_name("locale|cp932|utf-8")
      ->check(CLI::Validator(
          [](std::string& name) {
            return encoding_named(name) ? std::string()
                                        : "\"" + name + "\" is not one of locale, cp932, utf-8";
          },
          "", "encoding"));
}

CLI::Option* add_track_numbers(CLI::App& command, const std::string& name,
                               std::vector<unsigned>* numbers, const std::string& description) {
  return command.add_option(name, *numbers, description)
      ->type_name("N[,N...]")
      ->delimiter(',')
      ->allow_extra_args(false)
      ->check(CLI::Range(kFirstTrackNumber, kLastTrackNumber).description(""));
}

std::string check_timecode_entry(const std::string& text) {
  for (uint32_t fpsCode = 0; fpsCode <= kLastFpsCode; ++fpsCode) {
    if (app::parse_timecode_entry(text, fpsCode)) return {};
  }
  return "\"" + text + "\" is not a timecode (HH:MM:SS:FF, at most 23:59:59:59)";
}

std::optional<TrackAssignment> parse_track_assignment(const std::string& text) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return std::nullopt;
  unsigned track = 0;
  if (!CLI::detail::lexical_cast(text.substr(0, eq), track) || track < kFirstTrackNumber ||
      track > kLastTrackNumber) {
    return std::nullopt;
  }
  return TrackAssignment{track, text.substr(eq + 1)};
}

std::string check_track_assignment(const std::string& text) {
  if (parse_track_assignment(text)) return {};
  return "\"" + text + "\" is not N=WAV with a track number N in [1 - 24]";
}

bool tracks_of_file(const std::vector<unsigned>& numbers, size_t trackCount,
                    const std::string& option, std::vector<size_t>* tracks, std::string* error) {
  for (const unsigned n : numbers) {
    if (n < kFirstTrackNumber || n > trackCount) {
      *error = option + ": track " + std::to_string(n) + " is not a track of this file (1.." +
               std::to_string(trackCount) + ")";
      return false;
    }
    tracks->push_back(n - 1);
  }
  return true;
}

int usage_error(const CLI::App& command, const std::string& message) {
  const std::string path = command_path(command);
  std::fprintf(stderr, "%s: %s\nRun \"%s --help\" for the options.\n", path.c_str(),
               message.c_str(), path.c_str());
  return kExitUsage;
}

}  // namespace tavrin::cli
