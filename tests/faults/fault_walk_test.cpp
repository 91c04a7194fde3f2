// Failing hardware at every call: each small job runs once to count the file layer's calls, then
// once for every call k and every fault (EIO, ENOSPC, EINTR, a short transfer) at call k. For each
// case the job must
//   - end with an error code and its message when the fault is an error (EIO, ENOSPC), never with
//     success; an interrupted call and a short transfer are taken up again, so the job ends as
//     the run without a fault did, with the same bytes;
//   - release every descriptor and every view of its files;
//   - leave the MXF file as it was, except, for wrapping, the sample values of the ON tracks
//     between IN and OUT.
// The one error a job may pass over is a failed close of a file it only read.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/mxf_loading.h"
#include "export/bwf_export.h"
#include "jobs/ltc_error_log.h"
#include "jobs/messages.h"
#include "jobs/mxf_info_block.h"
#include "jobs/runner.h"
#include "jobs/wrap_detail_log.h"
#include "platform/byte_source.h"
#include "platform/fault_seam.h"
#include "support/analysed_fixture.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"
#include "wav/wav_messages.h"
#include "wav/wav_reader.h"
#include "wrap/track_job.h"

namespace tavrin::test {
namespace {

namespace fs = std::filesystem;
namespace seam = platform::fault_seam;

struct Outcome {
  int code = 0;      // 0 success; anything else is the job's error code
  std::string text;  // the message the operator reads for that code
};

// Descriptors of the process, and mappings of files under `dir`.
struct Resources {
  size_t descriptors = 0;
  size_t mappings = 0;
  bool operator==(const Resources&) const = default;
};

Resources resources(const std::string& dir) {
  Resources r;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++r.descriptors;
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) r.mappings += line.find(dir) != std::string::npos;
  return r;
}

struct FaultCase {
  const char* name;
  seam::Fault fault;
  bool hard;  // an error the job must report
};

const FaultCase kFaults[] = {
    {"EIO", {EIO, false}, true},
    {"ENOSPC", {ENOSPC, false}, true},
    {"EINTR", {EINTR, false}, false},
    {"short", {0, true}, false},
};

// One job under the walk.
struct Job {
  std::string name;
  std::string dir;                                     // where its files are
  std::function<void()> prepare;                       // puts every file back before a case
  std::function<Outcome()> run;                        // the job, start to end
  std::function<std::vector<uint8_t>()> results;       // what it produced (files, records, texts)
  std::function<void(const std::string&)> checkFiles;  // the bytes it may not change
};

struct WalkCount {
  uint64_t calls = 0;
  uint64_t cases = 0;
};

std::map<std::string, WalkCount>& walk_counts() {
  static std::map<std::string, WalkCount> counts;
  return counts;
}

void walk(const Job& job) {
  job.prepare();
  seam::count_only();
  const Outcome clean = job.run();
  const uint64_t calls = seam::calls();
  seam::disarm();
  ASSERT_EQ(clean.code, 0) << job.name << " fails without a fault: " << clean.text;
  ASSERT_GT(calls, 0u);
  const std::vector<uint8_t> cleanResults = job.results();
  job.checkFiles(job.name + " without a fault");

  WalkCount& count = walk_counts()[job.name];
  count.calls = calls;
  for (uint64_t k = 1; k <= calls; ++k) {
    for (const FaultCase& f : kFaults) {
      job.prepare();
      const Resources before = resources(job.dir);
      seam::arm(k, f.fault);
      const Outcome outcome = job.run();
      const seam::Fired fired = seam::fired();
      seam::disarm();
      ++count.cases;
      std::ostringstream where;
      where << job.name << ", " << f.name << " at call " << k << " of " << calls;
      if (fired.fired) {
        where << " (" << seam::call_name(fired.call) << (fired.writable ? ", writable" : "") << ")";
      }
      SCOPED_TRACE(where.str());
      EXPECT_EQ(resources(job.dir), before) << "descriptors or views left behind";
      job.checkFiles(where.str());
      const bool mayPassOver = fired.call == seam::Call::kClose && !fired.writable;
      if (!fired.fired || !f.hard || (mayPassOver && outcome.code == 0)) {
        EXPECT_EQ(outcome.code, 0) << outcome.text;
        EXPECT_TRUE(job.results() == cleanResults) << "the result differs from the clean run";
      } else {
        EXPECT_NE(outcome.code, 0) << "a failure reported as success";
        EXPECT_NE(outcome.code, 99) << "a failure reported as a cancellation";
        EXPECT_FALSE(outcome.text.empty());
        EXPECT_EQ(outcome.text.find(jobs::kUndefinedMessage), std::string::npos) << outcome.text;
      }
      if (::testing::Test::HasFailure()) return;  // one broken case says enough
    }
  }
}

std::vector<uint8_t> bytes_of(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

void append(std::vector<uint8_t>& out, const std::vector<uint8_t>& more) {
  out.insert(out.end(), more.begin(), more.end());
}

// The runner's final message as an outcome.
Outcome run_through_runner(jobs::JobRequest& request) {
  Outcome outcome;
  jobs::run_job(request, [&](const jobs::JobMessage& m) {
    if (m.kind == jobs::JobMessageKind::kVerificationStarting) return;
    outcome.code = m.kind == jobs::JobMessageKind::kSucceeded ? 0 : (m.code != 0 ? m.code : -1);
    outcome.text = m.text;
  });
  return outcome;
}

// A small loaded file of two body partitions, and the WAV files of the jobs.
class FaultWalk : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    MxfFixtureOptions o;
    o.frameCount = 10;
    o.trackCount = 4;
    o.pictureSize = 1000;
    o.framesPerPartition = 5;
    fixture_ = make_analysed_fixture(dir_->file("walk.mxf"), o).release();
    WavParams mono;
    mono.channels = 1;
    mono.sampleFrames = 16000;
    mono.timeReference = uint64_t{48000} * 36000;
    write_wav(dir_->file("mono.wav"), make_wav(mono));
    WavParams stereo;
    stereo.sampleFrames = 3000;  // shorter than the range: the rest is silence
    write_wav(dir_->file("stereo.wav"), make_wav(stereo));
  }
  static void TearDownTestSuite() {
    delete fixture_;
    delete dir_;
    fixture_ = nullptr;
    dir_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(fixture_, nullptr);
    ASSERT_TRUE(fixture_->loaded()) << fixture_->failureText;
  }

