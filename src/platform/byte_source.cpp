#include "platform/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavrin::platform {

namespace {

class MappedSourceView final : public SourceView {
 public:
  explicit MappedSourceView(MappedView view) : view_(std::move(view)) {}
  std::span<const uint8_t> bytes() const override {
    return {view_.data(), static_cast<size_t>(view_.size())};
  }

 private:
  MappedView view_;
};

class SpanSourceView final : public SourceView {
 public:
  explicit SpanSourceView(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  std::span<const uint8_t> bytes() const override { return bytes_; }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace

FileSource::FileSource(const File& file) : file_(file) {
  if (file_.valid()) file_.size(&size_);
}

void FileSource::note(int error) const {
  if (error == 0 || error == ERANGE) return;
  int none = 0;
  readError_.compare_exchange_strong(none, error);
}

IoResult FileSource::read_at(uint64_t offset, void* buffer, size_t n) const {
  const IoResult r = file_.read_at(offset, buffer, n);
  note(r.error);
  return r;
}

std::unique_ptr<SourceView> FileSource::view(uint64_t offset, uint64_t length,
                                             Status* status) const {
  Status local;
  MappedView view = MappedView::map(file_, offset, length, ViewAccess::kRead, &local);
  note(local.error);
  if (status) *status = local;
  if (!view.valid()) return nullptr;
  return std::make_unique<MappedSourceView>(std::move(view));
}

IoResult MemorySource::read_at(uint64_t offset, void* buffer, size_t n) const {
  IoResult result;
  if (offset >= bytes_.size()) return result;
  result.bytes = static_cast<size_t>(std::min<uint64_t>(n, bytes_.size() - offset));
  if (result.bytes) std::memcpy(buffer, bytes_.data() + offset, result.bytes);
  return result;
}

std::unique_ptr<SourceView> MemorySource::view(uint64_t offset, uint64_t length,
                                               Status* status) const {
  if (offset > bytes_.size() || length > bytes_.size() - offset) {
    if (status) *status = Status{ERANGE};
    return nullptr;
  }
  if (status) *status = Status{};
  return std::make_unique<SpanSourceView>(
      bytes_.subspan(static_cast<size_t>(offset), static_cast<size_t>(length)));
}

bool read_exact(const ByteSource& source, uint64_t offset, size_t n, std::vector<uint8_t>* out) {
  out->clear();
  if (offset > source.size() || n > source.size() - offset) return false;
  out->resize(n);
  const IoResult r = source.read_at(offset, out->data(), n);
  if (r.bytes != n) {
    out->clear();
    return false;
  }
  return true;
}

}  // namespace tavrin::platform
