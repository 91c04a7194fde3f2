// WAV files wrapped into MXF files written by ffmpeg, by both engines: ffmpeg then decodes every
// track of the wrapped file, and the samples of IN .. OUT are the WAVs', all others the original
// file's; ffprobe still reads every frame.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "peer_tools.h"
#include "support/analysed_fixture.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"
#include "wav/wav_reader.h"
#include "wrap/track_job.h"

namespace tavrin {
namespace {

// Nobody watches these jobs: no progress is shown and no stop is asked for.
platform::NullJobControl unwatched;

using test::have_tool;
using test::number;
using test::run;

// The raw little-endian samples of audio stream `stream` as ffmpeg decodes them.
std::vector<uint8_t> decode_track(const test::TempDir& dir, const std::string& mxf, int stream,
                                  uint32_t bits) {
  const std::string format = bits == 16 ? "s16le" : "s24le";
  const std::string raw = dir.file("track.raw");
  const std::string command = "ffmpeg -v error -y -i '" + mxf +
                              "' -map 0:a:" + std::to_string(stream) + " -c:a pcm_" + format +
                              " -f " + format + " '" + raw + "'";
  if (std::system(command.c_str()) != 0) return {};
  return test::read_file(raw);
}

uint64_t video_frames_read(const std::string& mxf) {
  const auto text =
      run("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
          "stream=nb_read_frames -of csv=p=0 '" +
          mxf + "'");
  return text && !text->empty() ? std::strtoull(text->c_str(), nullptr, 10) : 0;
}

struct PeerCase {
  const char* name;
  const char* rate;      // ffmpeg frame rate
  const char* timecode;  // start timecode
  uint32_t bits;         // of the MXF audio
  uint32_t rateCode;     // the rate code the file should load with
};

// Test names and failure output show the case by its name.
void PrintTo(const PeerCase& c, std::ostream* out) {
  *out << c.name;
}

class WrapPeerTest : public ::testing::TestWithParam<PeerCase> {};

TEST_P(WrapPeerTest, DecodedTracksHoldTheWavsInsideTheRangeAndTheOriginalOutside) {
  if (!have_tool("ffmpeg") || !have_tool("ffprobe")) {
    GTEST_SKIP() << "ffmpeg/ffprobe not installed: the wrap is not checked against a peer";
  }
  const PeerCase& c = GetParam();
  test::TempDir dir;
  const std::string original = dir.file("peer.mxf");
  std::string command =
      std::string("ffmpeg -v error -y -f lavfi -i testsrc=s=1920x1080:r=") + c.rate + ":d=2";
  for (int t = 0; t < 4; ++t) {
    command += " -f lavfi -i anoisesrc=r=48000:d=2:seed=" + std::to_string(t + 3);
  }
  command += " -map 0";
  for (int t = 1; t <= 4; ++t) command += " -map " + std::to_string(t);
  command += std::string(" -c:v mpeg2video -pix_fmt yuv422p -b:v 8M -g 12 -c:a pcm_s") +
             std::to_string(c.bits) + "le -ar 48000 -timecode \"" + c.timecode + "\" -f mxf '" +
             original + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  MxfRecords records;
  std::string failure;
  ASSERT_EQ(test::analyse_mxf_file(original, &records, &failure), 0) << failure;
  ASSERT_EQ(records.audio.trackCount, 4);
  ASSERT_EQ(records.timecode.rateCode, c.rateCode)
      << records.timecode.editRateNum << "/" << records.timecode.editRateDen;
  const std::vector<uint8_t> originalBytes = test::read_file(original);
  const uint64_t frames = records.timecode.indexEntryCount;

  // Track 1: a 16-bit mono WAV; track 2 OFF; tracks 3 and 4: a stereo WAV of the MXF's depth.
  const std::string monoPath = dir.file("mono.wav");
  const std::string stereoPath = dir.file("stereo.wav");
  test::WavParams monoParams;
  monoParams.channels = 1;
  monoParams.bits = 16;
  monoParams.sampleFrames = 30000;
  test::WavParams stereoParams;
  stereoParams.channels = 2;
  stereoParams.bits = static_cast<uint16_t>(c.bits);
  stereoParams.sampleFrames = 96000;
  ASSERT_TRUE(test::write_wav(monoPath, test::make_wav(monoParams)));
  ASSERT_TRUE(test::write_wav(stereoPath, test::make_wav(stereoParams)));
  WAV_LIBRARY_ENTRY mono;
  WAV_LIBRARY_ENTRY stereo;
  mono.file_path = monoPath;
  stereo.file_path = stereoPath;
  ASSERT_EQ(read_wav_file_info(monoPath, &mono.info, &records.timecode), kWavAccepted);
  ASSERT_EQ(read_wav_file_info(stereoPath, &stereo.info, &records.timecode), kWavAccepted);

  const uint32_t first = 5;
  const uint32_t last = static_cast<uint32_t>(frames) - 8;
  const size_t sel = records.timecode.startsInHour23 ? 1 : 0;
  const uint32_t start = sel ? records.timecode.shiftedStart : records.timecode.startFrame;
  auto make_job = [&](AUDIOTRACK_IO_INFO* job) {
    job->inFrame[sel] = start + first;
    job->outFrame[sel] = start + last;
    for (size_t t = 0; t < 4; ++t) job->trackSwitch[t] = kTrackOff;
    job->wavEntry[0] = &mono;
    job->wavEntry[2] = job->wavEntry[3] = &stereo;
    job->trackSwitch[0] = job->trackSwitch[2] = job->trackSwitch[3] = kTrackOn;
    job->wavBufferIndex = 0;
  };

  const std::string byMapping = dir.file("mapped.mxf");
  const std::string byFileApi = dir.file("file-api.mxf");
  ASSERT_TRUE(test::write_file(byMapping, originalBytes));
  ASSERT_TRUE(test::write_file(byFileApi, originalBytes));
  AUDIOTRACK_IO_INFO mappingJob;
  AUDIOTRACK_IO_INFO fileApiJob;
  make_job(&mappingJob);
  make_job(&fileApiJob);
  const int mappingCode = wrap_audio_by_mapping(byMapping, &mappingJob, &records.base, unwatched);
  const int fileApiCode = wrap_audio_by_file_api(byFileApi, &fileApiJob, &records.base, unwatched);

  ASSERT_EQ(mappingCode, 0);
  ASSERT_EQ(fileApiCode, 0);
  const std::vector<uint8_t> wrapped = test::read_file(byMapping);
  ASSERT_EQ(wrapped, test::read_file(byFileApi)) << "the engines wrote different files";

  // Sample positions of the range in each decoded track.
  const uint32_t slot = c.bits / 8;
  uint64_t before = 0;
  uint64_t inside = 0;
  for (uint32_t i = 0; i <= last; ++i) {
    const uint32_t n = records.indexEntrySlot[i].samplesInFrame;
    (i < first ? before : inside) += n;
  }
  // What each track's samples inside the range must be.
  auto wav_sample = [&](size_t track, uint64_t s, uint32_t byte) -> uint8_t {
    if (track == 0) {  // 16 bits: into the top bytes of a 24-bit slot
      if (s >= monoParams.sampleFrames) return 0;
      if (c.bits == 24)
        return byte == 0 ? 0 : test::sample_byte(s, 0, static_cast<uint16_t>(byte - 1));
      return test::sample_byte(s, 0, static_cast<uint16_t>(byte));
    }
    if (s >= stereoParams.sampleFrames) return 0;
    return test::sample_byte(s, static_cast<uint16_t>(track - 2), static_cast<uint16_t>(byte));
  };
  for (int track = 0; track < 4; ++track) {
    SCOPED_TRACE(track + 1);
    const std::vector<uint8_t> was = decode_track(dir, original, track, c.bits);
    const std::vector<uint8_t> now = decode_track(dir, byMapping, track, c.bits);
    ASSERT_FALSE(was.empty());
    ASSERT_EQ(now.size(), was.size());
    ASSERT_GE(was.size(), (before + inside) * slot);
    size_t wrong = 0;
    for (uint64_t s = 0; s < was.size() / slot; ++s) {
      const bool inRange = s >= before && s < before + inside && track != 1;
      for (uint32_t b = 0; b < slot; ++b) {
        const uint8_t want =
            inRange ? wav_sample(static_cast<size_t>(track), s - before, b) : was[s * slot + b];
        if (now[s * slot + b] != want && wrong++ < 3) {
          ADD_FAILURE() << "sample " << s << " byte " << b;
        }
      }
    }
    EXPECT_EQ(wrong, 0u);
  }
  EXPECT_EQ(video_frames_read(byMapping), video_frames_read(original));
  EXPECT_EQ(video_frames_read(byMapping), frames);
  EXPECT_EQ(run("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + byMapping +
                "' 2>&1 >/dev/null"),
            std::optional<std::string>(""));
}

INSTANTIATE_TEST_SUITE_P(
    Rates, WrapPeerTest,
    ::testing::Values(PeerCase{"DropFrame2997_24bit", "30000/1001", "00:59:58;03", 24, 6},
                      PeerCase{"DropFrame2997_16bit", "30000/1001", "10:00:00;00", 16, 6},
                      PeerCase{"Pal25_24bit", "25", "10:00:00:00", 24, 1},
                      PeerCase{"Pal25_16bit", "25", "23:59:59:00", 16, 1},
                      PeerCase{"Film24_24bit", "24", "10:00:00:00", 24, 0},
                      PeerCase{"Ntsc30_16bit", "30", "01:00:00:00", 16, 2}),
    [](const ::testing::TestParamInfo<PeerCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavrin
