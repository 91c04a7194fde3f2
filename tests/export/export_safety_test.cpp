// How both export engines end when the job cannot run to its end: cancelled, a content package
// whose elements are not where the index says, a full disk, and the jobs they refuse.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "export_test_support.h"
#include "jobs/runner.h"
#include "platform/file.h"
#include "support/job_controls.h"

namespace tavrin::test {
namespace {

using namespace export_codes;

int code_for(Engine engine, int mapping, int fileApi) {
  return engine == Engine::kMapping ? mapping : fileApi;
}

class ExportSafetyTest : public ::testing::TestWithParam<Engine> {
 protected:
  void load(uint64_t frames, uint32_t trackCount, MxfFixtureOptions o = {}) {
    o.frameCount = frames;
    o.trackCount = trackCount;
    o.maxSegmentDuration = 7;
    f = make_analysed_fixture(dir.file("in.mxf"), o);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->loaded()) << f->failureText;
  }
  int run(AUDIOTRACK_IO_INFO* job, platform::JobControl* control = nullptr) {
    return run_export(GetParam(), *f, job, control);
  }

  TempDir dir;
  std::unique_ptr<AnalysedFixture> f;
};

// A stop asked for at frame k (before the first frame, inside a segment, at a segment's first
// frame, before the last frame): the files are closed with the header of the full range and the
// samples of frames 0 .. k - 1, none of frame k or later.
TEST_P(ExportSafetyTest, CancelAtFrameKLeavesTheFramesBeforeItAndTheFullLengthHeader) {
  load(30, 2);
  const std::vector<uint8_t> all = expected_samples(*f, 0, 0, 29);
  for (const uint32_t k : {0u, 3u, 7u, 29u}) {
    SCOPED_TRACE(k);
    AUDIOTRACK_IO_INFO job;
    prepare_export(*f, 0, 29, {0, 1}, dir.path(), "C" + std::to_string(k) + "-", &job);
    CancelAtFrame control(k);
    ASSERT_EQ(run(&job, &control), kCancelled);
    EXPECT_EQ(control.total(), 30u);
    EXPECT_EQ(control.done(), k);
    EXPECT_TRUE(control.cancel_requested());
    for (const size_t t : {0, 1}) {
      const std::vector<uint8_t> file =
          read_file(track_file(dir.path(), "C" + std::to_string(k) + "-", t));
      ASSERT_GE(file.size(), kBwfHeaderSize);
      EXPECT_EQ(le32(file, kBwfDataSizeOffset), all.size());
      EXPECT_EQ(le32(file, 4), all.size() + 746);
      const std::vector<uint8_t> held = samples_of(file);
      if (k == 0) {
        EXPECT_TRUE(held.empty());
      } else {
        EXPECT_EQ(held, expected_samples(*f, t, 0, k - 1));
      }
    }
  }
  // Without a stop the job reports every frame, counting up from 0 once.
  AUDIOTRACK_IO_INFO job;
  prepare_export(*f, 0, 29, {0, 1}, dir.path(), "W", &job);
  CancelAtFrame watched;
  ASSERT_EQ(run(&job, &watched), 0);
  EXPECT_EQ(watched.done(), 30u);
  EXPECT_EQ(watched.totals_set(), 1u);
  EXPECT_EQ(watched.went_backwards(), 0u);
  EXPECT_GE(watched.times_asked(), 30u);
}

TEST_P(ExportSafetyTest, AContentPackageWithSwappedElementsStopsTheExport) {
  MxfFixtureOptions o;
  o.swapSoundFrame = 20;  // the elements of tracks 1 and 2 change places in frame 20
  load(30, 3, o);
  AUDIOTRACK_IO_INFO job;
  prepare_export(*f, 5, 29, {0, 2}, dir.path(), "S", &job);
  EXPECT_EQ(run(&job), code_for(GetParam(), kMapElement, kFileElement));
  // Nothing of the chunk or batch that holds frame 20 is written: the mapping engine has written
  // the frames before frame 20's index segment (14 .. 20), the file-I/O engine reads the whole
  // range as one batch and writes nothing.
  const uint32_t written = GetParam() == Engine::kMapping ? 9 : 0;
  for (const size_t t : {0, 2}) {
    const std::vector<uint8_t> held = samples_of(read_file(track_file(dir.path(), "S", t)));
    EXPECT_EQ(held, written ? expected_samples(*f, t, 5, 5 + written - 1) : std::vector<uint8_t>{});
  }
  // The runner reports it as an error, never as success.
  jobs::JobRequest request;
  request.jobKind = jobs::JobKind::kExport;
  request.mxfPath = f->path;
  request.mxf = &f->records.base;
  request.tracks = &job;
  request.useFileApi = GetParam() == Engine::kFileApi;
  jobs::JobMessage final;
  jobs::run_job(request, [&](const jobs::JobMessage& m) { final = m; });
  EXPECT_EQ(final.kind, jobs::JobMessageKind::kFailed);
  EXPECT_NE(final.text.find("音声エレメントの配置がインデックスと一致しない"), std::string::npos)
      << final.text;
}

// An MXF file cut by another program during a mapping export. Inside an index segment (frame 10)
// the engine copies from a view made before the cut: touching the lost pages raises SIGBUS, which
// must end the job as an element fault, not end the process. At a segment's start (frame 14) the
// next view cannot be made past the new end. Either way the files keep every frame before the
// one the job stopped at.
TEST(ExportByMappingCut, AnMxfFileCutUnderTheJobStopsItWithTheFramesBeforeTheCut) {
  for (const auto& [frame, code] : {std::pair{10u, kMapElement}, std::pair{14u, kMapView}}) {
    SCOPED_TRACE(frame);
    TempDir dir;
    MxfFixtureOptions o;
    o.frameCount = 30;
    o.trackCount = 2;
    o.maxSegmentDuration = 7;
    o.pictureSize = 8192;  // each frame's elements begin on a page of their own
    const auto f = make_analysed_fixture(dir.file("in.mxf"), o);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->loaded()) << f->failureText;
    AUDIOTRACK_IO_INFO job;
    prepare_export(*f, 0, 29, {0, 1}, dir.path(), "Cut", &job);
    const uint64_t cut = f->layout.frames[frame].soundKey[0] / 4096 * 4096;
    ActAtFrame control(frame, [&] { ASSERT_EQ(::truncate(f->path.c_str(), cut), 0); });
    EXPECT_EQ(run_export(Engine::kMapping, *f, &job, &control), code);
    for (const size_t t : {0, 1}) {
      EXPECT_EQ(samples_of(read_file(track_file(dir.path(), "Cut", t))),
                expected_samples(*f, t, 0, frame - 1))
          << "track " << t + 1;
    }
  }
}

