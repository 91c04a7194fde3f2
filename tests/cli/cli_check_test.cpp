// mxf-tavrin-cli on fixture files: the exit statuses and the JSON of `info`, the break count and
// the LTC error log of `check` (never reported as written when writing failed), and the library
// texts of `wavinfo`, with and without the skipped timecode check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_run.h"
#include "peer/analysis_peer_json.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"

namespace tavrin::test {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string file_text(const std::string& path) {
  const std::vector<uint8_t> bytes = read_file(path);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// 29.97 drop frame from 10:00:59;20: frame 8 repeats the label of frame 7, frame 16 jumps five
// frames, frame 22 steps back six.
MxfFixtureOptions three_breaks() {
  MxfFixtureOptions o;
  set_start_timecode(o, 10, 0, 59, 20);
  o.frameCount = 30;
  for (uint64_t i = 8; i < o.frameCount; ++i) {
    const int64_t offset = i <= 15 ? -1 : i <= 21 ? 4 : -3;
    o.timecodeOverrides[i] = count_to_timecode(
        30, true, static_cast<uint64_t>(static_cast<int64_t>(o.startTimecode + i) + offset));
  }
  return o;
}

// The rows of those three breaks in the LTC error log.
constexpr const char* kBreakRows =
    "     0  10:00:59.27  10:00:59.27  00:00:00.07  still\r\n"
    "     1  10:01:00.06  10:01:00.12  00:00:00.15  inc\r\n"
    "     2  10:01:00.17  10:01:00.11  00:00:00.21  dec\r\n";

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    ASSERT_TRUE(write_mxf_fixture(clean, MxfFixtureOptions{}));
    ASSERT_TRUE(write_mxf_fixture(breaks, three_breaks()));
    ASSERT_TRUE(write_wav(wav, make_wav(WavParams{})));
  }
  TempDir dir;
  const std::string clean = dir.file("clean.mxf");
  const std::string breaks = dir.file("breaks.mxf");
  const std::string wav = dir.file("tone.wav");
};

TEST_F(Cli, InfoExitStatusTellsTheOutcome) {
  const struct {
    std::vector<std::string> args;
    int exitStatus;
  } cases[] = {
      {{"info", clean}, 0},
      {{"info", clean, "--file-api"}, 0},
      {{"info", breaks}, 3},
      {{"info", breaks, "--file-api"}, 3},
      {{"info", wav}, 1},  // not an MXF file: refused by the analysis
      {{"info", dir.file("missing.mxf")}, 2},
      {{"info"}, 2},
      {{"info", clean, "--no-such-flag"}, 2},
  };
  for (const auto& c : cases) {
    const CliResult r = run_cli(c.args);
    EXPECT_EQ(r.exitStatus, c.exitStatus) << c.args.back() << "\n" << r.err;
  }
}

TEST_F(Cli, InfoJsonHasEveryPartAndTheBreaks) {
  const CliResult r = run_cli({"info", breaks, "--json"});
  ASSERT_EQ(r.exitStatus, 3) << r.err;
  const Json json = JsonParser(r.out).parse();
  ASSERT_EQ(json.kind, Json::Kind::kObject) << r.out;
  for (const char* key : {"file", "result", "base", "partitions", "timecode", "index", "layout",
                          "audio", "video", "timecodeErrors"}) {
    EXPECT_EQ(json.fields.count(key), 1u) << key;
  }
  EXPECT_EQ(json["result"]["code"].integer(), 1009);
  EXPECT_EQ(json["timecode"]["errorCount"].integer(), 3);
  const std::vector<Json>& errors = json["timecodeErrors"].items;
  ASSERT_EQ(errors.size(), 3u);
  const long long states[] = {4, 2, 3};
  const long long positions[] = {7, 15, 21};
  for (size_t i = 0; i < errors.size(); ++i) {
    for (const char* key :
         {"beforeFrame", "afterFrame", "beforeCount", "afterCount", "state", "position"}) {
      EXPECT_EQ(errors[i].fields.count(key), 1u) << key;
    }
    EXPECT_EQ(errors[i]["state"].integer(), states[i]);
    EXPECT_EQ(errors[i]["position"].integer(), positions[i]);
  }

  const Json cleanJson = JsonParser(run_cli({"info", clean, "--json"}).out).parse();
  EXPECT_EQ(cleanJson["timecode"]["errorCount"].integer(), 0);
  EXPECT_EQ(cleanJson["timecodeErrors"].kind, Json::Kind::kArray);
  EXPECT_TRUE(cleanJson["timecodeErrors"].items.empty());
}

