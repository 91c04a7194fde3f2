// MXF files the wrapping engines may not write: a file marked read-only, a file on a read-only
// mount, a file another wrap (another process) holds. Both engines refuse each with their code
// for opening the MXF file and a message that names the system error, before they open anything
// else or write a byte: the job's only calls of the file layer are the refused open and the close
// of its descriptor (when the system had opened the file before the refusal), never the open of
// the WAV file the job assigns.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "jobs/runner.h"
#include "platform/fault_seam.h"
#include "platform/file.h"
#include "support/analysed_fixture.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"
#include "wav/wav_reader.h"
#include "wrap/track_job.h"
#include "wrap/wrap_codes.h"

namespace tavrin::test {
namespace {

namespace seam = platform::fault_seam;

struct Refusal {
  int code = 0;
  std::string text;
  uint64_t calls = 0;  // calls of the file layer the job made
};

class OpenRefusal : public ::testing::TestWithParam<bool> {
 protected:
  bool useFileApi() const { return GetParam(); }
  int open_code() const {
    return useFileApi() ? wrap_codes::kFileOpenMxf : wrap_codes::kMapOpenMxf;
  }

  // Writes and loads a small fixture at `path`.
  void load(const std::string& path) {
    MxfFixtureOptions o;
    o.frameCount = 6;
    o.trackCount = 2;
    f = make_analysed_fixture(path, o);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(f->loaded()) << f->failureText;
    WavParams p;
    p.channels = 1;
    p.sampleFrames = 4800;
    ASSERT_TRUE(write_wav(dir.file("mono.wav"), make_wav(p)));
    wav.file_path = dir.file("mono.wav");
    wav.file_name = "mono.wav";
    ASSERT_EQ(read_wav_file_info(wav.file_path, &wav.info, &f->records.timecode), kWavAccepted);
  }

  // The WAV on track 1 over the whole file; `openFault`, when set, is what the first call (the open
  // of the MXF file) meets.
  Refusal wrap(int openFault = 0) {
    AUDIOTRACK_IO_INFO job;
    job.trackSwitch.fill(kTrackAbsent);
    job.trackSwitch[0] = kTrackOn;
    job.trackSwitch[1] = kTrackOff;
    job.wavEntry[0] = &wav;
    job.inFrame = {f->count(0), f->count(0)};
    job.outFrame = {f->count(5), f->count(5)};
    jobs::JobRequest request;
    request.jobKind = jobs::JobKind::kWrapping;
    request.mxfPath = f->path;
    request.mxf = &f->records.base;
    request.tracks = &job;
    request.useFileApi = useFileApi();
    // Counts the engine's own calls; the undo journal's are tested with the journal.
    request.journal.enabled = false;
    Refusal r;
    if (openFault != 0) {
      seam::arm(1, seam::Fault{openFault, false});
    } else {
      seam::count_only();
    }
    jobs::run_job(request, [&](const jobs::JobMessage& m) {
      r.code = m.kind == jobs::JobMessageKind::kSucceeded ? 0 : m.code;
      r.text = m.text;
    });
    r.calls = seam::calls();
    seam::disarm();
    return r;
  }

  void expect_refused(const Refusal& r, int error) {
    EXPECT_EQ(r.code, open_code());
    EXPECT_NE(r.text.find("MXFファイルを開くことができません。"), std::string::npos) << r.text;
    EXPECT_NE(r.text.find(std::strerror(error)), std::string::npos) << r.text;
    EXPECT_LE(r.calls, 2u) << "the job went on after the refused open";
  }

  TempDir dir;
  std::unique_ptr<AnalysedFixture> f;
  WAV_LIBRARY_ENTRY wav;
};

TEST_P(OpenRefusal, FileMarkedReadOnly) {
  load(dir.file("ro.mxf"));
  ASSERT_EQ(::chmod(f->path.c_str(), 0444), 0);
  expect_refused(wrap(), EACCES);
  EXPECT_TRUE(read_file(f->path) == f->original);
  // Once writable again, the same job runs.
  ASSERT_EQ(::chmod(f->path.c_str(), 0644), 0);
  EXPECT_EQ(wrap().code, 0);
}

// A real read-only mount where the test may mount (as the superuser); the refusal of the open
// with EROFS in every case.
TEST_P(OpenRefusal, ReadOnlyFileSystem) {
  load(dir.file("a.mxf"));
  expect_refused(wrap(EROFS), EROFS);
  EXPECT_TRUE(read_file(f->path) == f->original);

  const std::string mount = dir.file("mnt");
  std::filesystem::create_directory(mount);
  if (::geteuid() != 0 || ::mount("tavrin-test", mount.c_str(), "tmpfs", 0, "size=4m") != 0) {
    GTEST_SKIP() << "cannot mount a file system here: " << std::strerror(errno);
  }
  load(mount + "/a.mxf");
  const bool remounted =
      ::mount("tavrin-test", mount.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  if (remounted) {
    expect_refused(wrap(), EROFS);
    EXPECT_TRUE(read_file(f->path) == f->original);
  }
  f.reset();
  ::umount2(mount.c_str(), MNT_DETACH);
  ASSERT_TRUE(remounted) << std::strerror(errno);
}

// Another process holds the file as a wrap does (exclusive lock, opened for writing) until the
// parent has tried both engines.
TEST_P(OpenRefusal, FileHeldByAnotherWrap) {
  load(dir.file("held.mxf"));
  int toParent[2];
  int toChild[2];
  ASSERT_EQ(::pipe(toParent), 0);
  ASSERT_EQ(::pipe(toChild), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    platform::Status status;
    platform::File held = platform::File::open(f->path, platform::Access::kReadWriteExisting,
                                               platform::Sharing::kNone, &status);
    const char ready = held.valid() ? 'y' : 'n';
    (void)!::write(toParent[1], &ready, 1);
    char done = 0;
    (void)!::read(toChild[0], &done, 1);
    ::_exit(0);
  }
  char ready = 0;
  ASSERT_EQ(::read(toParent[0], &ready, 1), 1);
  ASSERT_EQ(ready, 'y');
  const Refusal r = wrap();
  const char done = 'x';
  (void)!::write(toChild[1], &done, 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  for (const int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) ::close(fd);
  expect_refused(r, EWOULDBLOCK);
  EXPECT_TRUE(read_file(f->path) == f->original);
  // Once the other process has let go, the same job runs.
  EXPECT_EQ(wrap().code, 0);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, OpenRefusal, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "FileApi" : "Mapping";
                         });

}  // namespace
}  // namespace tavrin::test
