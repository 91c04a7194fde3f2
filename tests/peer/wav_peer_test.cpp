// WAV and BWF files written by sox and ffmpeg are read with the data offset, the sample-frame
// count and the time reference that soxi and ffprobe report for them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "mxf/records.h"
#include "support/wav_fixture.h"
#include "wav/wav_reader.h"
#include "peer_tools.h"

namespace tavrin {
namespace {

using test::have_tool;
using test::number;
using test::run;

// The file offset of the first audio packet: where the samples begin.
uint64_t ffprobe_data_offset(const std::string& path) {
  return number(
      run("ffprobe -v error -select_streams a:0 -show_entries packet=pos "
          "-read_intervals %+#1 -of csv=p=0 '" +
          path + "' | head -n 1"));
}

uint64_t ffprobe_sample_frames(const std::string& path) {
  return number(
      run("ffprobe -v error -select_streams a:0 -show_entries stream=duration_ts "
          "-of csv=p=0 '" +
          path + "'"));
}

class WavPeerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    timecode.rateCode = 0;  // 24 frames per second
    timecode.fpsCode = 0;
  }
  WAV_FILE_INFO read(const std::string& path) {
    WAV_FILE_INFO info;
    EXPECT_EQ(read_wav_file_info(path, &info, &timecode), kWavAccepted) << path;
    return info;
  }
  test::ScratchDir dir;
  MXF_TIMECODE_INFO timecode;
};

TEST_F(WavPeerTest, SoxFiles) {
  if (!have_tool("sox") || !have_tool("soxi") || !have_tool("ffprobe")) {
    GTEST_SKIP() << "sox, soxi or ffprobe is not installed";
  }
  struct Case {
    int channels, bits;
  };
  for (const Case c : {Case{1, 16}, Case{2, 16}, Case{1, 24}, Case{2, 24}}) {
    const std::string path =
        dir.file("sox_" + std::to_string(c.channels) + "_" + std::to_string(c.bits) + ".wav");
    ASSERT_EQ(std::system(("sox -V1 -n -r 48000 -c " + std::to_string(c.channels) + " -b " +
                           std::to_string(c.bits) + " '" + path + "' synth 0.75 sine 440")
                              .c_str()),
              0);
    const WAV_FILE_INFO info = read(path);
    EXPECT_EQ(info.channels, c.channels);
    EXPECT_EQ(info.bits_per_sample, c.bits);
    EXPECT_EQ(info.data_offset, ffprobe_data_offset(path)) << path;
    ASSERT_NE(info.block_align, 0);
    EXPECT_EQ(info.data_size / info.block_align, number(run("soxi -s '" + path + "'"))) << path;
    EXPECT_EQ(info.is_bwf, 0u);
  }
}

TEST_F(WavPeerTest, FfmpegFilesWithAndWithoutBext) {
  if (!have_tool("ffmpeg") || !have_tool("ffprobe")) {
    GTEST_SKIP() << "ffmpeg or ffprobe is not installed";
  }
  struct Case {
    int channels;
    const char* codec;
    int bits;
    bool bext;
  };
  const uint64_t reference = 172'802'030;  // one hour, a frame and 30 samples at 24 fps
  for (const Case c : {Case{1, "pcm_s16le", 16, false}, Case{2, "pcm_s24le", 24, false},
                       Case{1, "pcm_s16le", 16, true}, Case{2, "pcm_s24le", 24, true}}) {
    const std::string path = dir.file(std::string("ffmpeg_") + std::to_string(c.channels) + "_" +
                                      c.codec + (c.bext ? "_bext" : "") + ".wav");
    std::string command =
        "ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=48000:duration=0.75 -ac " +
        std::to_string(c.channels) + " -c:a " + c.codec;
    if (c.bext) command += " -write_bext 1 -metadata time_reference=" + std::to_string(reference);
    ASSERT_EQ(std::system((command + " '" + path + "'").c_str()), 0);
    const WAV_FILE_INFO info = read(path);
    EXPECT_EQ(info.channels, c.channels);
    EXPECT_EQ(info.bits_per_sample, c.bits);
    EXPECT_EQ(info.data_offset, ffprobe_data_offset(path)) << path;
    ASSERT_NE(info.block_align, 0);
    EXPECT_EQ(info.data_size / info.block_align, ffprobe_sample_frames(path)) << path;
    EXPECT_EQ(info.is_bwf, c.bext ? 1u : 0u);
    if (c.bext) {
      EXPECT_EQ(info.start_sample,
                number(run("ffprobe -v error -show_entries format_tags=time_reference "
                           "-of csv=p=0 '" +
                           path + "'")));
      EXPECT_EQ(info.start_frame, 86'401u);
      EXPECT_EQ(info.start_subframe, 1u);
      EXPECT_EQ(info.start_remainder, 10u);
    }
  }
}

}  // namespace
}  // namespace tavrin
