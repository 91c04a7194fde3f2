// The timecode check on files written by ffmpeg, whose MXF muxer writes an SDTI system item with
// the SMPTE 12M timecode of every frame: a file as ffmpeg wrote it runs without a break; a copy
// with the timecode bytes of two frames overwritten gives exactly the breaks those frames make.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "jobs/runner.h"
#include "mxf/records.h"
#include "mxf/verify_timecode.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

bool have_ffmpeg() {
  return std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
}

// Two seconds of 1080i 29.97 drop-frame MPEG-2 422 with two 24-bit PCM tracks, starting at
// 10:00:00;00.
bool write_ffmpeg_mxf(const std::string& path) {
  const std::string command =
      "ffmpeg -v error -y -f lavfi -i testsrc=size=1920x1080:rate=30000/1001 "
      "-f lavfi -i sine=frequency=1000:sample_rate=48000 -t 2 -map 0:v -map 1:a -map 1:a "
      "-c:v mpeg2video -pix_fmt yuv422p -b:v 50M -minrate 50M -maxrate 50M -bufsize 17825792 "
      "-flags +ildct+ilme -top 1 -g 12 -bf 2 -c:a pcm_s24le -timecode '10:00:00;00' -f mxf '" +
      path + "'";
  return std::system(command.c_str()) == 0;
}

struct Analysis {
  int code = -1;
  MxfRecords records;
  TimecodeErrorList errors;
};

// The whole analysis, as the analysis dialog runs it.
void analyse(const std::string& path, bool useFileApi, Analysis* out) {
  platform::Status status;
  const platform::File file = platform::File::open(path, platform::Access::kReadExisting,
                                                   platform::Sharing::kRead, &status);
  ASSERT_TRUE(file.valid()) << path;
  const platform::FileSource source(file);
  out->records.timecode.errorList = &out->errors;
  jobs::JobRequest request;
  request.jobKind = jobs::JobKind::kAnalysis;
  request.mxfHandle = &source;
  request.mxfPath = path;
  request.mxf = &out->records.base;
  request.useFileApi = useFileApi;
  jobs::run_job(request, [out](const jobs::JobMessage& m) {
    if (m.kind != jobs::JobMessageKind::kVerificationStarting) {
      out->code = m.kind == jobs::JobMessageKind::kSucceeded ? 0 : m.code;
    }
  });
}

// One ffmpeg file serves every case; each case works on copies of it.
class VerifyPeer : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() {
    if (!have_ffmpeg()) return;
    shared = new test::TempDir;
    if (!write_ffmpeg_mxf(shared->file("ffmpeg.mxf"))) {
      delete shared;
      shared = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete shared;
    shared = nullptr;
  }
  void SetUp() override {
    if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg is not installed: no peer-written MXF file";
    ASSERT_NE(shared, nullptr) << "ffmpeg could not write the MXF file";
    original = shared->file("ffmpeg.mxf");
  }
  static test::TempDir* shared;
  test::TempDir dir;
  std::string original;
};
test::TempDir* VerifyPeer::shared = nullptr;

INSTANTIATE_TEST_SUITE_P(BothMethods, VerifyPeer, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "FileApi" : "Mapping"; });

TEST_P(VerifyPeer, FfmpegFileRunsWithoutABreak) {
  Analysis a;
  analyse(original, GetParam(), &a);
  EXPECT_EQ(a.code, 0);
  EXPECT_EQ(a.records.timecode.errorCount, 0u);
  EXPECT_TRUE(a.errors.empty());
  EXPECT_EQ(a.records.timecode.indexEntryCount, 60u);
  EXPECT_EQ(a.records.timecode.startFrame, 1078920u);  // 10:00:00;00 at 29.97 drop frame
}

TEST_P(VerifyPeer, TwoOverwrittenFramesGiveTheirBreaks) {
  Analysis clean;
  analyse(original, GetParam(), &clean);
  ASSERT_EQ(clean.code, 0);
  const std::vector<INDEX_ENTRY_ARRAY>& entries = clean.records.indexEntrySlot;
  ASSERT_GE(entries.size(), 31u);

  // Frame 10 takes the timecode of frame 15 (a jump and a step back); frame 30 that of frame 29
  // (a still frame, then a jump of two).
  const std::string patched = dir.file("patched.mxf");
  std::filesystem::copy_file(original, patched);
  {
    std::fstream f(patched, std::ios::in | std::ios::out | std::ios::binary);
    auto copy_word = [&](size_t from, size_t to) {
      char word[4];
      f.seekg(static_cast<std::streamoff>(entries[from].filePosition + kTimecodeWordOffset));
      f.read(word, 4);
      f.seekp(static_cast<std::streamoff>(entries[to].filePosition + kTimecodeWordOffset));
      f.write(word, 4);
    };
    copy_word(15, 10);
    copy_word(29, 30);
    ASSERT_TRUE(f.good());
  }

  Analysis a;
  analyse(patched, GetParam(), &a);
  EXPECT_EQ(a.code, verify_codes::kBreaksFound);
  EXPECT_EQ(a.records.timecode.errorCount, 4u);
  struct Expected {
    uint32_t position, before, after, state;
  };
  const uint32_t start = 1078920;
  const Expected expected[] = {{9, start + 9, start + 15, 2},
                               {10, start + 15, start + 11, 3},
                               {29, start + 29, start + 29, 4},
                               {30, start + 29, start + 31, 2}};
  ASSERT_EQ(a.errors.size(), std::size(expected));
  auto r = a.errors.begin();
  for (const Expected& e : expected) {
    EXPECT_EQ(r->position, e.position);
    EXPECT_EQ(r->beforeFrame, e.before) << e.position;
    EXPECT_EQ(r->afterFrame, e.after) << e.position;
    EXPECT_EQ(r->state, e.state) << e.position;
    ++r;
  }
}

}  // namespace
}  // namespace tavrin
