// What scripts rely on before any file is touched: --help and --version answer on stdout with
// status 0, the program without a command prints its usage on stderr with status 2, and every
// usage error of every command exits 2 with the argument named, leaving the MXF file as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_run.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"

namespace tavrin::test {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string first_line(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

constexpr const char* kCommands[] = {"info", "check", "wavinfo", "wrap", "export"};

TEST(CliArguments, HelpAndVersionAnswerOnStdoutWithStatusZero) {
  for (const char* flag : {"--help", "-h"}) {
    const CliResult r = run_cli({flag});
    EXPECT_EQ(r.exitStatus, 0) << flag;
    EXPECT_EQ(first_line(r.out),
              "MXF Tavrin 1.0.0.0 - in-place audio replacement for OP1a MXF files");
    for (const char* command : kCommands) EXPECT_TRUE(contains(r.out, command)) << command;
    EXPECT_TRUE(r.err.empty()) << r.err;
  }
  const CliResult version = run_cli({"--version"});
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.out, "MXF Tavrin 1.0.0.0\n");
  EXPECT_TRUE(version.err.empty()) << version.err;

  // Every command describes itself, shows its own usage line and lists its options.
  for (const char* command : kCommands) {
    SCOPED_TRACE(command);
    const CliResult r = run_cli({command, "--help"});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_FALSE(first_line(r.out).empty());
    EXPECT_TRUE(contains(r.out, std::string("Usage: mxf-tavrin-cli ") + command + " [OPTIONS]"))
        << r.out;
    EXPECT_TRUE(contains(r.out, "--file-api")) << r.out;
  }
  const CliResult wrapHelp = run_cli({"wrap", "--help"});
  for (const char* option : {"--in", "--out", "--track", "--silence", "--buffer", "--log",
                             "--encoding", "--yes", "--progress", "--skip-check"}) {
    EXPECT_TRUE(contains(wrapHelp.out, option)) << option;
  }
  // "help" as a command, alone or naming one.
  EXPECT_EQ(run_cli({"help"}).out, run_cli({"--help"}).out);
  EXPECT_EQ(run_cli({"help", "wrap"}).out, wrapHelp.out);
  EXPECT_EQ(run_cli({"help", "wrap"}).exitStatus, 0);
  // --help wins over whatever else is on the line, even a missing required option.
  EXPECT_EQ(run_cli({"export", "no.mxf", "--help"}).exitStatus, 0);
}

TEST(CliArguments, NoCommandOrAnUnknownOnePrintsTheUsageOnStderr) {
  const CliResult none = run_cli({});
  EXPECT_EQ(none.exitStatus, 2);
  EXPECT_TRUE(none.out.empty()) << none.out;
  EXPECT_TRUE(contains(none.err, "Usage: mxf-tavrin-cli")) << none.err;
  for (const char* command : kCommands) EXPECT_TRUE(contains(none.err, command)) << command;

  const CliResult unknown = run_cli({"play", "x.mxf"});
  EXPECT_EQ(unknown.exitStatus, 2);
  EXPECT_TRUE(contains(unknown.err, "unknown command: play")) << unknown.err;
  const CliResult option = run_cli({"--verbose"});
  EXPECT_EQ(option.exitStatus, 2);
  EXPECT_TRUE(contains(option.err, "--verbose")) << option.err;
}

class CliArgumentErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    MxfFixtureOptions o;
    o.frameCount = 12;
    o.trackCount = 4;
    o.pictureSize = 1000;
    ASSERT_TRUE(write_mxf_fixture(mxf, o));
    ASSERT_TRUE(write_wav(wav, make_wav(WavParams{})));
    original = read_file(mxf);
  }
  TempDir dir;
  const std::string mxf = dir.file("pgm.mxf");
  const std::string wav = dir.file("tone.wav");
  std::vector<uint8_t> original;
};

