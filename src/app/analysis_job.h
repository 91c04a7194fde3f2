// The analysis job of a newly opened MXF file and what the analysis dialog makes of its outcome.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "jobs/runner.h"
#include "platform/byte_source.h"
#include "platform/job_control.h"
#include "wav/user_message.h"

namespace tavrin::app {

// The outcome of one analysis run as the analysis dialog sees it.
struct AnalysisRun {
  jobs::JobMessage final;  // the success or failure message of the runner
  bool verificationStarted = false;
};

// Prepares the state for a new load: clears analysisOk, the breaks and the records of an earlier
// file, and records the size and modification time of `file` for the checks before later jobs.
void prepare_analysis(APP_STATE_INFO& app, const std::string& path,
                      const platform::ByteSource& file);

// The request of the analysis job of `file` over the working set.
jobs::JobRequest analysis_request(APP_STATE_INFO& app, const std::string& path,
                                  const platform::ByteSource& file, platform::JobControl& control);

// Prepares the state and runs the analysis job on the calling thread. `onMessage`, when given,
// sees every message of the runner as it comes (the verification-start message included), on the
// calling thread. The control receives the frames of the timecode check; a stop request skips it.
AnalysisRun run_analysis(APP_STATE_INFO& app, const std::string& path,
                         const platform::ByteSource& file, platform::JobControl& control,
                         const jobs::JobObserver& onMessage = {});

// What the analysis dialog makes of the runner's final message: success keeps the file; a skipped
// (cancelled) timecode check asks whether to keep it; breaks found offer the LTC error log and
// refuse the file, as every other failure does. Sets analysisOk. The messages are the ones the
// dialog shows, in order (the warning about tracks beyond 24 included); `keepAfterSkip` answers
// the question after a skipped check.
struct AnalysisDecision {
  bool keep = false;
  bool offerLtcLog = false;  // timecode breaks were found
  std::vector<UserMessage> messages;
};
AnalysisDecision decide_analysis(APP_STATE_INFO& app, const AnalysisRun& run,
                                 const std::function<bool(const UserMessage&)>& keepAfterSkip);

}  // namespace tavrin::app