  AnalysedFixture& f() { return *fixture_; }
  std::string file(const std::string& name) { return dir_->file(name); }

  void restore_mxf() { ASSERT_TRUE(write_file(f().path, f().original)); }
  void expect_mxf_untouched(const std::string& where) {
    EXPECT_TRUE(read_file(f().path) == f().original) << where << ": the MXF file changed";
  }

  WAV_LIBRARY_ENTRY wav_entry(const std::string& name) {
    WAV_LIBRARY_ENTRY entry;
    entry.file_path = file(name);
    entry.file_name = name;
    EXPECT_EQ(read_wav_file_info(entry.file_path, &entry.info, &f().records.timecode),
              kWavAccepted);
    return entry;
  }

  // Track 1 from the mono file, tracks 2 and 3 from the stereo file, track 4 silence; frames 2
  // .. 7.
  void prepare_wrap(AUDIOTRACK_IO_INFO& job, const WAV_LIBRARY_ENTRY& mono,
                    const WAV_LIBRARY_ENTRY& stereo) {
    job.trackSwitch.fill(kTrackAbsent);
    for (size_t t = 0; t < 4; ++t) job.trackSwitch[t] = kTrackOn;
    job.wavEntry.fill(nullptr);
    job.wavEntry[0] = &mono;
    job.wavEntry[1] = job.wavEntry[2] = &stereo;
    job.inFrame = {f().count(2), f().count(2)};
    job.outFrame = {f().count(7), f().count(7)};
    job.wavBufferIndex = 0;
  }

  // The MXF file may differ from the original only in the sample values of tracks 1 .. 4 in
  // frames 2 .. 7.
  void expect_only_samples_changed(const std::string& where) {
    std::vector<uint8_t> now = read_file(f().path);
    ASSERT_EQ(now.size(), f().original.size()) << where;
    for (uint32_t frame = 2; frame <= 7; ++frame) {
      const FixtureFrame& fr = f().layout.frames[frame];
      for (size_t t = 0; t < 4; ++t) {
        const uint64_t at = fr.soundValue[t];
        const uint64_t n = uint64_t{fr.samples} * f().options.blockAlign;
        std::copy_n(f().original.begin() + static_cast<std::ptrdiff_t>(at), n,
                    now.begin() + static_cast<std::ptrdiff_t>(at));
      }
    }
    EXPECT_TRUE(now == f().original) << where << ": bytes outside the written samples changed";
  }

