// The shared argument declarations parsed in-process: track lists that repeat and split on commas
// without swallowing the file name, the bounds of track numbers, buffer positions and timecodes,
// track assignments, encodings, and the tracks of the loaded file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/options.h"

namespace tavrin::cli {
namespace {

// Parses `args` (after the program name) with a command holding every shared argument.
struct Parsed {
  std::string file;
  std::string in;
  std::vector<unsigned> tracks;
  uint32_t buffer = 0;
  TextEncoding encoding = TextEncoding::kUtf8;
  bool fileApi = false;
  std::string error;  // empty when the line parsed
};

Parsed parse(std::vector<std::string> args) {
  Parsed p;
  CLI::App command("test", "test");
  add_mxf_file(command, &p.file);
  add_timecode(command, "--in", &p.in, "IN");
  add_track_numbers(command, "--silence", &p.tracks, "tracks");
  add_buffer(command, &p.buffer);
  add_encoding(command, &p.encoding);
  add_file_api(command, &p.fileApi);
  args.insert(args.begin(), "test");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  try {
    command.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& e) {
    p.error = e.what();
    if (p.error.empty()) p.error = "?";
  }
  return p;
}

TEST(CliOptions, TrackListsRepeatSplitOnCommasAndLeaveTheFileAlone) {
  Parsed p = parse({"--silence", "1,3", "a.mxf", "--in", "10:00:00:00", "--silence", "24"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.file, "a.mxf");
  EXPECT_EQ(p.tracks, (std::vector<unsigned>{1, 3, 24}));
  EXPECT_EQ(p.buffer, kDefaultBufferPosition);
  EXPECT_EQ(p.encoding, TextEncoding::kLocale);

  p = parse({"a.mxf", "--in=1", "--silence=2", "--buffer=0", "--encoding", "UTF8", "--file-api"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.tracks, (std::vector<unsigned>{2}));
  EXPECT_EQ(p.buffer, 0u);
  EXPECT_EQ(p.encoding, TextEncoding::kUtf8);
  EXPECT_TRUE(p.fileApi);
  EXPECT_EQ(parse({"a.mxf", "--in", "1", "--buffer", "13", "--encoding", "cp932"}).encoding,
            TextEncoding::kCp932);

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"a.mxf", "--in", "1", "--silence", "0"},
           {"a.mxf", "--in", "1", "--silence", "25"},
           {"a.mxf", "--in", "1", "--silence", "x"},
           {"a.mxf", "--in", "1", "--buffer", "14"},
           {"a.mxf", "--in", "1", "--buffer", "4x"},
           {"a.mxf", "--in", "1", "--encoding", "latin1"},
           {"a.mxf", "--in"},
           {"--in", "1"},
           {"a.mxf", "b.mxf", "--in", "1"},
       }) {
    std::string line;
    for (const std::string& a : bad) line += a + " ";
    EXPECT_NE(parse(bad).error, "") << line;
  }
}

TEST(CliOptions, TimecodesFollowTheEntryRulesOfTheWidestBase) {
  // Digits are taken from the right; anything else is skipped.
  for (const char* good :
       {"10:00:00:00", "10000000", "23:59:59:59", "10;00;59;29", "1", "", "00:00:00.00"}) {
    EXPECT_EQ(check_timecode_entry(good), "") << good;
  }
  for (const char* bad : {"24:00:00:00", "00:60:00:00", "00:00:60:00", "00:00:00:60", "99"}) {
    const std::string error = check_timecode_entry(bad);
    EXPECT_NE(error, "") << bad;
    EXPECT_NE(error.find(bad), std::string::npos) << error;
  }
}

TEST(CliOptions, TrackAssignmentsAndTheTracksOfTheFile) {
  const std::optional<TrackAssignment> a = parse_track_assignment("3=dir/x=y.wav");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->track, 3u);
  EXPECT_EQ(a->path, "dir/x=y.wav");
  EXPECT_TRUE(parse_track_assignment("24=x.wav"));
  for (const char* bad : {"0=x.wav", "25=x.wav", "x.wav", "=x.wav", "1=", "one=x.wav", "-1=x"}) {
    EXPECT_FALSE(parse_track_assignment(bad)) << bad;
    EXPECT_NE(check_track_assignment(bad), "") << bad;
  }

  std::vector<size_t> tracks;
  std::string error;
  EXPECT_TRUE(tracks_of_file({1, 4}, 4, "--tracks", &tracks, &error));
  EXPECT_EQ(tracks, (std::vector<size_t>{0, 3}));
  tracks.clear();
  EXPECT_FALSE(tracks_of_file({1, 5}, 4, "--tracks", &tracks, &error));
  EXPECT_EQ(error, "--tracks: track 5 is not a track of this file (1..4)");
}

}  // namespace
}  // namespace tavrin::cli
