// The arguments the commands share, each declared once with its type, range and check, so that
// every command accepts and refuses them alike: the MXF file, the file-access method and its
// batch buffer, IN and OUT timecodes, track numbers and the encoding of the logs.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "platform/text.h"

namespace tavrin::cli {

using platform::TextEncoding;

// Track numbers as the operator counts them, and the batch buffer positions of the file-I/O
// method (position 4 unless chosen).
inline constexpr unsigned kFirstTrackNumber = 1;
inline constexpr unsigned kLastTrackNumber = 24;
inline constexpr uint32_t kLastBufferPosition = app::kWavBufferItems.size() - 1;
inline constexpr uint32_t kDefaultBufferPosition = app::kDefaultWavBufferIndex;

// The MXF file the command works on (positional, required).
CLI::Option* add_mxf_file(CLI::App& command, std::string* path);
// --file-api: positioned reads and writes instead of memory mapping.
CLI::Option* add_file_api(CLI::App& command, bool* fileApi);
// --buffer POS: 0 .. 13.
CLI::Option* add_buffer(CLI::App& command, uint32_t* position);
// --skip-check: the timecode check is skipped and the file kept, as after answering Yes.
CLI::Option* add_skip_check(CLI::App& command, bool* skip);
// --progress: the progress line on stderr.
CLI::Option* add_progress(CLI::App& command, bool* show);
// A required timecode option (--in, --out), checked by the IN/OUT entry rules.
CLI::Option* add_timecode(CLI::App& command, const std::string& name, std::string* text,
                          const std::string& description);
// The encoding of the logs by name: locale, cp932 or utf-8 (any case, "utf8" too).
std::optional<TextEncoding> encoding_named(const std::string& name);
// --encoding locale|cp932|utf-8.
CLI::Option* add_encoding(CLI::App& command, TextEncoding* encoding);
// An option taking track numbers "N[,N...]" (1 .. 24), repeatable; the numbers gather in order.
CLI::Option* add_track_numbers(CLI::App& command, const std::string& name,
                               std::vector<unsigned>* numbers, const std::string& description);

// Accepts a text the IN/OUT entry field accepts in at least one timecode base: its digits taken
// from the right as HHMMSSFF within hours 23, minutes and seconds 59 and the largest frame field
// of the bases. The file's own base is checked when the point is entered after loading.
std::string check_timecode_entry(const std::string& text);

// "N=WAV" of --track: the track number (1 .. 24) and the WAV path.
struct TrackAssignment {
  unsigned track = 0;
  std::string path;
};
std::optional<TrackAssignment> parse_track_assignment(const std::string& text);
// The check of --track: empty when `text` is a valid assignment, else why not.
std::string check_track_assignment(const std::string& text);

// Checks 1-based track numbers against the tracks of the loaded file and returns them 0-based;
// false with `error` naming the option and the track when one is not a track of the file.
bool tracks_of_file(const std::vector<unsigned>& numbers, size_t trackCount,
                    const std::string& option, std::vector<size_t>* tracks, std::string* error);

// A usage error found after the command line was parsed (for example a track the loaded file
// does not have): printed like the parser's own errors. Returns the usage exit status.
int usage_error(const CLI::App& command, const std::string& message);

}  // namespace tavrin::cli
