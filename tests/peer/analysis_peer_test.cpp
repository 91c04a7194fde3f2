// MXF files written by independent muxers go through the whole analysis. ffmpeg's OP1a muxer
// writes the layout the program works on (KAG 512, a system item in every content package, the
// picture at delta entry 1, one AES3 element per track in the second slice): its files load with
// the frame rate, start timecode, duration, track count and bit depth that ffprobe reports.
// GStreamer's mxfmux writes KAG 1 without a system item, with empty delta arrays and 3-byte
// element lengths: its files are refused by the layout check of the index step.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include "analysis_peer_json.h"
#include "app/info_panel.h"
#include "jobs/runner.h"
#include "mxf/records.h"
#include "peer_tools.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "support/temp_dir.h"
#include "timecode/timecode.h"

namespace tavrin {
namespace {

using test::have_tool;

using test::Json;

std::string output_of(const std::string& command) {
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), &::pclose);
  std::string out;
  if (!pipe) return out;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
  return out;
}

bool shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

// The analysis job over the file; the final message.
jobs::JobMessage analyse(const std::string& path, MxfRecords& records) {
  platform::Status status;
  const platform::File file = platform::File::open(path, platform::Access::kReadExisting,
                                                   platform::Sharing::kRead, &status);
  platform::FileSource source(file);
  TimecodeErrorList errors;
  records.timecode.errorList = &errors;
  jobs::JobRequest request;
  request.jobKind = jobs::JobKind::kAnalysis;
  request.mxfHandle = &source;
  request.mxfPath = path;
  request.mxf = &records.base;
  jobs::JobMessage last;
  jobs::run_job(request, [&](const jobs::JobMessage& m) { last = m; });
  records.timecode.errorList = nullptr;
  return last;
}

// What ffprobe says about a file.
struct Probe {
  std::string frameRate;  // of the video stream, "num/den"
  long long frames = 0;
  std::string timecode;
  int audioStreams = 0;
  long long bitsPerSample = 0;
  long long width = 0;
  long long height = 0;
  std::string fieldOrder;  // "progressive", "tt", "bb", ...
};

Probe probe(const std::string& path) {
  const std::string text =
      output_of("ffprobe -v error -of json -show_streams -show_format '" + path + "'");
  const Json root = test::JsonParser(text).parse();
  Probe p;
  for (const Json& s : root["streams"].items) {
    if (s["codec_type"].text == "video") {
      p.frameRate = s["r_frame_rate"].text;
      p.frames = s["duration_ts"].integer();
      p.width = s["width"].integer();
      p.height = s["height"].integer();
      p.fieldOrder = s["field_order"].text;
    } else if (s["codec_type"].text == "audio") {
      ++p.audioStreams;
      p.bitsPerSample = s["bits_per_sample"].integer();
    }
  }
  p.timecode = root["format"]["tags"]["timecode"].text;
  return p;
}

// The actual frame count of a timecode text "hh:mm:ss:ff" (';' before drop-frame frames).
int64_t count_of(const std::string& text, uint32_t fpsCode, uint32_t dropFrame) {
  tc::Timecode t;
  if (std::sscanf(text.c_str(), "%d:%d:%d%*c%d", &t.hours, &t.minutes, &t.seconds, &t.frames) !=
      4) {
    return -1;
  }
  return tc::timecode_to_frames(fpsCode, dropFrame, t);
}

struct FfmpegCase {
  const char* name;
  const char* size;
  const char* rate;
  int tracks;
  const char* sampleFormat;
  const char* timecode;
  const char* videoOptions;
  const char* rateText;      // the panel's rate text for the frame rate
  const char* videoBitRate;  // the panel's bit rate text; ffprobe gives none for these streams
};

// Test names and failure output show the case by its name.
void PrintTo(const FfmpegCase& c, std::ostream* out) {
  *out << c.name;
}

std::string ffmpeg_command(const FfmpegCase& c, const std::string& path) {
  std::string split = "[1:a]asplit=" + std::to_string(c.tracks);
  std::string maps = "-map 0:v";
  for (int t = 0; t < c.tracks; ++t) {
    split += "[a" + std::to_string(t) + "]";
    maps += " -map '[a" + std::to_string(t) + "]'";
  }
  return std::string("ffmpeg -v error -y -f lavfi -i testsrc=size=") + c.size + ":rate=" + c.rate +
         " -f lavfi -i sine=frequency=1000:sample_rate=48000 -t 2 -filter_complex '" + split +
         "' " + maps + " " + c.videoOptions + " -c:a " + c.sampleFormat +
         (c.timecode[0] != '\0' ? std::string(" -timecode '") + c.timecode + "'" : "") +
         " -f mxf '" + path + "'";
}

constexpr const char* kMpeg2 = "-c:v mpeg2video -pix_fmt yuv422p -b:v 15M";

class AnalysisPeerFfmpeg : public ::testing::TestWithParam<FfmpegCase> {};