  Job wrap_job(bool useFileApi, const WAV_LIBRARY_ENTRY& mono, const WAV_LIBRARY_ENTRY& stereo,
               AUDIOTRACK_IO_INFO& job) {
    Job j;
    j.name = useFileApi ? "wrap by file I/O" : "wrap by mapping";
    j.dir = dir_->path();
    j.prepare = [&, useFileApi] {
      restore_mxf();
      prepare_wrap(job, mono, stereo);
    };
    j.run = [&, useFileApi] {
      jobs::JobRequest request;
      request.jobKind = jobs::JobKind::kWrapping;
      request.mxfPath = f().path;
      request.mxf = &f().records.base;
      request.tracks = &job;
      request.useFileApi = useFileApi;
      // The engine's own calls are walked here; the undo journal's are walked with the journal.
      request.journal.enabled = false;
      return run_through_runner(request);
    };
    j.results = [&] { return read_file(f().path); };
    j.checkFiles = [&](const std::string& where) { expect_only_samples_changed(where); };
    return j;
  }

  Job export_job(bool useFileApi, AUDIOTRACK_IO_INFO& job, const std::string& folder) {
    Job j;
    j.name = useFileApi ? "export by file I/O" : "export by mapping";
    j.dir = dir_->path();
    j.prepare = [&, folder] {
      fs::remove_all(folder);
      fs::create_directories(folder);
      job.exportMark.fill(kTrackAbsent);
      for (size_t t = 0; t < 4; ++t) job.exportMark[t] = 1;
      job.exportIn = {f().count(2), f().count(2)};
      job.exportOut = {f().count(7), f().count(7)};
      job.exportFolder = folder;
      job.exportPrefix = "Track-";
      job.exportCounter = 0;
      job.wavBufferIndex = 0;
    };
    j.run = [&, useFileApi] {
      jobs::JobRequest request;
      request.jobKind = jobs::JobKind::kExport;
      request.mxfPath = f().path;
      request.mxf = &f().records.base;
      request.tracks = &job;
      request.useFileApi = useFileApi;
      return run_through_runner(request);
    };
    j.results = [folder] {
      std::vector<std::string> names;
      for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().string());
      std::sort(names.begin(), names.end());
      std::vector<uint8_t> all;
      for (const std::string& name : names) {
        append(all, bytes_of(name));
        append(all, read_file(name));
      }
      return all;
    };
    j.checkFiles = [&](const std::string& where) { expect_mxf_untouched(where); };
    return j;
  }

  static TempDir* dir_;
  static AnalysedFixture* fixture_;
};

TempDir* FaultWalk::dir_ = nullptr;
AnalysedFixture* FaultWalk::fixture_ = nullptr;

TEST_F(FaultWalk, Analysis) {
  for (const bool useFileApi : {false, true}) {
    MxfRecords records;
    TimecodeErrorList errors;
    Job j;
    j.name = useFileApi ? "analysis, check by file I/O" : "analysis, check by mapping";
    j.dir = dir_->path();
    j.prepare = [&] {
      unload_mxf_records(records);
      errors.clear();
      records.timecode.errorList = &errors;
    };
    j.run = [&] {
      platform::Status status;
      const platform::File mxf = app::open_mxf_for_analysis(f().path, &status);
      if (!mxf.valid()) return Outcome{-status.error, std::strerror(status.error)};
      const platform::FileSource source(mxf);
      jobs::JobRequest request;
      request.jobKind = jobs::JobKind::kAnalysis;
      request.mxfHandle = &source;
      request.mxfPath = f().path;
      request.mxf = &records.base;
      AUDIOTRACK_IO_INFO tracks;
      request.tracks = &tracks;
      request.useFileApi = useFileApi;
      return run_through_runner(request);
    };
    j.results = [&] {
      std::vector<uint8_t> all = bytes_of(
          jobs::mxf_info_block(f().path, records.base, platform::LocalTime{2024, 5, 17, 9, 0, 0}));
      all.push_back(static_cast<uint8_t>(errors.size()));
      return all;
    };
    j.checkFiles = [&](const std::string& where) { expect_mxf_untouched(where); };
    walk(j);
  }
}