// Runs the export job through the runner in a child process whose file size limit is `limit`
// bytes, so that writes beyond it fail as on a full disk. Returns the code of the final message,
// or -1 when the runner reported success.
int export_in_child_with_file_limit(uint64_t limit, const jobs::JobRequest& request) {
  int fds[2];
  if (::pipe(fds) != 0) return -2;
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit rl = {limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    int code = -1;
    jobs::run_job(request, [&](const jobs::JobMessage& m) {
      code = m.kind == jobs::JobMessageKind::kSucceeded ? -1 : m.code;
    });
    const ssize_t put = ::write(fds[1], &code, sizeof code);
    ::_exit(put == sizeof code ? 0 : 1);
  }
  ::close(fds[1]);
  int code = -3;
  if (::read(fds[0], &code, sizeof code) != sizeof code) code = -3;
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return code;
}

TEST_P(ExportSafetyTest, AFullDiskEndsTheJobWithTheWriteError) {
  load(40, 4);
  AUDIOTRACK_IO_INFO job;
  prepare_export(*f, 0, 39, {0, 1, 2, 3}, dir.path(), "D", &job);
  jobs::JobRequest request;
  request.jobKind = jobs::JobKind::kExport;
  request.mxfPath = f->path;
  request.mxf = &f->records.base;
  request.tracks = &job;
  request.useFileApi = GetParam() == Engine::kFileApi;
  // Each file would hold about 190 KB; the limit lets every file take its header and part of
  // the samples.
  EXPECT_EQ(export_in_child_with_file_limit(64 * 1024, request),
            code_for(GetParam(), kMapWriteBwf, kFileWriteBwf));
  // The partly written files stay.
  EXPECT_TRUE(platform::file_exists(track_file(dir.path(), "D", 0)));
}

