#include "platform/fault_seam.h"

#include <atomic>
#include <mutex>

namespace tavrin::platform::fault_seam {

namespace {

struct State {
  std::atomic<bool> active{false};
  std::atomic<uint64_t> count{0};
  uint64_t failAt = 0;  // 0: nothing fails
  Fault fault;
  std::mutex mutex;  // guards `fired`
  Fired fired;
};

State& state() {
  static State s;
  return s;
}

void restart(uint64_t k, Fault fault, bool active) {
  State& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.active = false;
  s.count = 0;
  s.failAt = k;
  s.fault = fault;
  s.fired = Fired{};
  s.active = active;
}

}  // namespace

const char* call_name(Call call) {
  switch (call) {
    case Call::kOpen:
      return "open";
    case Call::kRead:
      return "read";
    case Call::kWrite:
      return "write";
    case Call::kFlush:
      return "flush";
    case Call::kMap:
      return "map";
    case Call::kTruncate:
      return "truncate";
    case Call::kClose:
      return "close";
  }
  return "?";
}

void arm(uint64_t k, Fault fault) {
  restart(k, fault, true);
}
void count_only() {
  restart(0, Fault{}, true);
}
void disarm() {
  restart(0, Fault{}, false);
}
uint64_t calls() {
  return state().count;
}

Fired fired() {
  State& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.fired;
}

Fault at(Call call, bool writable) {
  State& s = state();
  if (!s.active.load(std::memory_order_relaxed)) return Fault{};
  const uint64_t n = ++s.count;
  if (n != s.failAt) return Fault{};
  const bool transfer = call == Call::kRead || call == Call::kWrite;
  if (s.fault.shortTransfer && !transfer) return Fault{};
  std::lock_guard<std::mutex> lock(s.mutex);
  s.fired = Fired{true, call, writable};
  return s.fault;
}

}  // namespace tavrin::platform::fault_seam
