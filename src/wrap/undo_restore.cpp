#include "wrap/undo_restore.h"

#include <cerrno>

#include "platform/file.h"
#include "platform/file_system.h"

namespace tavrin {

namespace {

JournalState state_of(JournalEnd end) {
  switch (end) {
    case JournalEnd::kCompleted:
      return JournalState::kCompleted;
    case JournalEnd::kCancelled:
      return JournalState::kCancelled;
    default:
      return JournalState::kFailed;
  }
}

// Reads the journal at `path` as far as its closing record, without reading the data.
bool read_journal(const std::string& path, JournalFound* found) {
  platform::Status status;
  UndoJournalReader reader = UndoJournalReader::open(path, &status);
  if (!reader.valid()) return false;
  found->path = path;
  if (!reader.read_header(&found->header)) {
    found->state = JournalState::kUnreadable;
    return true;
  }
  found->state = JournalState::kInterrupted;
  for (;;) {
    JournalClosing closing;
    const JournalItem item = reader.next(nullptr, &closing);
    if (item == JournalItem::kData || item == JournalItem::kCommit) continue;
    if (item == JournalItem::kClosing) {
      found->closing = closing;
      found->state = state_of(closing.end);
    }
    return true;
  }
}

// The records to write back, checked. Returns kNone or the fault. With `mxf` given, the records
// are written to it as they are read.
UndoFault walk_records(const JournalFound& found, uint64_t fileSize, platform::File* mxf,
                       UndoResult* result) {
  platform::Status status;
  UndoJournalReader reader = UndoJournalReader::open(found.path, &status);
  JournalHeader header;
  if (!reader.valid() || !reader.read_header(&header)) return UndoFault::kUnreadableJournal;
  const bool closed = found.state != JournalState::kInterrupted;
  // A damaged record is the torn end of a journal cut off in the middle of a flush only while no
  // commit follows it: the engine writes a run after its commit, never before.
  bool damaged = false;
  JournalData data;
  for (;;) {
    const JournalItem item = reader.next(&data, nullptr);
    switch (item) {
      case JournalItem::kData:
        if (damaged) continue;
        if (data.offset < header.file.headerBytes || data.offset > fileSize ||
            fileSize - data.offset < data.bytes.size()) {
          result->faultOffset = reader.item_offset();
          return UndoFault::kRecordOutside;
        }
        if (mxf != nullptr) {
          const platform::IoResult put =
              mxf->write_at(data.offset, data.bytes.data(), data.bytes.size());
          if (!put.ok() || put.bytes != data.bytes.size()) {
            result->errorNumber = put.ok() ? EIO : put.error;
            return UndoFault::kWriteFailed;
          }
          result->records += 1;
          result->bytes += data.bytes.size();
        }
        continue;
      case JournalItem::kCommit:
      case JournalItem::kClosing:
        if (damaged) return UndoFault::kRecordDamaged;
        if (item == JournalItem::kClosing) return UndoFault::kNone;
        continue;
      case JournalItem::kDamaged:
      case JournalItem::kTorn:
        if (closed) {
          result->faultOffset = reader.item_offset();
          return UndoFault::kRecordDamaged;
        }
        if (!damaged) result->faultOffset = reader.item_offset();
        damaged = true;
        // A record with an intact head was passed over: look on for a commit behind it. A torn
        // end or a damaged head leaves nothing more to read.
        if (item == JournalItem::kTorn || reader.offset() == reader.item_offset()) {
          return UndoFault::kNone;
        }
        continue;
      case JournalItem::kEnd:
        return closed ? UndoFault::kRecordDamaged : UndoFault::kNone;
    }
  }
}

}  // namespace

JournalFound find_journal(const std::string& mxfPath, const std::string& folder) {
  const std::string finalPath = journal_path(mxfPath, folder);
  JournalFound found;
  if (read_journal(pending_journal_path(finalPath), &found)) return found;
  if (read_journal(finalPath, &found)) return found;
  return JournalFound{};
}

platform::Status discard_journal(const std::string& mxfPath, const std::string& folder) {
  const JournalFound found = find_journal(mxfPath, folder);
  if (found.state == JournalState::kNone) return {};
  const platform::Status removed = platform::remove_file(found.path);
  if (removed.ok()) platform::sync_parent_folder(found.path);
  return removed;
}

UndoResult undo_wrap(const std::string& mxfPath, const std::string& folder) {
  UndoResult result;
  result.journal = find_journal(mxfPath, folder);
  const JournalFound& found = result.journal;
  if (found.state == JournalState::kNone) {
    result.fault = UndoFault::kNoJournal;
    return result;
  }
  if (found.state == JournalState::kUnreadable) {
    result.fault = UndoFault::kUnreadableJournal;
    return result;
  }

  platform::Status status;
  platform::File mxf = platform::File::open(mxfPath, platform::Access::kReadWriteExisting,
                                            platform::Sharing::kNone, &status);
  if (!mxf.valid()) {
    result.fault = UndoFault::kOpenFile;
    result.errorNumber = status.error;
    return result;
  }
  JournalFileStamp& now = result.now;
  if (const platform::Status s = stamp_file(mxf, found.header.file.headerBytes, &now); !s.ok()) {
    result.fault = UndoFault::kOpenFile;
    result.errorNumber = s.error;
    return result;
  }
  const JournalFileStamp& before = found.header.file;
  if (!(now.node == before.node)) {
    result.fault = UndoFault::kOtherFile;
  } else if (now.size != before.size) {
    result.fault = UndoFault::kSizeChanged;
  } else if (now.headerBytes != before.headerBytes || now.headerChecksum != before.headerChecksum) {
    result.fault = UndoFault::kHeaderChanged;
  } else if (found.state != JournalState::kInterrupted &&
             (now.lastWrite.seconds != found.closing.lastWriteAfter.seconds ||
              now.lastWrite.nanoseconds != found.closing.lastWriteAfter.nanoseconds)) {
    result.fault = UndoFault::kTimeChanged;
  }
  if (result.fault != UndoFault::kNone) return result;

  // Every record is checked before the first is written back.
  if (const UndoFault fault = walk_records(found, now.size, nullptr, &result);
      fault != UndoFault::kNone) {
    result.fault = fault;
    return result;
  }
  // Writing back is idempotent: after a failure part way, the times the check expects are put
  // back so that the undo can simply be repeated.
  auto failed = [&](int error) {
    if (found.state != JournalState::kInterrupted) {
      platform::set_file_times(mxf, now.lastAccess, found.closing.lastWriteAfter);
    }
    result.fault = UndoFault::kWriteFailed;
    if (error != 0) result.errorNumber = error;
    return result;
  };
  if (walk_records(found, now.size, &mxf, &result) != UndoFault::kNone) return failed(0);
  if (const platform::Status synced = mxf.sync(); !synced.ok()) return failed(synced.error);
  platform::set_file_times(mxf, before.lastAccess, before.lastWrite);
  if (const platform::Status closed = mxf.close(); !closed.ok()) {
    result.fault = UndoFault::kWriteFailed;
    result.errorNumber = closed.error;
    return result;
  }
  if (const platform::Status removed = platform::remove_file(found.path); !removed.ok()) {
    result.fault = UndoFault::kRemoveJournal;
    result.errorNumber = removed.error;
    return result;
  }
  platform::sync_parent_folder(found.path);
  return result;
}

}  // namespace tavrin
