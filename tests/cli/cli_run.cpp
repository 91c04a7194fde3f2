#include "cli_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace tavrin::test {
namespace {

std::string file_text(const std::string& path) {
  const std::vector<uint8_t> bytes = read_file(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

CliChild::CliChild(const std::vector<std::string>& args, uint64_t fileSizeLimit) {
  if (dir_.path().empty()) return;
  const std::string outPath = dir_.file("stdout");
  const std::string errPath = dir_.file("stderr");
  std::vector<std::string> argvStrings;
  argvStrings.emplace_back(TAVRIN_CLI_PATH);
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argvStrings) argv.push_back(s.data());
  argv.push_back(nullptr);
  int input[2];
  if (::pipe2(input, O_CLOEXEC) != 0) return;

  // Output goes to files rather than pipes so that a child writing a lot to both streams can
  // never block on a full pipe while the parent waits for it. Between fork and exec the child
  // makes only async-signal-safe calls.
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::dup2(input[0], STDIN_FILENO) < 0 ||
        ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0) {
      ::_exit(127);
    }
    if (fileSizeLimit > 0) {
      const rlimit limit{fileSizeLimit, fileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
    }
    ::execve(argv[0], argv.data(), environ);
    ::_exit(127);
  }
  ::close(input[0]);
  if (pid < 0) {
    ::close(input[1]);
    return;
  }
  pid_ = pid;
  input_ = input[1];
}

CliChild::~CliChild() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    wait();
  }
  close_input();
}

std::string CliChild::err_so_far() const {
  return file_text(dir_.file("stderr"));
}

void CliChild::type(const std::string& text) {
  if (input_ >= 0 && ::write(input_, text.data(), text.size()) < 0) close_input();
}

void CliChild::close_input() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
}

bool CliChild::wait_for_err(const std::string& part, double seconds) const {
  return wait_for_err([&](const std::string& err) { return err.find(part) != std::string::npos; },
                      seconds);
}

bool CliChild::wait_for_err(const std::function<bool(const std::string&)>& seen,
                            double seconds) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (seen(err_so_far())) return true;
    if (pid_ <= 0) return false;
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid_) {
      return seen(err_so_far());
    }
    const timespec pause{0, 2'000'000};
    ::nanosleep(&pause, nullptr);
  }
  return false;
}

CliResult CliChild::wait() {
  CliResult result;
  close_input();
  if (pid_ <= 0) return result;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0) {
    if (errno != EINTR) {
      pid_ = -1;
      return result;
    }
  }
  pid_ = -1;
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.killedBy = WTERMSIG(status);
  result.out = file_text(dir_.file("stdout"));
  result.err = err_so_far();
  return result;
}

CliResult run_cli(const std::vector<std::string>& args) {
  CliChild child(args);
  return child.wait();
}

}  // namespace tavrin::test
