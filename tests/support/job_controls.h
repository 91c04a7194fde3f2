// Job controls for tests: one that records what a job reports and asks the job to stop at an
// exact frame, so a cancel test needs no second thread and no retries; and one that changes the
// world (cuts a file, say) at an exact frame.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <utility>

#include "platform/job_control.h"

namespace tavrin::test {

// Asks to stop once `frame` frames are done. A job that asks before every frame then has done
// frames 0 .. frame - 1 and nothing of frame `frame` or later; frame 0 stops it before the first.
// The default never asks to stop and only records.
class CancelAtFrame final : public platform::JobControl {
 public:
  explicit CancelAtFrame(uint32_t frame = std::numeric_limits<uint32_t>::max()) : frame_(frame) {}

  void set_total(uint32_t frames) override {
    total_ = frames;
    ++totals_;
  }
  void set_done(uint32_t frames) override {
    if (frames < done_) ++backwards_;
    done_ = frames;
  }
  bool cancel_requested() override {
    ++asked_;
    return done_ >= frame_;
  }

  uint32_t total() const { return total_; }
  uint32_t done() const { return done_; }
  uint32_t times_asked() const { return asked_; }
  uint32_t totals_set() const { return totals_; }
  // Reports of fewer frames done than the report before (a job restarting its count).
  uint32_t went_backwards() const { return backwards_; }

 private:
  uint32_t frame_;
  uint32_t total_ = 0;
  uint32_t done_ = 0;
  uint32_t asked_ = 0;
  uint32_t totals_ = 0;
  uint32_t backwards_ = 0;
};

// Runs `action` once, when the job reports `frame` frames done: after frame - 1 is done and
// before frame is (for an engine that works in batches, at a batch boundary before the next batch
// reads anything).
class ActAtFrame final : public platform::JobControl {
 public:
  ActAtFrame(uint32_t frame, std::function<void()> action)
      : frame_(frame), action_(std::move(action)) {}
  void set_total(uint32_t) override {}
  void set_done(uint32_t frames) override {
    if (frames == frame_ && action_) {
      action_();
      action_ = nullptr;
    }
  }
  bool cancel_requested() override { return false; }

 private:
  uint32_t frame_;
  std::function<void()> action_;
};

}  // namespace tavrin::test
