// Tracks of an MXF file written by ffmpeg, exported by both engines, hold exactly the samples that
// ffmpeg extracts from the same track over the same frames; ffprobe and soxi read the exported
// files and report their length, format and bext time reference.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "export/bwf_export.h"
#include "jobs/runner.h"
#include "peer_tools.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "support/wav_fixture.h"

namespace tavrin {
namespace {

// Nobody watches these jobs: no progress is shown and no stop is asked for.
platform::NullJobControl unwatched;

using test::have_tool;
using test::number;
using test::run;

std::vector<uint8_t> file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Runs the analysis on the file; true when it loads.
bool analyse(const std::string& path, MxfRecords* records) {
  platform::Status status;
  const platform::File file = platform::File::open(path, platform::Access::kReadExisting,
                                                   platform::Sharing::kNone, &status);
  if (!file.valid()) return false;
  const platform::FileSource source(file);
  AUDIOTRACK_IO_INFO tracks;
  jobs::JobRequest request;
  request.jobKind = jobs::JobKind::kAnalysis;
  request.mxfHandle = &source;
  request.mxfPath = path;
  request.mxf = &records->base;
  request.tracks = &tracks;
  int result = -1;
  jobs::run_job(request, [&](const jobs::JobMessage& message) {
    if (message.kind != jobs::JobMessageKind::kVerificationStarting) result = message.code;
  });
  return result == 0;
}

struct PeerCase {
  const char* name;
  const char* rate;      // ffmpeg frame rate
  const char* timecode;  // start timecode
  const char* codec;     // pcm_s24le or pcm_s16le
  uint32_t rateCode;
  uint32_t bits;
};

// Test names and failure output show the case by its name.
void PrintTo(const PeerCase& c, std::ostream* out) {
  *out << c.name;
}

class ExportPeerTest : public ::testing::TestWithParam<PeerCase> {};

TEST_P(ExportPeerTest, SamplesHeaderAndTimeReferenceMatchThePeers) {
  if (!have_tool("ffmpeg") || !have_tool("ffprobe")) {
    GTEST_SKIP() << "ffmpeg/ffprobe not installed: the export is not compared with a peer";
  }
  const PeerCase& c = GetParam();
  test::ScratchDir dir;
  const std::string mxfPath = dir.file("peer.mxf");
  // Four mono tracks of different content.
  std::string command =
      std::string("ffmpeg -v error -y -f lavfi -i testsrc=s=1920x1080:r=") + c.rate + ":d=1.5";
  for (int t = 0; t < 4; ++t) {
    command += " -f lavfi -i anoisesrc=r=48000:d=1.5:seed=" + std::to_string(t + 11);
  }
  command += " -map 0";
  for (int t = 1; t <= 4; ++t) command += " -map " + std::to_string(t);
  command += std::string(" -c:v mpeg2video -pix_fmt yuv422p -b:v 8M -g 12 -c:a ") + c.codec +
             " -ar 48000 -timecode \"" + c.timecode + "\" '" + mxfPath + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  MxfRecords records;
  ASSERT_TRUE(analyse(mxfPath, &records)) << "the ffmpeg file does not load";
  ASSERT_EQ(records.audio.trackCount, 4);
  ASSERT_EQ(records.timecode.rateCode, c.rateCode)
      << records.timecode.editRateNum << "/" << records.timecode.editRateDen;
  const uint32_t blockAlign = records.audio.blockAlign;

  // Frames 7 .. 31 of the file, tracks 2 and 4.
  const uint32_t firstFrame = 7;
  const uint32_t frames = 25;
  AUDIOTRACK_IO_INFO tracks;
  const size_t base = records.timecode.startsInHour23 ? 1 : 0;
  const uint32_t start = base ? records.timecode.shiftedStart : records.timecode.startFrame;
  tracks.exportIn[base] = start + firstFrame;
  tracks.exportOut[base] = start + firstFrame + frames - 1;
  tracks.exportMark[1] = 1;
  tracks.exportMark[3] = 1;
  tracks.exportFolder = dir.path();
  tracks.exportCounter = 1;
  tracks.exportPrefix = "M";
  ASSERT_EQ(export_bwf_by_mapping(mxfPath, &tracks, &records.base, unwatched), 0);
  tracks.exportPrefix = "F";
  ASSERT_EQ(export_bwf_by_file_api(mxfPath, &tracks, &records.base, unwatched), 0);

  uint64_t skipSamples = 0;
  uint64_t samples = 0;
  for (uint32_t i = 0; i < firstFrame + frames; ++i) {
    const uint32_t n = (*records.base.indexEntries)[i].samplesInFrame;
    (i < firstFrame ? skipSamples : samples) += n;
  }
  const uint64_t timeReference =
      samples_before_frame(uint64_t{records.timecode.startFrame} + firstFrame, c.rateCode);

  for (const int track : {2, 4}) {
    const std::string mapped = dir.file("M" + std::to_string(track) + ".wav");
    const std::string byFile = dir.file("F" + std::to_string(track) + ".wav");
    const std::vector<uint8_t> exported = file_bytes(mapped);
    EXPECT_EQ(exported, file_bytes(byFile)) << "the engines differ on track " << track;

    const std::string raw = dir.file("ffmpeg" + std::to_string(track) + ".raw");
    ASSERT_EQ(std::system(("ffmpeg -v error -y -i '" + mxfPath +
                           "' -map 0:a:" + std::to_string(track - 1) + " -c:a " + c.codec + " -f " +
                           std::string(c.codec).substr(4, 5) + " '" + raw + "'")
                              .c_str()),
              0);
    const std::vector<uint8_t> extracted = file_bytes(raw);
    ASSERT_GE(extracted.size(), (skipSamples + samples) * blockAlign);
    ASSERT_EQ(exported.size(), 754 + samples * blockAlign);
    EXPECT_TRUE(std::equal(exported.begin() + 754, exported.end(),
                           extracted.begin() + static_cast<long>(skipSamples * blockAlign)))
        << "track " << track << " differs from what ffmpeg extracts";

    const std::string probe = "ffprobe -v error -show_entries ";
    EXPECT_EQ(number(run(probe + "stream=duration_ts -of csv=p=0 '" + mapped + "'")), samples);
    EXPECT_EQ(number(run(probe + "stream=sample_rate -of csv=p=0 '" + mapped + "'")), 48000u);
    EXPECT_EQ(number(run(probe + "stream=channels -of csv=p=0 '" + mapped + "'")), 1u);
    EXPECT_EQ(number(run(probe + "stream=bits_per_sample -of csv=p=0 '" + mapped + "'")), c.bits);
    EXPECT_EQ(number(run(probe + "format_tags=time_reference -of csv=p=0 '" + mapped + "'")),
              timeReference);
    if (have_tool("soxi")) {
      EXPECT_EQ(number(run("soxi -s '" + mapped + "'")), samples);
      EXPECT_EQ(number(run("soxi -b '" + mapped + "'")), c.bits);
      EXPECT_EQ(number(run("soxi -c '" + mapped + "'")), 1u);
    } else {
      std::printf("soxi not installed: the length is checked by ffprobe only\n");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rates, ExportPeerTest,
    ::testing::Values(PeerCase{"DropFrame2997", "30000/1001", "00:59:58;03", "pcm_s24le", 6, 24},
                      PeerCase{"DropFrame5994", "60000/1001", "00:00:00;00", "pcm_s16le", 7, 16},
                      PeerCase{"Pal25", "25", "10:00:00:00", "pcm_s24le", 1, 24},
                      PeerCase{"Film2398", "24000/1001", "23:59:59:10", "pcm_s24le", 4, 24},
                      PeerCase{"Film24", "24", "01:00:00:00", "pcm_s16le", 0, 16},
                      PeerCase{"Ntsc30", "30", "00:59:59:00", "pcm_s24le", 2, 24}),
    [](const ::testing::TestParamInfo<PeerCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavrin
