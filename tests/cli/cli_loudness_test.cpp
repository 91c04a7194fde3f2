// `loudness` from the command line: exit 0 when every programme meets the target and 4 when one
// misses it, the table and the JSON, usage errors by their argument, and a damaged element or an
// unreadable file refused without a number.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cli_run.h"
#include "support/loudness_signals.h"
#include "support/temp_dir.h"

namespace tavrin::test {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Three tracks over 150 frames from 10:00:00;00 at 29.97 drop frame: a mono tone at -20 dBFS
// (-23 LUFS), one at -21 dBFS (-24 LUFS) and silence.
class CliLoudnessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MxfFixtureOptions options;
    options.trackCount = 3;
    options.pictureSize = 256;
    options.frameCount = 150;
    fixture = make_signal_fixture(dir.file("pgm.mxf"), options,
                                  {tone_sequence({{-20, 5.1}}), tone_sequence({{-21, 5.1}})});
    ASSERT_TRUE(fixture && fixture->loaded());
    mxf = fixture->path;
  }
  TempDir dir;
  std::unique_ptr<AnalysedFixture> fixture;
  std::string mxf;
};

TEST_F(CliLoudnessTest, ExitStatusFollowsTheTarget) {
  const CliResult ebu = run_cli({"loudness", mxf, "--tracks", "1", "--target", "ebu"});
  EXPECT_EQ(ebu.exitStatus, 0) << ebu.err;
  EXPECT_TRUE(contains(ebu.out, "Track-1\t-23.0 LUFS\t")) << ebu.out;
  EXPECT_TRUE(contains(ebu.out, "すべて適合")) << ebu.out;

  // ARIB's -24 +/-1 takes both tones; the silent track and the pair 1+2 miss it.
  const CliResult all = run_cli({"loudness", mxf});
  EXPECT_EQ(all.exitStatus, 4) << all.err;
  EXPECT_TRUE(contains(all.out, "Track-2\t-24.0 LKFS\t")) << all.out;
  EXPECT_TRUE(contains(all.out, "Track-3\t-inf LKFS\t")) << all.out;
  EXPECT_TRUE(contains(all.out, "Track-1+2\t")) << all.out;
  EXPECT_TRUE(contains(all.out, "不適合 2 / 4")) << all.out;
  EXPECT_EQ(run_cli({"loudness", mxf, "--tracks", "1,2"}).exitStatus, 0);
}

TEST_F(CliLoudnessTest, RangeTracksPairsAndJson) {
  const CliResult r = run_cli({"loudness", mxf, "--in", "10:00:01;00", "--out", "10:00:02;00",
                               "--tracks", "2", "--pair", "2-1", "--json"});
  EXPECT_EQ(r.exitStatus, 4) << r.err;
  EXPECT_TRUE(contains(r.out, "\"frames\": 31")) << r.out;
  EXPECT_TRUE(contains(r.out, "\"name\": \"Track-2\"")) << r.out;
  EXPECT_TRUE(contains(r.out, "\"name\": \"Track-2+1\"")) << r.out;
  EXPECT_TRUE(contains(r.out, "\"key\": \"arib\"")) << r.out;
  EXPECT_TRUE(contains(r.out, "\"meets\": false")) << r.out;
  const CliResult silent = run_cli({"loudness", mxf, "--tracks", "3", "--json"});
  EXPECT_EQ(silent.exitStatus, 4);
  EXPECT_TRUE(contains(silent.out, "\"integrated\": null")) << silent.out;
}

TEST_F(CliLoudnessTest, UsageErrorsAndRefusals) {
  EXPECT_EQ(run_cli({"loudness", mxf, "--pair", "2-2"}).exitStatus, 2);
  EXPECT_EQ(run_cli({"loudness", mxf, "--pair", "1+2"}).exitStatus, 2);
  EXPECT_EQ(run_cli({"loudness", mxf, "--target", "bbc"}).exitStatus, 2);
  EXPECT_EQ(run_cli({"loudness", mxf, "--in", "10:00:01;00"}).exitStatus, 2);
  const CliResult beyond = run_cli({"loudness", mxf, "--tracks", "4"});
  EXPECT_EQ(beyond.exitStatus, 2);
  EXPECT_TRUE(contains(beyond.err, "--tracks")) << beyond.err;
  EXPECT_EQ(run_cli({"loudness", mxf, "--pair", "1-4"}).exitStatus, 2);
  EXPECT_EQ(run_cli({"loudness", dir.file("none.mxf")}).exitStatus, 2);
  // An OUT before the IN is the IN/OUT entry's refusal.
  const CliResult order = run_cli({"loudness", mxf, "--in", "10:00:03;00", "--out", "10:00:01;00"});
  EXPECT_EQ(order.exitStatus, 1);
  EXPECT_TRUE(contains(order.err, "INポイントよりも前")) << order.err;

  // A damaged key in frame 100 of track 2: refused with the element check, no table.
  std::fstream file(mxf, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(static_cast<std::streamoff>(fixture->layout.frames[100].soundKey[1] + 3));
  file.put('\x77');
  file.close();
  const CliResult damaged = run_cli({"loudness", mxf, "--tracks", "2"});
  EXPECT_EQ(damaged.exitStatus, 1);
  EXPECT_TRUE(contains(damaged.err, "101 フレーム目")) << damaged.err;
  EXPECT_FALSE(contains(damaged.out, "LKFS")) << damaged.out;
  EXPECT_EQ(run_cli({"loudness", mxf, "--tracks", "1"}).exitStatus, 0);
}

TEST_F(CliLoudnessTest, WavFiles) {
  const std::string stereo = dir.file("mix.wav");
  ASSERT_TRUE(write_signal_wav(stereo, 2, 16, both_channels(tone_sequence({{-23, 3}}))));
  const CliResult ok = run_cli({"loudness", stereo, "--target", "ebu"});
  EXPECT_EQ(ok.exitStatus, 0) << ok.err;
  EXPECT_TRUE(contains(ok.out, "mix.wav\t-23.0 LUFS\t")) << ok.out;
  EXPECT_TRUE(contains(ok.out, "ステレオ 16ビット")) << ok.out;
  EXPECT_EQ(run_cli({"loudness", stereo, "--target", "atsc"}).exitStatus, 0);
  EXPECT_EQ(run_cli({"loudness", stereo}).exitStatus, 0);  // -23 lies within -24 +/-1
  const std::string loud = dir.file("loud.WAV");
  ASSERT_TRUE(write_signal_wav(loud, 1, 24, tone_sequence({{-3, 3}})));
  EXPECT_EQ(run_cli({"loudness", loud, "--json"}).exitStatus, 4);
  EXPECT_EQ(run_cli({"loudness", stereo, "--tracks", "1"}).exitStatus, 2);
  EXPECT_EQ(run_cli({"loudness", dir.file("gone.wav")}).exitStatus, 2);
  ASSERT_TRUE(write_file(dir.file("text.wav"), {'n', 'o', 'p', 'e'}));
  EXPECT_EQ(run_cli({"loudness", dir.file("text.wav")}).exitStatus, 1);
}

}  // namespace
}  // namespace tavrin::test
