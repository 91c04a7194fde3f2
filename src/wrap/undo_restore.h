// Finding the journal of a file and taking a wrapping job back with it. Nothing is written before
// every check has passed: the journal belongs to this file (device and inode), the file has the
// size and the header partition it had before the job and, when the job ended in order, the
// last-write time the job left it with; every record is intact and lies inside the file. Then
// every record is written back, the file is flushed, its times are set back to those before the
// job, and the journal is removed.
#pragma once

#include <cstdint>
#include <string>

#include "wrap/undo_journal.h"

namespace tavrin {

enum class JournalState {
  kNone,       // no journal
  kCompleted,  // the job ended in order; kCancelled and kFailed likewise
  kCancelled,
  kFailed,
  kInterrupted,  // no closing record: the job was cut off (crash, kill, power loss)
  kUnreadable,   // a file of the journal's name that is no journal, or a damaged header
};

struct JournalFound {
  JournalState state = JournalState::kNone;
  std::string path;
  JournalHeader header;
  JournalClosing closing;  // when the state is kCompleted, kCancelled or kFailed
};

// The journal of `mxfPath` in `folder` (empty: beside the file). A pending journal (a job that is
// running or was cut off) comes before the journal of an earlier job.
JournalFound find_journal(const std::string& mxfPath, const std::string& folder);

enum class UndoFault {
  kNone,
  kNoJournal,
  kUnreadableJournal,
  kOtherFile,      // the journal was written for another file (device or inode differ)
  kSizeChanged,    // the file's size is not the size before the job
  kTimeChanged,    // the last-write time is not the one the job left
  kHeaderChanged,  // the header partition's checksum differs
  kRecordDamaged,  // a record's checksum fails (faultOffset: where in the journal)
  kRecordOutside,  // a record lies outside the file's essence
  kOpenFile,       // the file cannot be opened for writing (errorNumber)
  kWriteFailed,    // writing the file back failed part way (errorNumber)
  kRemoveJournal,  // restored, but the journal could not be removed (errorNumber)
};

struct UndoResult {
  UndoFault fault = UndoFault::kNone;
  JournalFound journal;
  JournalFileStamp now;      // the file as the undo found it
  uint64_t records = 0;      // records written back
  uint64_t bytes = 0;        // bytes written back
  uint64_t faultOffset = 0;  // the journal offset of a damaged or outside record
  int errorNumber = 0;
};

// Restores the file from its journal (see above). Writes nothing unless every check passes.
UndoResult undo_wrap(const std::string& mxfPath, const std::string& folder);

// Removes the journal the next undo would use (the pending one first).
platform::Status discard_journal(const std::string& mxfPath, const std::string& folder);

}  // namespace tavrin