TEST_F(CliArgumentErrors, EveryCommandNamesTheBadArgumentAndExitsTwo) {
  const std::string track = "1=" + wav;
  const std::vector<std::string> wrap = {"wrap", mxf, "--in", "10000003", "--out", "10000005"};
  const std::vector<std::string> exportJob = {"export", mxf,        "--in",     "10000003",
                                              "--out",  "10000005", "--tracks", "1"};
  const auto with = [](std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  const struct {
    std::vector<std::string> args;
    const char* named;  // what the message must name
  } cases[] = {
      // info
      {{"info"}, "FILE"},
      {{"info", mxf, "--bogus"}, "--bogus"},
      {{"info", mxf, "other.mxf"}, "other.mxf"},
      // check
      {{"check", mxf, "--log"}, "--log"},
      {{"check", mxf, "--encoding"}, "--encoding"},
      {{"check", mxf, "--encoding", "latin1"}, "--encoding"},
      {{"check", mxf, "--bogus"}, "--bogus"},
      // wavinfo
      {{"wavinfo", mxf}, "WAV"},
      {{"wavinfo", mxf, wav, "--bogus"}, "--bogus"},
      // wrap: missing values, unknown option, track numbers out of 1 .. 24, buffer out of 0 .. 13
      {{"wrap", mxf, "--in"}, "--in"},
      {{"wrap", mxf, "--in", "10000003", "--silence", "1"}, "--out"},
      {with(wrap, {"--track"}), "--track"},
      {with(wrap, {"--silence"}), "--silence"},
      {with(wrap, {"--buffer"}), "--buffer"},
      {with(wrap, {"--bogus"}), "--bogus"},
      {with(wrap, {"--track", "0=" + wav}), "--track"},
      {with(wrap, {"--track", "25=" + wav}), "--track"},
      {with(wrap, {"--track", wav}), "--track"},
      {with(wrap, {"--silence", "0"}), "--silence"},
      {with(wrap, {"--silence", "25"}), "--silence"},
      {with(wrap, {"--silence", "1,25"}), "--silence"},
      {with(wrap, {"--silence", "1", "--buffer", "14"}), "--buffer"},
      {with(wrap, {"--silence", "1", "--buffer=14"}), "--buffer"},
      {with(wrap, {"--silence", "1", "--buffer", "-1"}), "--buffer"},
      {with(wrap, {"--silence", "1", "--encoding", "latin1"}), "--encoding"},
      {{"wrap", mxf, "--in", "24000000", "--out", "10000005", "--silence", "1"}, "--in"},
      {{"wrap", mxf, "--in", "10000003", "--out", "10006000", "--silence", "1"}, "--out"},
      // export
      {{"export", mxf, "--in", "10000003", "--out", "10000005"}, "--tracks"},
      {with(exportJob, {"--folder"}), "--folder"},
      {with(exportJob, {"--counter"}), "--counter"},
      {with(exportJob, {"--counter", "0"}), "--counter"},
      {with(exportJob, {"--bogus"}), "--bogus"},
      {{"export", mxf, "--in", "10000003", "--out", "10000005", "--tracks", "0"}, "--tracks"},
      {{"export", mxf, "--in", "10000003", "--out", "10000005", "--tracks", "2,25"}, "--tracks"},
      {with(exportJob, {"--buffer", "14"}), "--buffer"},
      {{"export", mxf, "--in", "99", "--out", "10000005", "--tracks", "1"}, "--in"},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    const CliResult r = run_cli(c.args);
    EXPECT_EQ(r.exitStatus, 2) << r.err;
    EXPECT_TRUE(contains(r.err, c.named)) << r.err;
    EXPECT_TRUE(contains(r.err, "--help")) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
  EXPECT_TRUE(read_file(mxf) == original);
}

TEST_F(CliArgumentErrors, TracksTheFileDoesNotHaveAreNamedAfterLoading) {
  // 1 .. 24 is what the command line accepts; the file's four tracks are checked once loaded.
  const std::vector<std::string> wrap = {"wrap", mxf, "--in", "10000003", "--out", "10000005"};
  std::vector<std::string> silence = wrap;
  silence.insert(silence.end(), {"--silence", "2,5", "--yes"});
  CliResult r = run_cli(silence);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_TRUE(contains(r.err, "--silence: track 5 is not a track of this file (1..4)")) << r.err;
  std::vector<std::string> assigned = wrap;
  assigned.insert(assigned.end(), {"--track", "5=" + wav, "--yes"});
  r = run_cli(assigned);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_TRUE(contains(r.err, "--track: track 5 is not a track of this file (1..4)")) << r.err;
  // The same track by --track (a stereo file fills 1 and 2) and by --silence.
  std::vector<std::string> twice = wrap;
  twice.insert(twice.end(), {"--track", "1=" + wav, "--silence", "2", "--yes"});
  r = run_cli(twice);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_TRUE(contains(r.err, "--silence: track 2 is named twice")) << r.err;
  EXPECT_TRUE(read_file(mxf) == original);
}

TEST_F(CliArgumentErrors, ExportIntoAFolderThatIsNotThereNamesTheFolder) {
  const std::string folder = dir.file("not-made-yet");
  const CliResult r = run_cli({"export", mxf, "--in", "10000003", "--out", "10000005", "--tracks",
                               "1", "--folder", folder});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_TRUE(contains(r.err, "--folder")) << r.err;
  EXPECT_TRUE(contains(r.err, folder)) << r.err;
  EXPECT_FALSE(contains(r.err, "BWFファイルが作成出来ません")) << r.err;
  // A file where the folder should be is no folder either.
  const CliResult file = run_cli(
      {"export", mxf, "--in", "10000003", "--out", "10000005", "--tracks", "1", "--folder", wav});
  EXPECT_EQ(file.exitStatus, 2);
  EXPECT_TRUE(contains(file.err, wav)) << file.err;
}

}  // namespace
}  // namespace tavrin::test
