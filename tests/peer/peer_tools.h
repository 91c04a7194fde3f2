// Running the independent peer tools (ffmpeg, ffprobe, sox, GStreamer) from the peer tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace tavrin::test {

// True when `name` is a command on the PATH.
inline bool have_tool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; its standard output without the final line end, or nullopt when it
// cannot be started.
inline std::optional<std::string> run(const std::string& command) {
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), &::pclose);
  if (!pipe) return std::nullopt;
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) out += buffer;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// A number a tool printed; UINT64_MAX when it printed nothing.
inline uint64_t number(const std::optional<std::string>& text) {
  return text && !text->empty() ? std::strtoull(text->c_str(), nullptr, 10) : UINT64_MAX;
}

}  // namespace tavrin::test
