// `wrap` and `export` from the command line on a fixture file: the exit statuses, the refusals with
// their messages, the backup question, the bytes a wrap changes, the detail log, and the names of
// the exported files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// The CLI with `answer` typed on its standard input; its stderr goes to `errPath`.
int run_cli_answering(const std::vector<std::string>& args, const std::string& answer,
                      const std::string& errPath) {
  std::string command = std::string("'") + TAVRIN_CLI_PATH + "'";
  for (const std::string& a : args) command += " '" + a + "'";
  command += " >/dev/null 2>'" + errPath + "'";
  FILE* pipe = ::popen(command.c_str(), "w");
  if (pipe == nullptr) return -1;
  std::fputs(answer.c_str(), pipe);
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Five 24-bit tracks, 30 frames from 10:00:00;00 at 29.97 drop frame; a mono and a stereo WAV.
class CliJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options.trackCount = 5;
    options.frameCount = 30;
    options.pictureSize = 1000;
    mxf = dir.file("pgm.mxf");
    ASSERT_TRUE(write_mxf_fixture(mxf, options, &layout));
    original = read_file(mxf);
    for (const uint16_t channels : {1, 2}) {
      WavParams p;
      p.channels = channels;
      p.sampleFrames = 48000;
      ASSERT_TRUE(write_wav(dir.file(channels == 1 ? "mono.wav" : "stereo.wav"), make_wav(p)));
    }
  }
  std::vector<std::string> wrap_args(std::vector<std::string> more) const {
    std::vector<std::string> args = {"wrap", mxf, "--in", "10000003", "--out", "10:00:00;20"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  TempDir dir;
  MxfFixtureOptions options;
  MxfFixtureLayout layout;
  std::string mxf;
  std::vector<uint8_t> original;
};

TEST_F(CliJobTest, WrapChangesTheSamplesOfTheNamedTracksAndWritesTheLog) {
  const std::string log = dir.file("detail.txt");
  const CliResult r = run_cli(
      wrap_args({"--track", "1=" + dir.file("mono.wav"), "--track", "3=" + dir.file("stereo.wav"),
                 "--silence", "5", "--yes", "--log", log, "--encoding", "utf-8"}));
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "ラッピングが完了しました。")) << r.out;

  // Frames 3 .. 20: track 1 the mono WAV, tracks 3 and 4 the stereo one, track 5 silence; track 2
  // and every other byte as they were.
  std::vector<uint8_t> want = original;
  uint64_t first = 0;
  for (uint32_t f = 3; f <= 20; ++f) {
    const FixtureFrame& frame = layout.frames[f];
    for (uint32_t s = 0; s < frame.samples * 3; ++s) {
      want[frame.soundValue[0] + s] = sample_byte(first + s / 3, 0, static_cast<uint16_t>(s % 3));
      want[frame.soundValue[2] + s] = sample_byte(first + s / 3, 0, static_cast<uint16_t>(s % 3));
      want[frame.soundValue[3] + s] = sample_byte(first + s / 3, 1, static_cast<uint16_t>(s % 3));
      want[frame.soundValue[4] + s] = 0;
    }
    first += frame.samples;
  }
  EXPECT_TRUE(read_file(mxf) == want);

  const std::vector<uint8_t> bytes = read_file(log);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text.rfind("リラップ処理ログ [MXF Tavrin 1.0.0.0]\r\n", 0), 0u) << text;
  EXPECT_TRUE(contains(text, "IN  10:00:00.03\r\nOUT 10:00:00.20\r\nDUR 00:00:00.18\r\n"));
  EXPECT_TRUE(contains(text, "Track 2     ********\r\nラッピング処理は実行していません。"));
  EXPECT_TRUE(contains(text, "Track 4     ********\r\nstereo.wav\r\n"));
  EXPECT_TRUE(contains(text, "Track 5     ********\r\nNULLデータ(無音)を書込みました。"));
  EXPECT_TRUE(contains(r.err, "ラッピング処理の詳細を下記の場所に作成しました。\n\n" + log));
}

TEST_F(CliJobTest, WrapRefusalsAndUsageErrorsLeaveTheFileAsItWas) {
  const std::string stereo = "=" + dir.file("stereo.wav");
  // A stereo file on an even track number is refused with the assignment's message.
  CliResult r = run_cli(wrap_args({"--track", "2" + stereo, "--yes"}));
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(contains(r.err, "ステレオファイルを、偶数トラックに割当てることはできません。"))
      << r.err;
  // OUT before IN, and no track switched ON.
  r = run_cli({"wrap", mxf, "--in", "10000010", "--out", "10000009", "--silence", "1", "--yes"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(contains(r.err, "入力データがINポイントよりも前になっています。")) << r.err;
  r = run_cli(wrap_args({"--yes"}));
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(contains(r.err, "トラックスイッチが全てOFFになっています。")) << r.err;
  // Usage: no OUT, a track the file does not have, a malformed assignment, an unknown option.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"wrap", mxf, "--in", "10000003", "--silence", "1"},
        wrap_args({"--silence", "6"}), wrap_args({"--track", "1"}), wrap_args({"--bogus"})}) {
    EXPECT_EQ(run_cli(args).exitStatus, 2) << args.back();
  }
  // The backup question answered "n": nothing is written.
  const std::string err = dir.file("err.txt");
  EXPECT_EQ(run_cli_answering(wrap_args({"--silence", "1"}), "n\n", err), 1);
  const std::vector<uint8_t> asked = read_file(err);
  EXPECT_TRUE(contains(std::string(asked.begin(), asked.end()),
                       "MXFファイルのバックアップは済んでいますか？"));
  EXPECT_TRUE(read_file(mxf) == original);
}

