// How a long job (timecode check, wrapping, export, loudness) talks to whoever started it: it
// reports its total and the frames done so far, and asks once per frame or batch whether the
// operator wants it to stop. The dialogs and the command line share AtomicJobControl; tests use a
// double that asks to stop at an exact frame.
#pragma once

#include <atomic>
#include <cstdint>

namespace tavrin::platform {

class JobControl {
 public:
  virtual ~JobControl() = default;
  // The frames (edit units) the job will go through; set once before the first frame.
  virtual void set_total(uint32_t frames) = 0;
  // Frames completed so far, counted from the job's first frame.
  virtual void set_done(uint32_t frames) = 0;
  // True once a stop was asked for. A job checks it before each frame or batch and ends with its
  // cancel code when it is set; it never clears the request itself.
  virtual bool cancel_requested() = 0;
};

// The control that a dialog's timer or a signal handler reads and writes from another thread.
class AtomicJobControl final : public JobControl {
 public:
  void set_total(uint32_t frames) override { total_.store(frames, std::memory_order_relaxed); }
  void set_done(uint32_t frames) override { done_.store(frames, std::memory_order_relaxed); }
  bool cancel_requested() override { return cancel_.load(std::memory_order_relaxed); }

  // From any thread: ask the running job to stop.
  void request_cancel() { cancel_.store(true, std::memory_order_relaxed); }
  // Before a new job: no progress, no stop request.
  void reset() {
    total_.store(0, std::memory_order_relaxed);
    done_.store(0, std::memory_order_relaxed);
    cancel_.store(false, std::memory_order_relaxed);
  }
  uint32_t total() const { return total_.load(std::memory_order_relaxed); }
  uint32_t done() const { return done_.load(std::memory_order_relaxed); }
  bool cancelling() const { return cancel_.load(std::memory_order_relaxed); }
  // The address a signal handler may store to (lock-free on every platform this builds for).
  std::atomic<bool>* cancel_flag() { return &cancel_; }

 private:
  std::atomic<uint32_t> total_{0};
  std::atomic<uint32_t> done_{0};
  std::atomic<bool> cancel_{false};
};

// A job run with nobody watching: no stop, progress discarded.
class NullJobControl final : public JobControl {
 public:
  void set_total(uint32_t) override {}
  void set_done(uint32_t) override {}
  bool cancel_requested() override { return false; }
};

}  // namespace tavrin::platform
