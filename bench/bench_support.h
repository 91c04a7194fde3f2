// What every benchmark shares: a steady-clock timer, the median and minimum of repeated runs, the
// peak resident memory of this process or of a forked child, a scratch folder removed at the end,
// the command-line arguments, and the run of an external tool (ffmpeg) timed with posix_spawn.
// Benchmarks print ratios measured side by side in one run; nothing here asserts a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::bench {

class Timer {
 public:
  Timer() : start_(std::chrono::steady_clock::now()) {}
  double seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

// Seconds one call of `work` takes.
double time_call(const std::function<void()>& work);

// Median and minimum of the values; 0 for an empty list.
double median(std::vector<double> values);
double minimum(const std::vector<double>& values);

// Peak resident set of this process in KiB (VmHWM of /proc/self/status, else ru_maxrss).
long peak_rss_kib();

// Minor page faults of this process so far (ru_minflt).
long minor_faults();

// Seconds one page fault on fresh anonymous memory costs on this machine (64 MiB touched once):
// the price of a large buffer that a job allocates and fills.
double fresh_page_fault_seconds();

// Bytes written so far to the block device that holds `path` (/sys/dev/block/M:m/stat), empty
// when the path is not on a block device. Counts every process's writes.
std::optional<uint64_t> device_bytes_written(const std::string& path);

// One piece of work run in a forked child, so that its peak memory is its own. The child reports
// the seconds of the timed part (the work returns them, so it may leave set-up out) and its code.
struct ChildRun {
  bool ran = false;    // the child started and reported
  int code = -1;       // what the work returned as its code
  double seconds = 0;  // the timed part, as the work measured it
  long faults = 0;     // minor page faults of the timed part
  long peakKib = 0;    // ru_maxrss of the child
};
struct ChildWork {
  int code = 0;
  double seconds = 0;
  long faults = 0;  // minor page faults of the timed part
};
// Time and page faults from its making to finish().
class TimedPart {
 public:
  TimedPart() : faults_(minor_faults()) {}
  ChildWork finish(int code) const { return {code, timer_.seconds(), minor_faults() - faults_}; }

 private:
  Timer timer_;
  long faults_;
};
ChildRun run_in_child(const std::function<ChildWork()>& work);

// An external program started with posix_spawnp, its output sent to `logPath`, timed from the
// spawn to its end.
struct ToolRun {
  bool started = false;
  int exitStatus = -1;  // the exit status, or -1 when it did not exit normally
  double seconds = 0;
  long peakKib = 0;
};
ToolRun run_tool(const std::vector<std::string>& argv, const std::string& logPath);
// True when `name` is found on PATH.
bool tool_on_path(const std::string& name);
// The last `lines` lines of a text file (for a tool's refusal).
std::string tail_of(const std::string& path, int lines);

// A folder of its own under `parent`, removed with everything in it at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& parent);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The arguments every benchmark takes: --dir D (where the big files go; default $TMPDIR or /tmp),
// --rounds N, --frames N, --minutes M and --small. Frames and minutes stay empty when not given;
// each benchmark picks its own default. False (with the usage printed) on a bad argument.
struct BenchArgs {
  std::string dir;
  int rounds = 0;
  std::optional<uint64_t> frames;
  std::optional<double> minutes;
  bool small = false;
};
bool parse_bench_args(int argc, char** argv, int defaultRounds, BenchArgs* out);

// fdatasync of a file by name; false when it cannot be opened or flushed.
bool flush_file(const std::string& path);
// Writes every dirty page of the system back, so that a run does not pay for the one before.
void settle_disk();

// "12.345 ms" style texts and a ratio line "label  value  ratio x".
std::string format_seconds(double seconds);
std::string format_mib(double bytes);
void print_row(const std::string& label, double seconds, double floorSeconds);

}  // namespace tavrin::bench
