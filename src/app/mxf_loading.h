// Loading and unloading the MXF file of the working set: opening it for the analysis, running
// the analysis job, and completing or resetting the load by its outcome.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "jobs/runner.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "wav/user_message.h"

namespace tavrin::app {

// Opens the MXF file as the analysis needs it: read only, existing files only, no sharing.
platform::File open_mxf_for_analysis(const std::string& path, platform::Status* status);

// The outcome of one analysis run as the analysis dialog sees it.
struct AnalysisRun {
  jobs::JobMessage final;  // the success or failure message of the runner
  bool verificationStarted = false;
};

// Prepares the state for a new load (clears the verification counters, analysisOk, the records of
// an earlier file) and runs the analysis job on the calling thread. `onMessage`, when given, sees
// every message of the runner as it comes (the verification-start message included), on the
// calling thread.
AnalysisRun run_analysis(APP_STATE_INFO& app, const std::string& path,
                         const platform::ByteSource& file,
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

// Completes a load after the analysis: with analysisOk set, track 1 is selected, every existing
// track is switched OFF with no export mark and the file counts as loaded; otherwise the working
// set is reset as unload does.
void complete_load(APP_STATE_INFO& app);

// Empties the working set.
void unload(APP_STATE_INFO& app);

}  // namespace tavrin::app
