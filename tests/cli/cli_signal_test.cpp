// Signals and file-size limits around the long jobs of the command line: SIGTERM and SIGHUP stop a
// wrap between two frames as Ctrl+C does (the cancellation message, exit 99, the frames before
// the stop written and none after, the wrap taken back by undo); a write past the
// file-size limit (RLIMIT_FSIZE) fails with EFBIG, and the export or log reports its failure
// instead of the process dying of SIGXFSZ with a cut file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"

namespace tavrin::test {
namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// True when the progress line last shown ("... (done / total)") has frames done and frames to go.
bool job_under_way(const std::string& err) {
  const size_t open = err.rfind('(');
  unsigned done = 0;
  unsigned total = 0;
  return open != std::string::npos &&
         std::sscanf(err.c_str() + open, "(%u / %u)", &done, &total) == 2 && done > 0 &&
         done < total;
}

struct Stop {
  bool fileApi;
  int signal;
};
void PrintTo(const Stop& stop, std::ostream* os) {
  *os << (stop.fileApi ? "file API, signal " : "mapping, signal ") << stop.signal;
}

// A long programme (12,000 frames, one track) so that a job runs for a good part of a second
// after its progress line first moves; built once for the suite, written afresh for each test.
class CliLongJob : public ::testing::TestWithParam<Stop> {
 protected:
  static void SetUpTestSuite() {
    MxfFixtureOptions o;
    o.trackCount = 1;
    o.pictureSize = 100;
    o.frameCount = kFrames;
    layout = new MxfFixtureLayout;
    bytes = new std::vector<uint8_t>(build_mxf_fixture(o, layout));
    const FixtureTimecode last = count_to_timecode(30, true, o.startTimecode + kFrames - 1);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d;%02d", last.hours, last.minutes, last.seconds,
                  last.frames);
    outPoint = text;
  }
  static void TearDownTestSuite() {
    delete layout;
    delete bytes;
  }
  void SetUp() override {
    mxf = dir.file("long.mxf");
    ASSERT_TRUE(write_file(mxf, *bytes));
    original = *bytes;
    ASSERT_EQ(original.size(), layout->fileSize);
  }
  // Starts the job, waits until its progress line shows frames done, and sends `signal`.
  CliResult signalled_job(const std::vector<std::string>& args, int signal) {
    CliChild child(args);
    EXPECT_TRUE(child.started());
    const bool moving = child.wait_for_err(job_under_way, 120);
    EXPECT_TRUE(moving) << child.err_so_far();
    if (moving) ::kill(child.pid(), signal);
    return child.wait();
  }

  static constexpr uint64_t kFrames = 12000;
  static inline MxfFixtureLayout* layout = nullptr;
  static inline std::vector<uint8_t>* bytes = nullptr;
  static inline std::string outPoint;  // the label of the last frame
  TempDir dir;
  std::string mxf;
  std::vector<uint8_t> original;
};