TEST_P(AnalysisPeerFfmpeg, LoadWithWhatFfprobeReports) {
  if (!have_tool("ffmpeg") || !have_tool("ffprobe")) GTEST_SKIP() << "ffmpeg or ffprobe is missing";
  const FfmpegCase& c = GetParam();
  test::TempDir dir;
  const std::string path = dir.file(std::string(c.name) + ".mxf");
  ASSERT_TRUE(shell(ffmpeg_command(c, path))) << "ffmpeg could not write " << c.name;
  const Probe p = probe(path);
  MxfRecords r;
  const jobs::JobMessage m = analyse(path, r);
  ASSERT_EQ(m.kind, jobs::JobMessageKind::kSucceeded) << m.code << " " << m.text;

  const MXF_TIMECODE_INFO& t = r.timecode;
  EXPECT_EQ(std::to_string(t.editRateNum) + "/" + std::to_string(t.editRateDen), p.frameRate);
  EXPECT_EQ(t.duration, static_cast<uint64_t>(p.frames));
  EXPECT_EQ(t.indexEntryCount, static_cast<uint64_t>(p.frames));
  EXPECT_EQ(t.startFrame,
            count_of(p.timecode.empty() ? "00:00:00:00" : p.timecode, t.fpsCode, t.dropFrame));
  EXPECT_EQ(r.audio.trackCount, p.audioStreams);
  EXPECT_EQ(r.audio.quantizationBits, static_cast<uint64_t>(p.bitsPerSample));
  EXPECT_EQ(r.timecode.errorCount, 0u);
  EXPECT_TRUE(r.layout.systemItem);
  EXPECT_EQ(r.layout.elementKeys.size(), static_cast<size_t>(p.audioStreams));
  EXPECT_EQ(r.partitionSlot.front().contentStart, r.partitionSlot.front().kagSize);

  // Header first, footer last, essence in body partitions with a BodySID; the first edit unit
  // lies at stream offset 0 of the partition that holds it.
  ASSERT_GE(r.partitionSlot.size(), 3u);
  EXPECT_EQ(r.partitionSlot.front().kind, 0u);
  EXPECT_EQ(r.partitionSlot.back().kind, 2u);
  for (size_t i = 1; i + 1 < r.partitionSlot.size(); ++i) EXPECT_EQ(r.partitionSlot[i].kind, 1u);
  const INDEX_ENTRY_ARRAY& first = r.indexEntrySlot.front();
  const MXF_PARTITION_INFO& holder = r.partitionSlot.at(first.partition);
  EXPECT_EQ(holder.kind, 1u);
  EXPECT_NE(holder.bodySid, 0u);
  EXPECT_EQ(holder.bodyOffset, 0u);
  EXPECT_EQ(first.filePosition, holder.essenceBase);

  // The panel shows the rate, scan, size and bit rate of the file.
  const std::vector<app::PanelFact> facts = app::information_panel(&r.base);
  auto fact = [&](const std::string& group, const std::string& caption) {
    for (const app::PanelFact& f : facts) {
      if (f.group == group && f.caption == caption) return f.value;
    }
    return std::string("(none)");
  };
  const std::string scan = p.fieldOrder == "progressive" ? "p" : "i";
  EXPECT_EQ(fact("Video", "FPS"), c.rateText + scan) << p.fieldOrder;
  EXPECT_EQ(fact("Video", "Size"), std::to_string(p.width) + " x " + std::to_string(p.height));
  EXPECT_EQ(fact("Time code", "Rate").substr(0, std::string(c.rateText).size()), c.rateText);
  if (c.videoBitRate[0] != '\0') {
    EXPECT_EQ(fact("Video", "Bit Rate"), c.videoBitRate);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Muxed, AnalysisPeerFfmpeg,
    ::testing::Values(
        FfmpegCase{"Mpeg2_2997DropFrame_8x24bit", "1920x1080", "30000/1001", 8, "pcm_s24le",
                   "10:00:00;00",
                   "-c:v mpeg2video -pix_fmt yuv422p -b:v 15M -flags +ildct+ilme -top 1", "29.97",
                   "15.0Mbps"},
        FfmpegCase{"Mpeg2_25_4x16bit", "1920x1080", "25", 4, "pcm_s16le", "01:00:00:00", kMpeg2,
                   "25", "15.0Mbps"},
        // 1080i25, the European broadcast format: 540-line fields of a 1080-line picture.
        FfmpegCase{"Mpeg2_25Interlaced_4x24bit", "1920x1080", "25", 4, "pcm_s24le", "10:00:00:00",
                   "-c:v mpeg2video -pix_fmt yuv422p -b:v 50M -flags +ildct+ilme -top 1", "25",
                   "50.0Mbps"},
        FfmpegCase{"Mpeg2_24_2x24bit", "1920x1080", "24", 2, "pcm_s24le", "01:00:00:00", kMpeg2,
                   "24", "15.0Mbps"},
        FfmpegCase{"Mpeg2_30_2x24bit", "1920x1080", "30", 2, "pcm_s24le", "01:00:00:00", kMpeg2,
                   "30", "15.0Mbps"},
        FfmpegCase{"Mpeg2_5994_2x24bit", "1280x720", "60000/1001", 2, "pcm_s24le", "", kMpeg2,
                   "59.94", "15.0Mbps"},
        // H.264 High 4:2:2 Intra: ffmpeg labels it with the coding UL the program knows as XAVC
        // Intra.
        FfmpegCase{"H264_422Intra", "1920x1080", "30000/1001", 2, "pcm_s24le", "",
                   "-c:v libx264 -pix_fmt yuv422p10le -profile:v high422 -x264-params keyint=1",
                   "29.97", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AnalysisPeer, FfmpegDropFrameStartAndFiveFrameCadence) {
  if (!have_tool("ffmpeg")) GTEST_SKIP() << "ffmpeg is missing";
  test::TempDir dir;
  const std::string path = dir.file("df.mxf");
  ASSERT_TRUE(shell(ffmpeg_command(
      {"df", "1920x1080", "30000/1001", 2, "pcm_s24le", "10:00:00;00", kMpeg2, "29.97", ""},
      path)));
  MxfRecords r;
  ASSERT_EQ(analyse(path, r).kind, jobs::JobMessageKind::kSucceeded);
  EXPECT_EQ(r.timecode.startFrame, 1078920u);
  EXPECT_EQ(r.timecode.dropFrame, 1u);
  EXPECT_EQ(r.timecode.rateCode, 6u);
  EXPECT_EQ(r.audio.cadenceCode, 6u);
  EXPECT_EQ(r.video.codingName, "MPEG2 HD422P@HL");
  const uint32_t expected[] = {1602, 1601, 1602, 1601, 1602};
  for (size_t k = 0; k < 5; ++k) EXPECT_EQ(r.indexEntrySlot[k].samplesInFrame, expected[k]);
}

TEST(AnalysisPeer, FfmpegLongGopH264HasACodingOutsideTheTable) {
  if (!have_tool("ffmpeg")) GTEST_SKIP() << "ffmpeg is missing";
  test::TempDir dir;
  const std::string path = dir.file("h264.mxf");
  ASSERT_TRUE(shell(ffmpeg_command({"h264", "1920x1080", "30000/1001", 2, "pcm_s24le", "",
                                    "-c:v libx264 -pix_fmt yuv420p", "29.97", ""},
                                   path)));
  MxfRecords r;
  const jobs::JobMessage m = analyse(path, r);
  EXPECT_EQ(m.kind, jobs::JobMessageKind::kFailed);
  EXPECT_EQ(m.code, 807);
  EXPECT_EQ(r.base.sectionCode, 800);
  EXPECT_EQ(r.video.codingName, "not in list");
}

TEST(AnalysisPeer, GstreamerFilesAreRefusedByTheLayoutCheck) {
  if (!have_tool("ffmpeg") || !have_tool("gst-launch-1.0")) {
    GTEST_SKIP() << "ffmpeg or gst-launch-1.0 is missing";
  }
  test::TempDir dir;
  const std::string video = dir.file("v.m2v");
  const std::string mxf = dir.file("gst.mxf");
  ASSERT_TRUE(
      shell("ffmpeg -v error -y -f lavfi -i testsrc=size=1920x1080:rate=25 -t 2 -c:v "
            "mpeg2video -pix_fmt yuv422p -b:v 15M -f mpeg2video '" +
            video + "'"));
  std::string pipeline = "timeout 120 gst-launch-1.0 -q mxfmux name=mux ! filesink location='" +
                         mxf + "' filesrc location='" + video + "' ! mpegvideoparse ! mux.";
  for (int t = 0; t < 2; ++t) {
    const std::string wav = dir.file("a" + std::to_string(t) + ".wav");
    ASSERT_TRUE(
        shell("ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=48000 -t 2 "
              "-c:a pcm_s24le '" +
              wav + "'"));
    pipeline += " filesrc location='" + wav + "' ! wavparse ! mux.";
  }
  if (!shell(pipeline + " >/dev/null 2>&1")) GTEST_SKIP() << "mxfmux is not available";
  MxfRecords r;
  const jobs::JobMessage m = analyse(mxf, r);
  EXPECT_EQ(m.kind, jobs::JobMessageKind::kFailed);
  EXPECT_EQ(r.base.sectionCode, 600);
  EXPECT_EQ(m.code, 610) << "no system item at the start of the content package";
  EXPECT_TRUE(r.indexEntrySlot.empty());
  EXPECT_EQ(r.partitionSlot.front().kagSize, 1u);
  EXPECT_EQ(r.partitionSlot.front().contentStart, r.partitionSlot.front().packLength + 17u);
}

}  // namespace
}  // namespace tavrin
