#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>

extern char** environ;

namespace tavrin::bench {

double time_call(const std::function<void()>& work) {
  const Timer timer;
  work();
  return timer.seconds();
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double minimum(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

long peak_rss_kib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

long minor_faults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

double fresh_page_fault_seconds() {
  const size_t bytes = size_t{64} << 20;
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return 0;
  volatile char* bytesOf = static_cast<char*>(p);
  const Timer timer;
  for (size_t i = 0; i < bytes; i += page) bytesOf[i] = 1;
  const double seconds = timer.seconds();
  ::munmap(p, bytes);
  return seconds / static_cast<double>(bytes / page);
}

std::optional<uint64_t> device_bytes_written(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  const std::string statPath = "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" +
                               std::to_string(minor(st.st_dev)) + "/stat";
  std::ifstream in(statPath);
  // Fields: reads, merged, sectors read, ms, writes, merged, sectors written, ...
  uint64_t field[7] = {};
  for (uint64_t& f : field) {
    if (!(in >> f)) return std::nullopt;
  }
  return field[6] * 512;
}

namespace {

// Writes all of `n` bytes to a pipe; false when the pipe is gone.
bool write_all(int fd, const void* bytes, size_t n) {
  const char* p = static_cast<const char*>(bytes);
  while (n > 0) {
    const ssize_t put = ::write(fd, p, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    n -= static_cast<size_t>(put);
  }
  return true;
}

bool read_all(int fd, void* bytes, size_t n) {
  char* p = static_cast<char*>(bytes);
  while (n > 0) {
    const ssize_t got = ::read(fd, p, n);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    n -= static_cast<size_t>(got);
  }
  return true;
}

// Waits for `pid`; its exit status (or -1) and what it used.
int wait_child(pid_t pid, rusage* usage) {
  int status = 0;
  while (::wait4(pid, &status, 0, usage) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ChildRun run_in_child(const std::function<ChildWork()>& work) {
  ChildRun run;
  int fds[2];
  if (::pipe(fds) != 0) return run;
  std::fflush(nullptr);  // nothing buffered may be printed twice
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return run;
  }
  if (pid == 0) {
    ::close(fds[0]);
    const ChildWork result = work();
    std::fflush(nullptr);
    const bool sent = write_all(fds[1], &result, sizeof result);
    ::_exit(sent ? 0 : 1);
  }
  ::close(fds[1]);
  ChildWork result;
  const bool got = read_all(fds[0], &result, sizeof result);
  ::close(fds[0]);
  rusage usage{};
  const int status = wait_child(pid, &usage);
  run.peakKib = usage.ru_maxrss;
  run.ran = got && status == 0;
  run.code = result.code;
  run.seconds = result.seconds;
  run.faults = result.faults;
  return run;
}

ToolRun run_tool(const std::vector<std::string>& argv, const std::string& logPath) {
  ToolRun run;
  if (argv.empty()) return run;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::fflush(nullptr);
  const Timer timer;
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  run.started = true;
  rusage usage{};
  run.exitStatus = wait_child(pid, &usage);
  run.peakKib = usage.ru_maxrss;
  run.seconds = timer.seconds();
  return run;
}

bool tool_on_path(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string list(path);
  size_t start = 0;
  while (start <= list.size()) {
    const size_t end = std::min(list.find(':', start), list.size());
    const std::string candidate = list.substr(start, end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

std::string tail_of(const std::string& path, int lines) {
  std::ifstream in(path);
  std::deque<std::string> kept;
  std::string line;
  while (std::getline(in, line)) {
    kept.push_back(line);
    if (static_cast<int>(kept.size()) > lines) kept.pop_front();
  }
  std::string text;
  for (const std::string& l : kept) text += "    " + l + "\n";
  return text;
}

ScratchFolder::ScratchFolder(const std::string& parent) {
  std::string pattern = parent + "/tavrin-bench-XXXXXX";
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  if (path_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

namespace {

void print_usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s [--dir DIR] [--rounds N] [--frames N] [--minutes M] [--small]\n"
               "  --dir      folder for the generated files (default $TMPDIR or /tmp)\n"
               "  --rounds   timed rounds of each measurement (median is printed)\n"
               "  --frames   length of the synthetic MXF file in frames\n"
               "  --minutes  length of the synthetic MXF file in minutes (29.97 fps)\n"
               "  --small    a file of about one minute\n",
               program);
}

bool parse_number(const char* text, double* out) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !(v > 0)) return false;
  *out = v;
  return true;
}

}  // namespace

bool parse_bench_args(int argc, char** argv, int defaultRounds, BenchArgs* out) {
  BenchArgs a;
  a.rounds = defaultRounds;
  const char* tmp = std::getenv("TMPDIR");
  a.dir = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    double v = 0;
    if (arg == "--small") {
      a.small = true;
    } else if (arg == "--dir" && hasValue) {
      a.dir = argv[++i];
    } else if (arg == "--rounds" && hasValue && parse_number(argv[++i], &v)) {
      a.rounds = static_cast<int>(v);
    } else if (arg == "--frames" && hasValue && parse_number(argv[++i], &v)) {
      a.frames = static_cast<uint64_t>(v);
    } else if (arg == "--minutes" && hasValue && parse_number(argv[++i], &v)) {
      a.minutes = v;
    } else {
      print_usage(argv[0]);
      return false;
    }
  }
  if (a.rounds < 1) a.rounds = 1;
  *out = a;
  return true;
}

bool flush_file(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = ::fdatasync(fd) == 0;
  ::close(fd);
  return flushed;
}

void settle_disk() {
  ::sync();
}

std::string format_seconds(double seconds) {
  char text[32];
  if (seconds < 1e-3) {
    std::snprintf(text, sizeof text, "%8.1f us", seconds * 1e6);
  } else if (seconds < 1) {
    std::snprintf(text, sizeof text, "%8.2f ms", seconds * 1e3);
  } else {
    std::snprintf(text, sizeof text, "%8.3f s ", seconds);
  }
  return text;
}

std::string format_mib(double bytes) {
  char text[32];
  if (bytes < 1024.0 * 1024.0) {
    std::snprintf(text, sizeof text, "%.1f KiB", bytes / 1024.0);
  } else {
    std::snprintf(text, sizeof text, "%.1f MiB", bytes / (1024.0 * 1024.0));
  }
  return text;
}

void print_row(const std::string& label, double seconds, double floorSeconds) {
  const double ratio = floorSeconds > 0 ? seconds / floorSeconds : 0;
  std::printf("  %-34s %s   %7.2fx\n", label.c_str(), format_seconds(seconds).c_str(), ratio);
}

}  // namespace tavrin::bench