TEST_P(CliLongJob, StopsAWrapBetweenFramesAndUndoTakesItBack) {
  std::vector<std::string> args = {"wrap",   mxf,         "--in", "10000000", "--out",
                                   outPoint, "--silence", "1",    "--yes",    "--progress"};
  if (GetParam().fileApi) args.insert(args.end(), {"--file-api", "--buffer", "0"});
  const CliResult r = signalled_job(args, GetParam().signal);
  ASSERT_EQ(r.killedBy, 0) << "died of signal " << r.killedBy << "\n" << r.err;
  EXPECT_EQ(r.exitStatus, 99) << r.out << r.err;
  EXPECT_TRUE(contains(r.out, "ラッピングを中断しました。")) << r.out;

  // Track 1 holds silence in the frames before the stop and its own samples from there on;
  // every other byte is as it was.
  const std::vector<uint8_t> pristine = original;
  std::vector<uint8_t> file = read_file(mxf);
  ASSERT_EQ(file.size(), original.size());
  uint64_t silent = 0;
  for (uint64_t k = 0; k < kFrames; ++k) {
    const FixtureFrame& frame = layout->frames[k];
    const auto value = file.begin() + static_cast<std::ptrdiff_t>(frame.soundValue[0]);
    const auto end = value + frame.samples * 3;
    const bool zero = std::all_of(value, end, [](uint8_t b) { return b == 0; });
    if (zero && silent == k) {
      ++silent;
    } else {
      ASSERT_TRUE(std::equal(value, end, original.begin() + (value - file.begin())))
          << "frame " << k << " after the stop at " << silent;
    }
    std::fill(value, end, uint8_t{0});
    std::fill(original.begin() + (value - file.begin()), original.begin() + (end - file.begin()),
              uint8_t{0});
  }
  EXPECT_TRUE(file == original);
  EXPECT_GT(silent, 0u);
  EXPECT_LT(silent, kFrames);

  const CliResult undone = run_cli({"undo", mxf});
  EXPECT_EQ(undone.exitStatus, 0) << undone.err;
  EXPECT_TRUE(read_file(mxf) == pristine);
}

INSTANTIATE_TEST_SUITE_P(Signals, CliLongJob,
                         ::testing::Values(Stop{false, SIGTERM}, Stop{true, SIGHUP}),
                         [](const ::testing::TestParamInfo<Stop>& info) {
                           return info.param.fileApi ? "SighupFileApi" : "SigtermMapping";
                         });

// The export's files and the LTC error log under a file-size limit smaller than they are: the
// write fails with EFBIG, and the command ends with the error message and status 1.
TEST(CliFileSizeLimit, ExportAndLogEndWithTheirErrorInsteadOfDying) {
  TempDir dir;
  MxfFixtureOptions o;
  o.trackCount = 2;
  o.pictureSize = 1000;
  const std::string mxf = dir.file("pgm.mxf");
  ASSERT_TRUE(write_mxf_fixture(mxf, o));
  // Breaks in every other frame make the LTC error log longer than the limit.
  o.frameCount = 80;
  for (uint64_t i = 4; i < o.frameCount; i += 2) o.timecodeOverrides[i] = {10, 0, 0, 1};
  const std::string breaks = dir.file("breaks.mxf");
  ASSERT_TRUE(write_mxf_fixture(breaks, o));
  // Room for what the command prints, not for the files it writes.
  constexpr uint64_t kLimit = 2048;

  for (const bool fileApi : {false, true}) {
    SCOPED_TRACE(fileApi ? "file API" : "mapping");
    std::vector<std::string> args = {"export",   mxf,        "--in",     "10000000",
                                     "--out",    "10000029", "--tracks", "1,2",
                                     "--folder", dir.path(), "--prefix", fileApi ? "F" : "M"};
    if (fileApi) args.push_back("--file-api");
    CliChild child(args, kLimit);
    const CliResult r = child.wait();
    ASSERT_EQ(r.killedBy, 0) << "died of signal " << r.killedBy;
    EXPECT_EQ(r.exitStatus, 1) << r.out << r.err;
    EXPECT_TRUE(contains(r.out, "BWFファイルの書出し中にエラーが発生しました。")) << r.out << r.err;
    EXPECT_TRUE(contains(r.out, "File too large")) << r.out;
  }

  const std::string log = dir.file("ltc.txt");
  CliChild child({"check", breaks, "--log", log, "--encoding", "utf-8"}, kLimit);
  const CliResult r = child.wait();
  ASSERT_EQ(r.killedBy, 0) << "died of signal " << r.killedBy;
  EXPECT_EQ(r.exitStatus, 1) << r.out << r.err;
  EXPECT_TRUE(contains(r.err, "エラーログを作成できません。")) << r.err;
  EXPECT_TRUE(contains(r.err, "File too large")) << r.err;
  EXPECT_FALSE(contains(r.err, "作成しました")) << r.err;
}

}  // namespace
}  // namespace tavrin::test