TEST_F(Cli, CheckCountsTheBreaksAndWritesTheLogByBothMethods) {
  for (const bool fileApi : {false, true}) {
    SCOPED_TRACE(fileApi ? "file API" : "mapping");
    const std::string log = dir.file(fileApi ? "ltc-file-api.txt" : "ltc-mapping.txt");
    std::vector<std::string> args = {"check", breaks, "--log", log, "--encoding", "utf-8"};
    if (fileApi) args.push_back("--file-api");
    const CliResult r = run_cli(args);
    EXPECT_EQ(r.exitStatus, 3) << r.err;
    EXPECT_TRUE(contains(r.out, "LTCエラー数: 3\n")) << r.out;
    EXPECT_TRUE(contains(r.err, "タイムコードエラーログを作成しました")) << r.err;
    const std::string written = file_text(log);
    EXPECT_TRUE(contains(written, "LTCエラー数: 3\r\n"));
    EXPECT_TRUE(written.ends_with(kBreakRows)) << written;
  }

  // Without breaks there is nothing to log.
  const std::string unused = dir.file("unused.txt");
  const CliResult r = run_cli({"check", clean, "--log", unused});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "LTCエラー数: 0\n")) << r.out;
  EXPECT_TRUE(read_file(unused).empty());
}

TEST_F(Cli, CheckReportsALogThatCannotBeWrittenWithItsPathAndError) {
  // A folder where the log file should be: the file cannot be created.
  const CliResult r = run_cli({"check", breaks, "--log", dir.path()});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(contains(r.out, "LTCエラー数: 3\n")) << r.out;
  EXPECT_TRUE(contains(r.err, "エラーログを作成できません。")) << r.err;
  EXPECT_TRUE(contains(r.err, dir.path() + ": ")) << r.err;
  EXPECT_FALSE(contains(r.err, "作成しました")) << r.err;
}

TEST_F(Cli, WavinfoShowsTheLibraryTextsAndEveryRefusal) {
  WavParams eightBit;
  eightBit.bits = 8;
  const std::string refused = dir.file("eight.wav");
  ASSERT_TRUE(write_wav(refused, make_wav(eightBit)));

  const CliResult r = run_cli({"wavinfo", clean, wav, refused});
  EXPECT_EQ(r.exitStatus, 1);
  const std::vector<std::string> lines = split(r.out, '\n');
  ASSERT_EQ(lines.size(), 3u) << r.out;  // the column headers, one entry, the final line end
  const std::vector<std::string> texts = split(lines[1], '\t');
  ASSERT_EQ(texts.size(), 10u) << lines[1];
  EXPECT_EQ(texts[0], "tone.wav");
  EXPECT_EQ(texts[1], "2");
  EXPECT_EQ(texts[2], "24");
  EXPECT_TRUE(contains(r.err, refused + "\n\n16/24bit/48kHzになっていないため追加できません。"))
      << r.err;

  const Json json = JsonParser(run_cli({"wavinfo", clean, wav, refused, "--json"}).out).parse();
  const std::vector<Json>& entries = json["entries"].items;
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0]["result"].integer(), 0);
  EXPECT_EQ(entries[0]["texts"].items.size(), 10u);
  EXPECT_EQ(entries[0]["info"]["data_offset"].integer(), 44);
  EXPECT_EQ(entries[1]["result"].integer(), 8);
  EXPECT_TRUE(entries[1]["texts"].items.empty());

  // A file with breaks is not loaded, unless the check is skipped (kept as after answering Yes).
  EXPECT_EQ(run_cli({"wavinfo", breaks, wav}).exitStatus, 1);
  const CliResult skipped = run_cli({"wavinfo", breaks, wav, "--skip-check"});
  EXPECT_EQ(skipped.exitStatus, 0) << skipped.err;
  EXPECT_EQ(split(skipped.out, '\n').size(), 3u) << skipped.out;
}

}  // namespace
}  // namespace tavrin::test