TEST_P(ExportSafetyTest, RefusesJobsItCannotRun) {
  load(10, 2);
  const Engine engine = GetParam();
  AUDIOTRACK_IO_INFO job;
  prepare_export(*f, 0, 9, {0}, dir.path(), "R", &job);
  MXF_BASE_INFO* base = &f->records.base;
  const auto with = [&](auto change) {
    AUDIOTRACK_IO_INFO j;
    prepare_export(*f, 0, 9, {0}, dir.path(), "R", &j);
    change(j);
    return run_export(engine, *f, &j);
  };
  const auto direct = [&](const std::string& path, AUDIOTRACK_IO_INFO* j, MXF_BASE_INFO* m) {
    platform::NullJobControl unwatched;
    return engine == Engine::kMapping ? export_bwf_by_mapping(path, j, m, unwatched)
                                      : export_bwf_by_file_api(path, j, m, unwatched);
  };
  EXPECT_EQ(direct("", &job, base), code_for(engine, kMapNoPath, kFileNoPath));
  EXPECT_EQ(direct(f->path, nullptr, base), code_for(engine, kMapNoJob, kFileNoJob));
  EXPECT_EQ(direct(f->path, &job, nullptr), code_for(engine, kMapNoBase, kFileNoBase));
  EXPECT_EQ(direct(dir.file("missing.mxf"), &job, base),
            code_for(engine, kMapOpenMxf, kFileOpenMxf));
  const int badRange = code_for(engine, kMapBadRange, kFileBadRange);
  EXPECT_EQ(with([](AUDIOTRACK_IO_INFO& j) { j.exportIn[0] -= 1; }), badRange);
  EXPECT_EQ(with([](AUDIOTRACK_IO_INFO& j) { j.exportOut[0] += 1; }), badRange);
  EXPECT_EQ(with([](AUDIOTRACK_IO_INFO& j) { std::swap(j.exportIn[0], j.exportOut[0]); }),
            badRange);
  const int create = code_for(engine, kMapCreateBwf, kFileCreateBwf);
  EXPECT_EQ(with([&](AUDIOTRACK_IO_INFO& j) { j.exportFolder = dir.file("no/such/folder"); }),
            create);
  // A name longer than the file system takes is refused, not cut.
  EXPECT_EQ(with([](AUDIOTRACK_IO_INFO& j) { j.exportPrefix = std::string(300, 'n'); }), create);
  if (engine == Engine::kFileApi) {
    EXPECT_EQ(with([](AUDIOTRACK_IO_INFO& j) { j.wavBufferIndex = 14; }), kFileNoBuffer);
  }

  f->records.timecode.rateCode = 8;
  EXPECT_EQ(run_export(engine, *f, &job), code_for(engine, kMapBadRate, kFileBadRate));
  f->records.timecode.rateCode = 6;
  // A range whose samples a RIFF size field cannot state.
  for (INDEX_ENTRY_ARRAY& e : f->records.indexEntrySlot) e.samplesInFrame = 1u << 29;
  EXPECT_EQ(run_export(engine, *f, &job), code_for(engine, kMapTooLong, kFileTooLong));
  // An index that claims more samples than the elements hold.
  for (INDEX_ENTRY_ARRAY& e : f->records.indexEntrySlot) e.samplesInFrame = 1700;
  EXPECT_EQ(run_export(engine, *f, &job), code_for(engine, kMapElement, kFileElement));
}

// Names already taken are never written: not a file of that name, not the counter name of an
// earlier export, not the target of a link that leads out of the folder. The counter is raised
// until a name is free, and the file is created as new there.
TEST_P(ExportSafetyTest, NeverReplacesAFileOfTheNameItWouldTake) {
  load(5, 2);
  const std::string folder = dir.file("out");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ASSERT_TRUE(write_file(folder + "/N1.wav", {1, 2, 3}));
  ASSERT_TRUE(write_file(folder + "/N1.wav 2.wav", {4, 5}));
  ASSERT_EQ(::symlink(dir.file("outside.wav").c_str(), (folder + "/N1.wav 3.wav").c_str()), 0);
  AUDIOTRACK_IO_INFO job;
  prepare_export(*f, 0, 4, {0, 1}, folder, "N", &job);  // counter 2
  ASSERT_EQ(run_export(GetParam(), *f, &job), 0);
  EXPECT_EQ(read_file(folder + "/N1.wav"), std::vector<uint8_t>({1, 2, 3}));
  EXPECT_EQ(read_file(folder + "/N1.wav 2.wav"), std::vector<uint8_t>({4, 5}));
  EXPECT_FALSE(platform::file_exists(dir.file("outside.wav")));
  EXPECT_EQ(samples_of(read_file(folder + "/N1.wav 4.wav")), expected_samples(*f, 0, 0, 4));
  EXPECT_EQ(samples_of(read_file(folder + "/N2.wav")), expected_samples(*f, 1, 0, 4));
  // The same export again takes the next free names.
  ASSERT_EQ(run_export(GetParam(), *f, &job), 0);
  EXPECT_EQ(samples_of(read_file(folder + "/N1.wav 5.wav")), expected_samples(*f, 0, 0, 4));
  EXPECT_EQ(samples_of(read_file(folder + "/N2.wav 2.wav")), expected_samples(*f, 1, 0, 4));
  EXPECT_EQ(samples_of(read_file(folder + "/N2.wav")), expected_samples(*f, 1, 0, 4));
}

TEST_P(ExportSafetyTest, ExportsOnlyTheTracksTheFileHas) {
  load(5, 2);
  AUDIOTRACK_IO_INFO job;
  prepare_export(*f, 0, 4, {1, 2, 5}, dir.path(), "T", &job);
  ASSERT_EQ(run_export(GetParam(), *f, &job), 0);
  EXPECT_EQ(samples_of(read_file(track_file(dir.path(), "T", 1))), expected_samples(*f, 1, 0, 4));
  EXPECT_FALSE(platform::file_exists(track_file(dir.path(), "T", 2)));
  EXPECT_FALSE(platform::file_exists(track_file(dir.path(), "T", 5)));
}

INSTANTIATE_TEST_SUITE_P(BothEngines, ExportSafetyTest,
                         ::testing::Values(Engine::kMapping, Engine::kFileApi),
                         [](const auto& info) { return std::string(engine_name(info.param)); });

}  // namespace
}  // namespace tavrin::test
