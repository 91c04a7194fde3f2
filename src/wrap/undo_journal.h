// The undo journal of a wrapping job: a write-ahead record of the original bytes of every sample
// value the job overwrites, kept beside the MXF file ("programme.mxf.undo").
//
// Layout, all numbers little-endian:
//   header   "TAVUNDO1", version, the file as the job found it (size, device and inode, last
//            write and access times, the length and CRC-32 of the bytes before the essence) and
//            the job (IN, OUT, frames, tracks, engine), closed by the CRC-32 of the header;
//   data     "DATA", file offset, length, CRC-32 of the bytes, CRC-32 of this head; the bytes;
//   commit   "SYNC", run number, data records so far, CRC-32 of this head: written, with the
//            records before it, and flushed before the engine writes the MXF bytes of that run;
//   closing  "DONE", how the job ended, frames written, the engine's code, the file's size and
//            last write time after the job, CRC-32 of this record.
// A journal without a closing record belongs to a job that was cut off. Restoring a record whose
// bytes were never overwritten writes the bytes the file already holds, so every intact record
// may be restored; only a damaged record before the last commit makes a journal unusable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/file_system.h"

namespace tavrin {

enum class JournalEngine : uint8_t { kMapping = 0, kFileApi = 1 };
enum class JournalEnd : uint8_t { kCompleted = 1, kCancelled = 2, kFailed = 3 };

// The MXF file as the job found it.
struct JournalFileStamp {
  uint64_t size = 0;
  platform::FileNode node;
  platform::FileTime lastWrite;
  platform::FileTime lastAccess;
  uint64_t headerBytes = 0;  // the bytes [0, headerBytes) the checksum covers
  uint32_t headerChecksum = 0;
};

struct JournalJob {
  uint32_t inFrame = 0;   // in the active counting base
  uint32_t outFrame = 0;  // in the active counting base
  uint32_t totalFrames = 0;
  uint32_t trackMask = 0;  // bit t: track t (0-based) is written
  JournalEngine engine = JournalEngine::kMapping;
};

struct JournalHeader {
  JournalFileStamp file;
  JournalJob job;
};

struct JournalClosing {
  JournalEnd end = JournalEnd::kCompleted;
  uint32_t framesWritten = 0;
  int32_t code = 0;
  uint64_t sizeAfter = 0;
  platform::FileTime lastWriteAfter;
};

inline constexpr size_t kJournalHeaderSize = 100;
inline constexpr size_t kJournalDataHeadSize = 24;
inline constexpr size_t kJournalCommitSize = 20;
inline constexpr size_t kJournalClosingSize = 40;
// No element value comes near this; a larger length is damage, not a record.
inline constexpr uint32_t kJournalMaxRecordBytes = 16u << 20;

// The journal of `mxfPath`: its name with ".undo" appended, in `folder` or, when `folder` is
// empty, beside the file.
std::string journal_path(const std::string& mxfPath, const std::string& folder);
// Where a running job writes its journal until it ends; renamed to the journal then.
std::string pending_journal_path(const std::string& journalPath);

// The stamp of the open file: size, node, times and the checksum of its first `headerBytes`
// bytes (cut to the file's size).
platform::Status stamp_file(const platform::File& file, uint64_t headerBytes,
                            JournalFileStamp* stamp);

// Bytes a journal of `records` data records over `sampleBytes` sample bytes in `commits` runs
// takes, with its header and closing record.
uint64_t journal_size(uint64_t sampleBytes, uint64_t records, uint64_t commits);

// Writes a journal. Records are gathered in memory and written when enough have gathered; a
// commit writes what is gathered and flushes the file. The first error is kept and returned by
// every later commit.
class UndoJournalWriter {
 public:
  UndoJournalWriter() = default;
  UndoJournalWriter(UndoJournalWriter&&) noexcept = default;
  UndoJournalWriter& operator=(UndoJournalWriter&&) noexcept = default;

  // Creates `path` (which must not exist), writes the header and makes both durable.
  static UndoJournalWriter create(const std::string& path, const JournalHeader& header,
                                  platform::Status* status);
  bool valid() const { return file_.valid(); }

  // The original bytes of [offset, offset + n) of the MXF file, about to be overwritten.
  void add(uint64_t offset, const uint8_t* bytes, size_t n);
  // Makes every record added so far durable; the engine writes the run only after this.
  platform::Status commit();
  // Appends the closing record, flushes and closes the journal.
  platform::Status close(const JournalClosing& closing);

  uint64_t data_records() const { return records_; }
  // The engine calls this before it changes the first byte of the MXF file: a job that never did
  // leaves no journal behind.
  void note_writing() { writing_ = true; }
  bool writing_started() const { return writing_; }
  // Called after a commit's records are written and before they are flushed (tests stop the
  // process there).
  std::function<void()> beforeSync;

 private:
  void write_out();
  platform::File file_;
  std::vector<uint8_t> buffer_;
  uint64_t end_ = 0;  // journal bytes written so far
  uint64_t records_ = 0;
  uint32_t commits_ = 0;
  bool writing_ = false;
  platform::Status error_;
};

enum class JournalItem {
  kData,  // `data` holds an intact record
  kCommit,
  kClosing,  // `closing` holds the closing record
  kEnd,      // the journal ends here
  kTorn,     // the journal ends inside a record
  kDamaged,  // a record's checksum fails, or its head is not a record
};

struct JournalData {
  uint64_t offset = 0;
  std::vector<uint8_t> bytes;
};

// Reads a journal: the header, then one item after another, each checked through its checksum.
class UndoJournalReader {
 public:
  static UndoJournalReader open(const std::string& path, platform::Status* status);
  bool valid() const { return file_.valid(); }
  // False when the journal is too short for a header, or the header is not one or is damaged.
  bool read_header(JournalHeader* header);
  // The next item. With `data` null, a data record's bytes are skipped unread (and unchecked). A
  // data record whose bytes fail their checksum is passed over: the next call reads the item
  // after it.
  JournalItem next(JournalData* data, JournalClosing* closing);
  // Offset in the journal of the item `next` returned last.
  uint64_t item_offset() const { return itemOffset_; }
  // Offset of the item the next call reads.
  uint64_t offset() const { return offset_; }

 private:
  platform::File file_;
  uint64_t size_ = 0;
  uint64_t offset_ = 0;
  uint64_t itemOffset_ = 0;
};

}  // namespace tavrin
