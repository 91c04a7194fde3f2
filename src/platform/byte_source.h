// The one small interface through which the analysis reads an MXF file: an open file on disk or
// an in-memory buffer (tests, fuzzing). Reads are positioned; a view gives direct access to a
// range of bytes (a memory mapping for files, a sub-span for buffers).
#pragma once

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/file.h"
#include "platform/mapping.h"

namespace tavrin::platform {

class SourceView {
 public:
  virtual ~SourceView() = default;
  virtual std::span<const uint8_t> bytes() const = 0;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual bool valid() const = 0;
  virtual uint64_t size() const = 0;
  // Reads up to n bytes at offset; fewer at the end of the source or on an error.
  virtual IoResult read_at(uint64_t offset, void* buffer, size_t n) const = 0;
  // A read-only view of [offset, offset + length); null with `status` set when the range is not
  // inside the source or cannot be mapped.
  virtual std::unique_ptr<SourceView> view(uint64_t offset, uint64_t length,
                                           Status* status) const = 0;
  // The directory record of the file behind the source (ENOTSUP for a buffer).
  virtual Status stat(DirectoryRecord* out) const = 0;
  // The errno of the first read or view that failed for a reason other than a range outside the
  // source (a failing device, a file cut under the reader); 0 while none has. A reader that
  // meets such a failure sees fewer bytes, as at the end of the source; this tells its caller
  // that the end was not real.
  virtual int read_error() const { return 0; }
};

// An open file. It does not own the file; the size is taken when the source is made.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(const File& file);
  bool valid() const override { return file_.valid(); }
  uint64_t size() const override { return size_; }
  IoResult read_at(uint64_t offset, void* buffer, size_t n) const override;
  std::unique_ptr<SourceView> view(uint64_t offset, uint64_t length, Status* status) const override;
  Status stat(DirectoryRecord* out) const override { return stat_file(file_, out); }
  int read_error() const override { return readError_.load(); }
  const File& file() const { return file_; }

 private:
  void note(int error) const;

  const File& file_;
  uint64_t size_ = 0;
  mutable std::atomic<int> readError_{0};
};

// A buffer in memory; it does not own the bytes.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool valid() const override { return true; }
  uint64_t size() const override { return bytes_.size(); }
  IoResult read_at(uint64_t offset, void* buffer, size_t n) const override;
  std::unique_ptr<SourceView> view(uint64_t offset, uint64_t length, Status* status) const override;
  Status stat(DirectoryRecord*) const override { return Status{ENOTSUP}; }

 private:
  std::span<const uint8_t> bytes_;
};

// Reads exactly [offset, offset + n) into a new buffer; false (buffer empty) when the source
// holds fewer bytes.
bool read_exact(const ByteSource& source, uint64_t offset, size_t n, std::vector<uint8_t>* out);

}  // namespace tavrin::platform
