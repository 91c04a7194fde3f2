// The loudness of tracks of MXF files written by ffmpeg, and of WAV files, against ffmpeg's own
// ebur128 filter (peak=true) on the same samples: the integrated loudness and the loudness range
// within 0.1 LU, the true peak within 0.2 dB. ffmpeg prints its summary to a tenth, which the
// comparison allows for.
// GCC 12 reports std::regex's internal std::function as maybe-uninitialized at -O2 with the
// sanitizers (a false positive inside <regex>); the warning is off for this file only.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <regex>
#include <string>

#include "loudness/mxf_loudness.h"
#include "loudness/wav_loudness.h"
#include "peer_tools.h"
#include "support/analysed_fixture.h"
#include "support/wav_fixture.h"

namespace tavrin::loudness {
namespace {

using test::have_tool;

// Tolerances: the agreement asked for plus half of the tenth ffmpeg rounds to.
constexpr double kLoudnessTolerance = 0.1 + 0.05;
constexpr double kPeakTolerance = 0.2 + 0.05;

struct PeerNumbers {
  double integrated = NAN;
  double range = NAN;
  double truePeak = NAN;
};

// The summary of ffmpeg's ebur128 filter over `input` (an ffmpeg input and filter chain).
std::optional<PeerNumbers> ffmpeg_ebur128(const std::string& arguments) {
  const auto out =
      test::run("ffmpeg -nostdin -hide_banner -nostats " + arguments + " -f null - 2>&1");
  if (!out) return std::nullopt;
  const std::string summary = out->substr(std::min(out->rfind("Summary:"), out->size()));
  auto value = [&](const char* label) -> double {
    const std::regex pattern(std::string(label) + R"(\s+(-?inf|-?[0-9]+\.[0-9]+))");
    std::smatch match;
    if (!std::regex_search(summary, match, pattern)) return NAN;
    return match[1].str().find("inf") != std::string::npos
               ? -HUGE_VAL
               : std::strtod(match[1].str().c_str(), nullptr);
  };
  PeerNumbers numbers{value("I:"), value("LRA:"), value("Peak:")};
  if (std::isnan(numbers.integrated) || std::isnan(numbers.range) || std::isnan(numbers.truePeak)) {
    return std::nullopt;
  }
  return numbers;
}

void expect_agrees(const LoudnessMeasurement& ours, const PeerNumbers& peer,
                   const std::string& what) {
  EXPECT_NEAR(ours.integrated, peer.integrated, kLoudnessTolerance) << what;
  EXPECT_NEAR(ours.range, peer.range, kLoudnessTolerance) << what;
  EXPECT_NEAR(ours.truePeak, peer.truePeak, kPeakTolerance) << what;
}

// Four mono tracks of different programme, 14 seconds: a tone stepping between two levels, pink
// noise, two tones whose level swells and falls, and quiet noise that bursts loud halfway.
const char* const kTrackSources[] = {
    "aevalsrc='0.3*sin(2*PI*440*t)*(0.15+0.85*mod(floor(t/2)\\,2))':s=48000:d=14",
    "anoisesrc=c=pink:r=48000:a=0.25:d=14:seed=5",
    "aevalsrc='(0.2*sin(2*PI*997*t)+0.1*sin(2*PI*3000*t))*(0.55+0.45*sin(2*PI*t/7))':s=48000:d=14",
    "aevalsrc='(0.02+0.5*between(t\\,6\\,8))*sin(2*PI*150*t+3*sin(2*PI*5*t))':s=48000:d=14",
};

struct PeerCase {
  const char* name;
  const char* codec;
};
void PrintTo(const PeerCase& c, std::ostream* out) {
  *out << c.name;
}

class LoudnessPeerTest : public ::testing::TestWithParam<PeerCase> {};

TEST_P(LoudnessPeerTest, TracksAndPairAgreeWithFfmpeg) {
  if (!have_tool("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed: no peer to compare with";
  const PeerCase& c = GetParam();
  test::ScratchDir dir;
  const std::string mxfPath = dir.file("peer.mxf");
  std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=s=1920x1080:r=30000/1001:d=14";
  for (const char* source : kTrackSources)
    command += std::string(" -f lavfi -i \"") + source + "\"";
  command += " -map 0 -map 1 -map 2 -map 3 -map 4 -c:v mpeg2video -pix_fmt yuv422p -b:v 4M -g 12";
  command +=
      std::string(" -c:a ") + c.codec + " -ar 48000 -timecode '10:00:00;00' '" + mxfPath + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  MxfRecords records;
  std::string failure;
  ASSERT_EQ(test::analyse_mxf_file(mxfPath, &records, &failure), 0) << failure;
  ASSERT_EQ(records.audio.trackCount, 4);
  MxfLoudnessJob job;
  job.mxfPath = mxfPath;
  job.mxf = &records.base;
  job.in = whole_file_in(records.timecode);
  job.out = whole_file_out(records.timecode);
  job.programmes = default_programmes(4);
  job.programmes.push_back(stereo_programme(2, 3));
  platform::NullJobControl control;
  const LoudnessOutcome outcome = measure_mxf_loudness(job, control);
  ASSERT_EQ(outcome.code, 0);
  // ffmpeg decodes every frame the index lists.
  ASSERT_EQ(outcome.frames, records.indexEntrySlot.size());

  for (size_t t = 0; t < 4; ++t) {
    const auto peer = ffmpeg_ebur128("-i '" + mxfPath + "' -map 0:a:" + std::to_string(t) +
                                     " -af ebur128=peak=true");
    ASSERT_TRUE(peer) << "no ebur128 summary for track " << t + 1;
    expect_agrees(outcome.measurements[t], *peer, "track " + std::to_string(t + 1));
  }
  const std::pair<int, int> pairs[] = {{0, 1}, {2, 3}};
  for (size_t p = 0; p < 2; ++p) {
    const auto [l, r] = pairs[p];
    const auto peer = ffmpeg_ebur128(
        "-i '" + mxfPath + "' -filter_complex '[0:a:" + std::to_string(l) +
        "][0:a:" + std::to_string(r) + "]join=inputs=2:channel_layout=stereo,ebur128=peak=true'");
    ASSERT_TRUE(peer) << "no ebur128 summary for a pair";
    expect_agrees(outcome.measurements[4 + p], *peer,
                  "pair " + std::to_string(l + 1) + "+" + std::to_string(r + 1));
  }
}

TEST_P(LoudnessPeerTest, WavFilesAgreeWithFfmpeg) {
  if (!have_tool("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed: no peer to compare with";
  const PeerCase& c = GetParam();
  test::ScratchDir dir;
  const std::string mono = dir.file("mono.wav");
  const std::string stereo = dir.file("stereo.wav");
  ASSERT_EQ(std::system((std::string("ffmpeg -v error -y -f lavfi -i \"") + kTrackSources[0] +
                         "\" -c:a " + c.codec + " '" + mono + "'")
                            .c_str()),
            0);
  ASSERT_EQ(std::system((std::string("ffmpeg -v error -y -f lavfi -i \"") + kTrackSources[1] +
                         "\" -f lavfi -i \"" + kTrackSources[3] +
                         "\" -filter_complex join=inputs=2:channel_layout=stereo -c:a " + c.codec +
                         " '" + stereo + "'")
                            .c_str()),
            0);
  for (const std::string& path : {mono, stereo}) {
    platform::NullJobControl control;
    const LoudnessOutcome outcome = measure_wav_loudness(path, control);
    ASSERT_EQ(outcome.code, 0) << path;
    const auto peer = ffmpeg_ebur128("-i '" + path + "' -af ebur128=peak=true");
    ASSERT_TRUE(peer) << path;
    expect_agrees(outcome.measurements[0], *peer, path);
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, LoudnessPeerTest,
                         ::testing::Values(PeerCase{"Pcm24", "pcm_s24le"},
                                           PeerCase{"Pcm16", "pcm_s16le"}),
                         [](const ::testing::TestParamInfo<PeerCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tavrin::loudness
