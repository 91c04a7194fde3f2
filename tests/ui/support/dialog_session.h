// A working set with everything a dialog test needs around it: a scratch folder for fixtures and
// logs, a scripted presenter, an owner window, the status texts the dialogs set, and a job control
// that holds the worker at an exact frame until the test lets it go on.
#pragma once

#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/job_control.h"
#include "support/mxf_fixture.h"
#include "support/scripted_presenter.h"
#include "support/temp_dir.h"
#include "ui/dialog_context.h"

namespace tavrin::test {

// Forwards to the dialog's own control (so its timer and its buttons see everything) and, once
// the job reports `holdAt` frames done, holds the worker there until release(); it can also ask
// the job to stop once `stopAt` frames are done, as if the operator had pressed the button then.
class HoldingControl final : public platform::JobControl {
 public:
  HoldingControl(platform::AtomicJobControl& inner, uint32_t holdAt, uint32_t stopAt = UINT32_MAX)
      : inner_(inner), holdAt_(holdAt), stopAt_(stopAt) {}
  ~HoldingControl() override { release(); }

  void set_total(uint32_t frames) override { inner_.set_total(frames); }
  void set_done(uint32_t frames) override {
    inner_.set_done(frames);
    if (frames != holdAt_) return;
    std::unique_lock lock(mutex_);
    held_ = true;
    wake_.wait(lock, [this] { return released_; });
  }
  bool cancel_requested() override { return inner_.cancel_requested() || inner_.done() >= stopAt_; }

  bool held() {
    std::lock_guard lock(mutex_);
    return held_;
  }
  void release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    wake_.notify_all();
  }

 private:
  platform::AtomicJobControl& inner_;
  uint32_t holdAt_;
  uint32_t stopAt_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool held_ = false;
  bool released_ = false;
};

struct DialogSession {
  DialogSession();

  // Writes the fixture as `name` in the scratch folder; returns its path.
  std::string write_fixture(const std::string& name, const MxfFixtureOptions& options);
  ui::DialogContext context();

  TempDir dir;
  app::APP_STATE_INFO app;
  ScriptedPresenter presenter;
  QWidget owner;
  std::vector<std::string> statuses;
};

// A fixture of three timecode breaks (a repeat, a jump, a step back) at 29.97 drop frame.
MxfFixtureOptions three_breaks_fixture();

}  // namespace tavrin::test