TEST_F(FaultWalk, WrappingBothEngines) {
  const WAV_LIBRARY_ENTRY mono = wav_entry("mono.wav");
  const WAV_LIBRARY_ENTRY stereo = wav_entry("stereo.wav");
  for (const bool useFileApi : {false, true}) {
    AUDIOTRACK_IO_INFO job;
    walk(wrap_job(useFileApi, mono, stereo, job));
  }
  restore_mxf();
}

TEST_F(FaultWalk, ExportBothEngines) {
  for (const bool useFileApi : {false, true}) {
    AUDIOTRACK_IO_INFO job;
    walk(export_job(useFileApi, job, file(useFileApi ? "export-file" : "export-map")));
  }
}

TEST_F(FaultWalk, BothLogs) {
  const std::string log = file("walk.log");
  const platform::LocalTime at{2024, 5, 17, 9, 30, 15};
  TimecodeErrorList errors;
  Job ltc;
  ltc.name = "LTC error log";
  ltc.dir = dir_->path();
  ltc.prepare = [&] {
    fs::remove(log);
    errors.assign(3, TIMECODE_ERROR_INFO{4, 5, 1078924, 1078930, 2, 5});
  };
  ltc.run = [&] {
    const jobs::LogWriteResult r = jobs::write_ltc_error_log(
        log, f().path, f().records.base, &errors, platform::TextEncoding::kCp932, at);
    if (r.written()) return Outcome{};
    return Outcome{static_cast<int>(r.stage), jobs::ltc_log_failure_text("walk.mxf", r.error)};
  };
  ltc.results = [&] { return read_file(log); };
  ltc.checkFiles = [&](const std::string& where) { expect_mxf_untouched(where); };
  walk(ltc);

  const WAV_LIBRARY_ENTRY mono = wav_entry("mono.wav");
  const WAV_LIBRARY_ENTRY stereo = wav_entry("stereo.wav");
  AUDIOTRACK_IO_INFO job;
  prepare_wrap(job, mono, stereo);
  Job detail;
  detail.name = "wrap detail log";
  detail.dir = dir_->path();
  detail.prepare = [&] { fs::remove(log); };
  detail.run = [&] {
    const jobs::LogWriteResult r = jobs::write_wrap_detail_log(
        log, f().path, f().records.base, job, false, platform::TextEncoding::kUtf8, at);
    if (r.written()) return Outcome{};
    return Outcome{static_cast<int>(r.stage), jobs::wrap_log_failure_text("walk.mxf", r.error)};
  };
  detail.results = [&] { return read_file(log); };
  detail.checkFiles = [&](const std::string& where) { expect_mxf_untouched(where); };
  walk(detail);
}

TEST_F(FaultWalk, WavReader) {
  const std::string path = file("mono.wav");
  const std::vector<uint8_t> original = read_file(path);
  WAV_FILE_INFO info;
  Job j;
  j.name = "WAV reader";
  j.dir = dir_->path();
  j.prepare = [&] { info = WAV_FILE_INFO{}; };
  j.run = [&] {
    const int32_t code = read_wav_file_info(path, &info, &f().records.timecode);
    const auto message = add_message_for(code, path, WavAddOrigin::kOpenDialog);
    return Outcome{code, message ? message->text : std::string()};
  };
  j.results = [&] {
    std::ostringstream fields;
    fields << info.format_tag << ' ' << info.channels << ' ' << info.block_align << ' '
           << info.bits_per_sample << ' ' << info.data_size << ' ' << info.data_offset << ' '
           << info.data_available << ' ' << info.start_sample << ' ' << info.start_frame << ' '
           << info.end_frame << ' ' << info.duration_frames << ' ' << info.is_bwf;
    return bytes_of(fields.str());
  };
  j.checkFiles = [&](const std::string& where) {
    EXPECT_TRUE(read_file(path) == original) << where << ": the WAV file changed";
    expect_mxf_untouched(where);
  };
  walk(j);
}

// The calls each job makes and the cases the walks ran, for whoever reads the test log.
class WalkReport : public ::testing::Environment {
 public:
  void TearDown() override {
    for (const auto& [name, count] : walk_counts()) {
      std::printf("[ walk ] %-30s %4llu calls, %5llu cases\n", name.c_str(),
                  static_cast<unsigned long long>(count.calls),
                  static_cast<unsigned long long>(count.cases));
    }
  }
};
const auto* const kReport = ::testing::AddGlobalTestEnvironment(new WalkReport);

}  // namespace
}  // namespace tavrin::test