// A log path that cannot take the log is refused before the job: the MXF file is not changed
// (neither for a missing folder nor for an existing log the program may not write).
TEST_F(CliJobTest, WrapLogThatCannotBeWrittenFailsWithItsPathBeforeTheJob) {
  const std::string log = dir.file("no/such/folder/log.txt");
  CliResult r = run_cli(wrap_args({"--silence", "1", "--yes", "--log", log}));
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(contains(r.err, "ログファイルを作成できません。")) << r.err;
  EXPECT_TRUE(contains(r.err, log)) << r.err;
  EXPECT_TRUE(read_file(mxf) == original);

  const std::string folder = dir.file("logs");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ASSERT_TRUE(write_file(folder + "/log.txt", {'x'}));
  ASSERT_EQ(::chmod((folder + "/log.txt").c_str(), 0444), 0);
  if (::access((folder + "/log.txt").c_str(), W_OK) != 0) {  // not when the tests run as root
    r = run_cli(wrap_args({"--silence", "1", "--yes", "--log", folder + "/log.txt"}));
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_TRUE(read_file(mxf) == original);
    EXPECT_EQ(read_file(folder + "/log.txt"), std::vector<uint8_t>{'x'});
  }
  // A writable place takes it after the job as before.
  r = run_cli(wrap_args({"--silence", "1", "--yes", "--log", folder + "/new.txt"}));
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(::access((folder + "/new.txt").c_str(), F_OK), 0);
}

TEST_F(CliJobTest, ExportNamesTheFilesByTrackAndNeverReplacesAFile) {
  const std::string folder = dir.file("out");
  ASSERT_EQ(std::system(("mkdir '" + folder + "'").c_str()), 0);
  const std::vector<std::string> job = {"export",   mxf,        "--in", "10000003", "--out",
                                        "10000020", "--tracks", "2,5",  "--folder", folder};
  CliResult r = run_cli(job);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "BWFファイルの書出しが完了しました。")) << r.out;
  // The samples of frames 3 .. 20 behind the 754-byte header.
  for (const uint32_t t : {1u, 4u}) {
    std::vector<uint8_t> want;
    for (uint32_t f = 3; f <= 20; ++f) {
      const std::vector<uint8_t> s = fixture_samples(t, f, layout.frames[f].samples, 3);
      want.insert(want.end(), s.begin(), s.end());
    }
    const std::vector<uint8_t> file =
        read_file(folder + "/Track-" + std::to_string(t + 1) + ".wav");
    ASSERT_EQ(file.size(), 754 + want.size());
    EXPECT_TRUE(std::equal(want.begin(), want.end(), file.begin() + 754));
  }
  // The names are taken: the counter is added, and raised past every name already taken, so no
  // file of the operator's is ever replaced.
  std::vector<std::string> again = job;
  again.insert(again.end(), {"--counter", "3", "--prefix", "Track-", "--file-api"});
  ASSERT_EQ(run_cli(again).exitStatus, 0);
  const std::string first = folder + "/Track-2.wav";
  const std::string counted = folder + "/Track-2.wav 3.wav";
  ASSERT_TRUE(read_file(counted) == read_file(first));
  const std::vector<uint8_t> exported = read_file(first);
  ASSERT_TRUE(write_file(counted, {1, 2, 3}));
  r = run_cli(again);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_TRUE(read_file(first) == exported);
  EXPECT_TRUE(read_file(counted) == std::vector<uint8_t>({1, 2, 3}));
  EXPECT_TRUE(read_file(folder + "/Track-2.wav 4.wav") == exported);
  EXPECT_TRUE(read_file(folder + "/Track-5.wav 4.wav") == read_file(folder + "/Track-5.wav"));

  // A track named twice is refused before any file is made.
  const std::string empty = dir.file("empty");
  ASSERT_EQ(std::system(("mkdir '" + empty + "'").c_str()), 0);
  r = run_cli({"export", mxf, "--in", "10000003", "--out", "10000020", "--tracks", "1,3",
               "--tracks", "1", "--folder", empty});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_TRUE(contains(r.err, "--tracks: track 1 is named twice")) << r.err;
  EXPECT_EQ(::rmdir(empty.c_str()), 0) << "the refused export left a file";

  // OUT before IN; no tracks; a track the file does not have.
  r = run_cli({"export", mxf, "--in", "10000009", "--out", "10000008", "--tracks", "1"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(contains(r.err, "OUTポイントがINポイントよりも前になっています。")) << r.err;
  EXPECT_EQ(run_cli({"export", mxf, "--in", "10000003", "--out", "10000004"}).exitStatus, 2);
  EXPECT_EQ(run_cli({"export", mxf, "--in", "1", "--out", "2", "--tracks", "6"}).exitStatus, 2);
}

}  // namespace
}  // namespace tavrin::test
