// A wrapping job with its undo journal: the journal is written under a pending name while the job
// runs and, once the job has ended and its closing record is durable, takes the journal's name,
// replacing the journal of the previous job (one level of undo). A job that wrote nothing leaves
// no journal and keeps the previous one.
#pragma once

#include <cstdint>
#include <string>

#include "mxf/records.h"
#include "platform/job_control.h"
#include "wrap/track_job.h"
#include "wrap/undo_journal.h"

namespace tavrin {

// Where the journal goes: beside the MXF file when `folder` is empty; none when not enabled.
struct JournalPlacement {
  bool enabled = true;
  std::string folder;
};

// Runs the engine (file I/O or mapping) over the job with a journal. A journal that cannot be
// created stops the job before anything is written, with the engine's journal code.
int wrap_with_journal(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks, MXF_BASE_INFO* mxf,
                      platform::JobControl& control, bool useFileApi,
                      const JournalPlacement& placement);

// The bytes the journal of this job will take: the sample bytes of the written tracks over IN ..
// OUT with the records around them. 0 when the job would be refused before writing anything.
uint64_t journal_bytes_needed(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                              const MXF_BASE_INFO* mxf);

// The bytes before the essence of the first edit unit: the header partition with its metadata,
// which no wrapping job writes. The journal's checksum covers them.
uint64_t header_partition_bytes(const MXF_BASE_INFO& mxf);

// A test seam: called with the journal of each job before the engine runs (tests set its
// beforeSync to stop the process in the middle of a flush). Null by default.
using JournalWriterHook = void (*)(UndoJournalWriter&);
void set_journal_writer_hook(JournalWriterHook hook);

}  // namespace tavrin
