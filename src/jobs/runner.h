// The job runner: one analysis, wrapping or export job at a time, on a worker thread. It runs the
// steps in their fixed order under their section codes, composes the final message from the
// section table and the message table, and hands it to the observer. The observer is called on
// the worker thread and the worker waits until it returns (as with a synchronously sent window
// message), so the records are never released while the worker still uses them.
#pragma once

#include <functional>
#include <string>
#include <thread>

#include "jobs/messages.h"
#include "mxf/records.h"
#include "platform/byte_source.h"
#include "platform/job_control.h"
#include "wrap/journaled_wrap.h"
#include "wrap/track_job.h"

namespace tavrin::jobs {

struct JobRequest {
  JobKind jobKind = JobKind::kAnalysis;
  const platform::ByteSource* mxfHandle = nullptr;  // the MXF file opened for reading (analysis)
  std::string mxfPath;
  MXF_BASE_INFO* mxf = nullptr;
  AUDIOTRACK_IO_INFO* tracks = nullptr;
  bool useFileApi = false;
  // Progress and stop requests of the timecode check or the engine; none = nobody watching.
  platform::JobControl* control = nullptr;
  // Wrapping: the undo journal of the original samples (on by default, beside the file).
  JournalPlacement journal;
};

enum class JobMessageKind {
  kVerificationStarting,  // analysis only, just before the timecode check
  kSucceeded,
  kFailed,  // failure or cancellation
};

struct JobMessage {
  JobMessageKind kind = JobMessageKind::kSucceeded;
  // Analysis: the error code of a failure (99 when cancelled). Wrapping/export: the engine's
  // result.
  int code = 0;
  // Analysis: empty. Wrapping/export: "MXF Corvane" on success, the job text on failure.
  std::string title;
  // The composed final text (may be empty, see compose_* below).
  std::string text;
};

using JobObserver = std::function<void(const JobMessage&)>;

// Runs the job on the calling thread. Any job kind other than the three ends at once without a
// message.
void run_job(const JobRequest& request, const JobObserver& observer);
// Runs the job on a new worker thread; the caller joins it after the final message.
std::thread start_job(const JobRequest& request, JobObserver observer);

// The final texts, cut to kFinalMessageCapacity without failing.
// `timecode` (may be null) gives the edit rate that the message of an unknown rate names.
std::string compose_analysis_failure(const std::string& mxfName, int sectionCode, int code,
                                     bool useFileApi, const MXF_TIMECODE_INFO* timecode = nullptr);
std::string compose_verification_failure(const std::string& mxfName, int code);
std::string compose_analysis_cancelled(const std::string& mxfName);
std::string compose_job_success(const std::string& mxfName, JobKind kind, bool useFileApi);
std::string compose_job_cancelled(const std::string& mxfName, JobKind kind, bool useFileApi);
// A failure a system call caused names its error (strerror of `systemError`) below the message.
std::string compose_job_failure(const std::string& mxfName, JobKind kind, int sectionCode, int code,
                                bool useFileApi, int systemError = 0);

// The title of the success message of wrapping and export.
inline constexpr const char* kJobSuccessTitle = "MXF Corvane";

}  // namespace tavrin::jobs
