// A file written by ffmpeg, wrapped by both engines (one job stopped part way, one completed) and
// taken back from its undo journal: ffmpeg then decodes every track exactly as it decodes the
// original, and the file is the original byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "peer_tools.h"
#include "support/analysed_fixture.h"
#include "support/job_controls.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"
#include "wav/wav_reader.h"
#include "wrap/journaled_wrap.h"
#include "wrap/undo_restore.h"

namespace tavrin {
namespace {

using test::have_tool;

std::vector<uint8_t> decode_track(const test::TempDir& dir, const std::string& mxf, int stream) {
  const std::string raw = dir.file("track.raw");
  const std::string command = "ffmpeg -v error -y -i '" + mxf +
                              "' -map 0:a:" + std::to_string(stream) +
                              " -c:a pcm_s24le -f s24le '" + raw + "'";
  if (std::system(command.c_str()) != 0) return {};
  return test::read_file(raw);
}

TEST(UndoPeerTest, AfterUndoFfmpegDecodesEveryTrackAsInTheOriginal) {
  if (!have_tool("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed: undo is not checked by a peer";
  test::TempDir dir;
  const std::string source = dir.file("peer.mxf");
  std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=s=1920x1080:r=25:d=2";
  for (int t = 0; t < 4; ++t) {
    command += " -f lavfi -i anoisesrc=r=48000:d=2:seed=" + std::to_string(t + 11);
  }
  command += " -map 0";
  for (int t = 1; t <= 4; ++t) command += " -map " + std::to_string(t);
  command +=
      " -c:v mpeg2video -pix_fmt yuv422p -b:v 8M -g 12 -c:a pcm_s24le -ar 48000 "
      "-timecode 10:00:00:00 -f mxf '" +
      source + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  MxfRecords records;
  std::string failure;
  ASSERT_EQ(test::analyse_mxf_file(source, &records, &failure), 0) << failure;
  ASSERT_EQ(records.audio.trackCount, 4);
  const std::vector<uint8_t> original = test::read_file(source);
  std::vector<std::vector<uint8_t>> decoded;
  for (int t = 0; t < 4; ++t) {
    decoded.push_back(decode_track(dir, source, t));
    ASSERT_FALSE(decoded.back().empty());
  }

  // A 16-bit stereo WAV on tracks 1 and 2, silence on track 4.
  const std::string wavPath = dir.file("stereo.wav");
  test::WavParams p;
  p.channels = 2;
  p.bits = 16;
  p.sampleFrames = 96000;
  ASSERT_TRUE(test::write_wav(wavPath, test::make_wav(p)));
  WAV_LIBRARY_ENTRY wav;
  wav.file_path = wavPath;
  ASSERT_EQ(read_wav_file_info(wavPath, &wav.info, &records.timecode), kWavAccepted);
  const size_t sel = records.timecode.startsInHour23 ? 1 : 0;
  const uint32_t start = sel ? records.timecode.shiftedStart : records.timecode.startFrame;

  for (const bool fileApi : {false, true}) {
    const std::string mxf = dir.file(fileApi ? "file-api.mxf" : "mapped.mxf");
    ASSERT_TRUE(test::write_file(mxf, original));
    AUDIOTRACK_IO_INFO job;
    for (size_t t = 0; t < 4; ++t) job.trackSwitch[t] = kTrackOff;
    job.wavEntry[0] = job.wavEntry[1] = &wav;
    job.trackSwitch[0] = job.trackSwitch[3] = kTrackOn;
    job.inFrame[sel] = start + 3;
    job.outFrame[sel] = start + 45;
    job.wavBufferIndex = 0;
    test::CancelAtFrame control(fileApi ? 1000 : 17);  // the mapped job stops part way
    const int code = wrap_with_journal(mxf, &job, &records.base, control, fileApi, {true, ""});
    ASSERT_EQ(code, fileApi ? 0 : 99);
    EXPECT_NE(decode_track(dir, mxf, 0), decoded[0]);

    const UndoResult undone = undo_wrap(mxf, "");
    ASSERT_EQ(undone.fault, UndoFault::kNone) << (fileApi ? "file API" : "mapping");
    for (int t = 0; t < 4; ++t) {
      EXPECT_EQ(decode_track(dir, mxf, t), decoded[static_cast<size_t>(t)]) << "track " << t + 1;
    }
    EXPECT_EQ(test::read_file(mxf), original);
  }
}

}  // namespace
}  // namespace tavrin
