#include <cstdlib>
#include <span>

#include "fuzz_entries.h"
#include "jobs/ltc_error_log.h"
#include "jobs/mxf_info_block.h"
#include "jobs/runner.h"
#include "mxf/records.h"
#include "platform/byte_source.h"
#include "wrap/track_job.h"

namespace tavrin::fuzz {

void analyse_mxf_bytes(const uint8_t* data, size_t size) {
  const platform::MemorySource source(std::span<const uint8_t>(data, size));
  MxfRecords records;
  TimecodeErrorList errors;
  records.timecode.errorList = &errors;
  AUDIOTRACK_IO_INFO tracks;
  jobs::JobRequest request;
  request.jobKind = jobs::JobKind::kAnalysis;
  request.mxfHandle = &source;
  request.mxfPath = "/fuzz/input.mxf";
  request.mxf = &records.base;
  request.tracks = &tracks;
  request.useFileApi = size % 2 == 1;
  bool loaded = false;
  jobs::run_job(request, [&](const jobs::JobMessage& message) {
    if (message.kind == jobs::JobMessageKind::kSucceeded) loaded = true;
  });
  if (!loaded) return;

  // What every reader of a loaded file relies on.
  if (records.audio.trackCount > kMaxAudioTracks) std::abort();
  if (records.indexEntrySlot.size() < records.timecode.indexEntryCount) std::abort();
  const platform::LocalTime writtenAt{2024, 5, 17, 9, 30, 15};
  jobs::mxf_info_block(request.mxfPath, records.base, writtenAt);
  jobs::ltc_error_log_pieces(request.mxfPath, records.base, errors, writtenAt);
}

}  // namespace tavrin::fuzz
