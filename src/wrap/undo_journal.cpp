#include "wrap/undo_journal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <span>

#include "platform/byte_reader.h"
#include "platform/crc32.h"
#include "platform/paths.h"

namespace tavrin {

namespace {

constexpr char kMagic[8] = {'T', 'A', 'V', 'U', 'N', 'D', 'O', '1'};
constexpr uint32_t kVersion = 1;
constexpr uint32_t kDataTag = 0x41544144;     // "DATA"
constexpr uint32_t kCommitTag = 0x434E5953;   // "SYNC"
constexpr uint32_t kClosingTag = 0x454E4F44;  // "DONE"
// Gathered records are written out once they pass this size.
constexpr size_t kWriteOutBytes = 4u << 20;

// Appends little-endian numbers to a byte vector.
struct Appender {
  std::vector<uint8_t>& out;
  void u8(uint8_t v) { out.push_back(v); }
  void u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void u64(uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void crc_from(size_t start) { u32(platform::crc32(out.data() + start, out.size() - start)); }
};

void append_header(std::vector<uint8_t>& out, const JournalHeader& h) {
  const size_t start = out.size();
  out.insert(out.end(), std::begin(kMagic), std::end(kMagic));
  Appender a{out};
  a.u32(kVersion);
  a.u32(kJournalHeaderSize);
  a.u64(h.file.size);
  a.u64(h.file.node.device);
  a.u64(h.file.node.inode);
  a.u64(static_cast<uint64_t>(h.file.lastWrite.seconds));
  a.u32(static_cast<uint32_t>(h.file.lastWrite.nanoseconds));
  a.u64(static_cast<uint64_t>(h.file.lastAccess.seconds));
  a.u32(static_cast<uint32_t>(h.file.lastAccess.nanoseconds));
  a.u64(h.file.headerBytes);
  a.u32(h.file.headerChecksum);
  a.u32(h.job.inFrame);
  a.u32(h.job.outFrame);
  a.u32(h.job.totalFrames);
  a.u32(h.job.trackMask);
  a.u8(static_cast<uint8_t>(h.job.engine));
  a.u8(0), a.u8(0), a.u8(0);
  a.crc_from(start);
}

platform::FileTime read_time(platform::ByteReader& r) {
  platform::FileTime t;
  t.seconds = static_cast<int64_t>(r.u64());
  t.nanoseconds = r.u32();
  return t;
}

}  // namespace

std::string journal_path(const std::string& mxfPath, const std::string& folder) {
  const std::string name = platform::file_name(mxfPath) + ".undo";
  if (folder.empty()) return mxfPath + ".undo";
  return platform::join_path(folder, name);
}

std::string pending_journal_path(const std::string& journalPath) {
  return journalPath + ".new";
}

platform::Status stamp_file(const platform::File& file, uint64_t headerBytes,
                            JournalFileStamp* stamp) {
  platform::DirectoryRecord record;
  if (platform::Status s = platform::stat_file(file, &record); !s.ok()) return s;
  if (platform::Status s = platform::file_node(file, &stamp->node); !s.ok()) return s;
  stamp->size = record.size;
  stamp->lastWrite = record.lastWrite;
  stamp->lastAccess = record.lastAccess;
  stamp->headerBytes = std::min(headerBytes, record.size);
  std::vector<uint8_t> chunk(1u << 20);
  uint32_t crc = 0;
  for (uint64_t at = 0; at < stamp->headerBytes;) {
    const size_t want =
        static_cast<size_t>(std::min<uint64_t>(chunk.size(), stamp->headerBytes - at));
    const platform::IoResult got = file.read_at(at, chunk.data(), want);
    if (!got.ok()) return platform::Status{got.error};
    if (got.bytes != want) return platform::Status{EIO};
    crc = platform::crc32(chunk.data(), want, crc);
    at += want;
  }
  stamp->headerChecksum = crc;
  return {};
}

uint64_t journal_size(uint64_t sampleBytes, uint64_t records, uint64_t commits) {
  return kJournalHeaderSize + sampleBytes + records * kJournalDataHeadSize +
         commits * kJournalCommitSize + kJournalClosingSize;
}

UndoJournalWriter UndoJournalWriter::create(const std::string& path, const JournalHeader& header,
                                            platform::Status* status) {
  UndoJournalWriter writer;
  writer.file_ = platform::create_new(path, status);
  if (!writer.file_.valid()) return writer;
  writer.buffer_.reserve(kWriteOutBytes + (1u << 16));
  append_header(writer.buffer_, header);
  writer.write_out();
  if (writer.error_.ok()) writer.error_ = writer.file_.sync();
  // The journal's entry in its folder must survive a power loss as well as its bytes.
  if (writer.error_.ok()) writer.error_ = platform::sync_parent_folder(path);
  if (!writer.error_.ok()) {
    *status = writer.error_;
    writer.file_.close();
    platform::remove_file(path);
    return UndoJournalWriter();
  }
  return writer;
}

void UndoJournalWriter::write_out() {
  if (buffer_.empty() || !error_.ok()) {
    buffer_.clear();
    return;
  }
  const platform::IoResult put = file_.write_at(end_, buffer_.data(), buffer_.size());
  if (!put.ok() || put.bytes != buffer_.size())
    error_ = platform::Status{put.ok() ? EIO : put.error};
  end_ += put.bytes;
  buffer_.clear();
}

void UndoJournalWriter::add(uint64_t offset, const uint8_t* bytes, size_t n) {
  const size_t start = buffer_.size();
  Appender a{buffer_};
  a.u32(kDataTag);
  a.u64(offset);
  a.u32(static_cast<uint32_t>(n));
  a.u32(platform::crc32(bytes, n));
  a.crc_from(start);
  buffer_.insert(buffer_.end(), bytes, bytes + n);
  ++records_;
  if (buffer_.size() >= kWriteOutBytes) write_out();
}

platform::Status UndoJournalWriter::commit() {
  const size_t start = buffer_.size();
  Appender a{buffer_};
  a.u32(kCommitTag);
  a.u32(commits_++);
  a.u64(records_);
  a.crc_from(start);
  write_out();
  if (beforeSync) beforeSync();
  if (error_.ok()) error_ = file_.sync();
  return error_;
}

platform::Status UndoJournalWriter::close(const JournalClosing& c) {
  const size_t start = buffer_.size();
  Appender a{buffer_};
  a.u32(kClosingTag);
  a.u8(static_cast<uint8_t>(c.end));
  a.u8(0), a.u8(0), a.u8(0);
  a.u32(c.framesWritten);
  a.u32(static_cast<uint32_t>(c.code));
  a.u64(c.sizeAfter);
  a.u64(static_cast<uint64_t>(c.lastWriteAfter.seconds));
  a.u32(static_cast<uint32_t>(c.lastWriteAfter.nanoseconds));
  a.crc_from(start);
  write_out();
  if (error_.ok()) error_ = file_.sync();
  if (const platform::Status closed = file_.close(); error_.ok()) error_ = closed;
  return error_;
}

UndoJournalReader UndoJournalReader::open(const std::string& path, platform::Status* status) {
  UndoJournalReader reader;
  reader.file_ =
      platform::File::open(path, platform::Access::kReadExisting, platform::Sharing::kRead, status);
  if (reader.file_.valid() && !reader.file_.size(&reader.size_).ok()) reader.file_.close();
  return reader;
}

bool UndoJournalReader::read_header(JournalHeader* h) {
  std::array<uint8_t, kJournalHeaderSize> bytes{};
  const platform::IoResult got = file_.read_at(0, bytes.data(), bytes.size());
  if (!got.ok() || got.bytes != bytes.size()) return false;
  platform::ByteReader r(bytes, platform::ByteOrder::kLittle);
  std::array<uint8_t, 8> magic{};
  r.bytes(magic);
  if (std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) return false;
  if (r.u32() != kVersion || r.u32() != kJournalHeaderSize) return false;
  h->file.size = r.u64();
  h->file.node.device = r.u64();
  h->file.node.inode = r.u64();
  h->file.lastWrite = read_time(r);
  h->file.lastAccess = read_time(r);
  h->file.headerBytes = r.u64();
  h->file.headerChecksum = r.u32();
  h->job.inFrame = r.u32();
  h->job.outFrame = r.u32();
  h->job.totalFrames = r.u32();
  h->job.trackMask = r.u32();
  const uint8_t engine = r.u8();
  r.skip(3);
  const size_t covered = r.offset();
  const uint32_t crc = r.u32();
  if (!r.ok() || crc != platform::crc32(bytes.data(), covered) || engine > 1) return false;
  h->job.engine = static_cast<JournalEngine>(engine);
  offset_ = kJournalHeaderSize;
  return true;
}

JournalItem UndoJournalReader::next(JournalData* data, JournalClosing* closing) {
  itemOffset_ = offset_;
  if (offset_ >= size_) return JournalItem::kEnd;
  // The largest fixed part of any item.
  std::array<uint8_t, kJournalClosingSize> head{};
  const size_t want = static_cast<size_t>(std::min<uint64_t>(head.size(), size_ - offset_));
  const platform::IoResult got = file_.read_at(offset_, head.data(), want);
  if (!got.ok()) return JournalItem::kDamaged;
  JournalClosing ignored;
  if (closing == nullptr) closing = &ignored;
  if (got.bytes < 4) return JournalItem::kTorn;
  platform::ByteReader r(std::span<const uint8_t>(head.data(), got.bytes),
                         platform::ByteOrder::kLittle);
  const uint32_t tag = r.u32();
  // The head of an item is whole when the journal holds its fixed size.
  auto whole = [&](size_t size) { return got.bytes >= size; };
  auto head_ok = [&](size_t covered) {
    const uint32_t crc = r.u32();
    return r.ok() && crc == platform::crc32(head.data(), covered);
  };
  switch (tag) {
    case kDataTag: {
      if (!whole(kJournalDataHeadSize)) return JournalItem::kTorn;
      const uint64_t offset = r.u64();
      const uint32_t length = r.u32();
      const uint32_t dataCrc = r.u32();
      if (!head_ok(kJournalDataHeadSize - 4) || length > kJournalMaxRecordBytes) {
        return JournalItem::kDamaged;
      }
      if (size_ - offset_ - kJournalDataHeadSize < length) return JournalItem::kTorn;
      const uint64_t body = offset_ + kJournalDataHeadSize;
      // The head is intact, so the next item's place is known whatever the bytes hold.
      offset_ = body + length;
      if (data == nullptr) return JournalItem::kData;
      data->offset = offset;
      data->bytes.resize(length);
      const platform::IoResult got = file_.read_at(body, data->bytes.data(), length);
      if (!got.ok() || got.bytes != length) return JournalItem::kDamaged;
      if (platform::crc32(data->bytes.data(), length) != dataCrc) return JournalItem::kDamaged;
      return JournalItem::kData;
    }
    case kCommitTag: {
      if (!whole(kJournalCommitSize)) return JournalItem::kTorn;
      r.u32();
      r.u64();
      if (!head_ok(kJournalCommitSize - 4)) return JournalItem::kDamaged;
      offset_ += kJournalCommitSize;
      return JournalItem::kCommit;
    }
    case kClosingTag: {
      if (!whole(kJournalClosingSize)) return JournalItem::kTorn;
      const uint8_t end = r.u8();
      r.skip(3);
      closing->framesWritten = r.u32();
      closing->code = static_cast<int32_t>(r.u32());
      closing->sizeAfter = r.u64();
      closing->lastWriteAfter = read_time(r);
      if (!head_ok(kJournalClosingSize - 4)) return JournalItem::kDamaged;
      if (end < 1 || end > 3) return JournalItem::kDamaged;
      closing->end = static_cast<JournalEnd>(end);
      offset_ += kJournalClosingSize;
      return JournalItem::kClosing;
    }
    default:
      return JournalItem::kDamaged;
  }
}

}  // namespace tavrin
