// The file as a whole: partition plan (header, body partitions, footer, Random Index Pack), the
// partition packs, the layout report, and the two ways out (memory, file).
#include "support/mxf_fixture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

#include "support/mxf_fixture_internal.h"

namespace tavrin::test {

namespace {

using fixture::Bytes;
using fixture::PackageGeometry;
using fixture::SegmentRange;

constexpr Ul kRipKey = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
                        0x0D, 0x01, 0x02, 0x01, 0x01, 0x11, 0x01, 0x00};
constexpr Ul kOp1a = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01,
                      0x0D, 0x01, 0x02, 0x01, 0x01, 0x01, 0x09, 0x00};

struct PartitionPlan {
  FixturePartition info;
  uint8_t status = 4;
  uint64_t packFill = 0;
  uint64_t metadataFill = 0;
  uint64_t indexFill = 0;
  std::vector<SegmentRange> segments;
  uint64_t end = 0;
};

struct Plan {
  PackageGeometry g;
  Bytes metadata;
  std::vector<Ul> containers;
  uint64_t packBytes = 0;
  std::vector<PartitionPlan> parts;
  std::vector<size_t> ripEntries;  // indices into parts
  uint64_t ripOffset = 0;
  uint64_t ripBytes = 0;
  uint64_t fileSize = 0;
};

// Lays out one partition from `offset`: its pack, the fill behind it, then `metadata` bytes of
// header metadata and the index segments, each padded to the KAG counted from the pack.
PartitionPlan plan_partition(const MxfFixtureOptions& o, const Plan& plan, int kind,
                             uint64_t offset, uint64_t metadata, std::vector<SegmentRange> segs) {
  PartitionPlan p;
  p.info.kind = kind;
  p.info.offset = offset;
  p.status = kind == 0 ? o.headerStatus : kind == 1 ? o.bodyStatus : o.footerStatus;
  p.packFill = fixture::fill_size(plan.packBytes, o.kagSize);
  uint64_t rel = plan.packBytes + p.packFill;
  p.info.contentStart = offset + rel;
  if (metadata != 0) {
    p.metadataFill = fixture::fill_size(rel + metadata, o.kagSize);
    p.info.headerByteCount = metadata + p.metadataFill;
    rel += p.info.headerByteCount;
  }
  uint64_t index = 0;
  for (const SegmentRange& s : segs) {
    p.info.indexSegments.push_back(offset + rel + index);
    index += fixture::index_segment_size(o, plan.g, s.duration);
  }
  if (!segs.empty()) {
    p.indexFill = fixture::fill_size(rel + index, o.kagSize);
    p.info.indexByteCount = index + p.indexFill;
    p.info.indexSid = 2;
  }
  p.segments = std::move(segs);
  p.end = p.info.contentStart + p.info.headerByteCount + p.info.indexByteCount;
  return p;
}

Plan make_plan(const MxfFixtureOptions& o, MxfFixtureLayout* layout) {
  Plan plan;
  plan.g = fixture::package_geometry(o);
  plan.metadata = fixture::header_metadata(o, layout);
  plan.containers = fixture::essence_containers(o);
  plan.packBytes = 20 + 88 + 16 * uint64_t{plan.containers.size()};
  const uint64_t frames = o.frameCount;
  const auto complete_index = [&](bool wanted) {
    return wanted ? fixture::split_segments(o, plan.g, 0, frames) : std::vector<SegmentRange>{};
  };

  plan.parts.push_back(
      plan_partition(o, plan, 0, 0, plan.metadata.size(), complete_index(o.indexInHeader)));
  const uint64_t perPartition = o.framesPerPartition != 0 ? o.framesPerPartition : frames;
  for (uint64_t first = 0; first < frames; first += perPartition) {
    const uint64_t n = std::min(perPartition, frames - first);
    PartitionPlan p = plan_partition(
        o, plan, 1, plan.parts.back().end, 0,
        o.indexInBody ? fixture::split_segments(o, plan.g, first, n) : std::vector<SegmentRange>{});
    p.info.bodySid = 1;
    p.info.bodyOffset = first * plan.g.size;
    p.info.firstFrame = first;
    p.info.frameCount = n;
    p.end += n * plan.g.size;
    plan.parts.push_back(std::move(p));
  }
  plan.parts.push_back(
      plan_partition(o, plan, 2, plan.parts.back().end, 0, complete_index(o.indexInFooter)));
  for (PartitionPlan& p : plan.parts) {
    p.info.essenceBase =
        p.info.contentStart + p.info.headerByteCount + p.info.indexByteCount - p.info.bodyOffset;
  }

  for (size_t i = 0; i < plan.parts.size(); ++i) {
    if (!(o.ripOmitsFooter && plan.parts[i].info.kind == 2)) plan.ripEntries.push_back(i);
  }
  plan.ripOffset = plan.parts.back().end;
  const uint64_t ripValue = 12 * uint64_t{plan.ripEntries.size()} + 4;
  Bytes lengthField;
  if (o.shortBerLengths) {
    fixture::put_ber_short(lengthField, ripValue);
  } else {
    fixture::put_ber4(lengthField, ripValue);
  }
  plan.ripBytes = 16 + lengthField.size() + ripValue;
  plan.fileSize = plan.ripOffset + plan.ripBytes;
  return plan;
}

void append_pack(Bytes& out, const MxfFixtureOptions& o, const Plan& plan, size_t index) {
  const PartitionPlan& p = plan.parts[index];
  Ul key = {0x06, 0x0E, 0x2B, 0x34, 0x02, 0x05, 0x01, 0x01,
            0x0D, 0x01, 0x02, 0x01, 0x01, 0x00, 0x00, 0x00};
  key[13] = static_cast<uint8_t>(0x02 + p.info.kind);
  key[14] = p.status;
  fixture::put_ul(out, key);
  fixture::put_ber4(out, plan.packBytes - 20);
  fixture::put_u16(out, o.packMajorVersion);
  fixture::put_u16(out, o.packMinorVersion);
  fixture::put_u32(out, o.kagSize);
  fixture::put_u64(out, p.info.offset);
  fixture::put_u64(out, index == 0 ? 0 : plan.parts[index - 1].info.offset);
  fixture::put_u64(out, plan.parts.back().info.offset);
  fixture::put_u64(out, p.info.headerByteCount);
  fixture::put_u64(out, p.info.indexByteCount);
  fixture::put_u32(out, p.info.indexSid);
  fixture::put_u64(out, p.info.bodyOffset);
  fixture::put_u32(out, p.info.bodySid);
  Ul op = kOp1a;
  op[14] = o.operationalPatternQualifier;
  fixture::put_ul(out, op);
  fixture::put_u32(out, static_cast<uint32_t>(plan.containers.size()) + o.packContainerCountExtra);
  fixture::put_u32(out, 16);
  for (const Ul& ul : plan.containers) fixture::put_ul(out, ul);
}

void append_rip(Bytes& out, const MxfFixtureOptions& o, const Plan& plan) {
  fixture::put_ul(out, kRipKey);
  const uint64_t value = 12 * uint64_t{plan.ripEntries.size()} + 4;
  if (o.shortBerLengths) {
    fixture::put_ber_short(out, value);
  } else {
    fixture::put_ber4(out, value);
  }
  for (size_t n = 0; n < plan.ripEntries.size(); ++n) {
    const FixturePartition& p = plan.parts[plan.ripEntries[n]].info;
    fixture::put_u32(out, p.bodySid);
    const bool past = o.ripOffsetPastEnd && *o.ripOffsetPastEnd == n;
    fixture::put_u64(out, past ? plan.fileSize + 4096 : p.offset);
  }
  fixture::put_u32(out,
                   static_cast<uint32_t>(static_cast<int64_t>(plan.ripBytes) + o.ripLengthDelta));
}

// Produces the file into `buf`; `flush` (when given) takes the buffered bytes whenever more than a
// block has gathered and at the end. False when a flush fails.
bool emit(const MxfFixtureOptions& o, const Plan& plan, Bytes& buf,
          const std::function<bool(Bytes&)>& flush) {
  constexpr size_t kBlock = size_t{8} << 20;
  const Bytes picture = fixture::picture_filler(o);
  uint32_t instance = 0x49000001;
  const auto maybe_flush = [&] { return !flush || buf.size() < kBlock || flush(buf); };
  for (size_t i = 0; i < plan.parts.size(); ++i) {
    const PartitionPlan& p = plan.parts[i];
    append_pack(buf, o, plan, i);
    fixture::put_fill(buf, p.packFill);
    if (p.info.headerByteCount != 0) {
      buf.insert(buf.end(), plan.metadata.begin(), plan.metadata.end());
      fixture::put_fill(buf, p.metadataFill);
    }
    for (const SegmentRange& s : p.segments) {
      fixture::append_index_segment(buf, o, plan.g, s, plan.fileSize, instance++);
      if (!maybe_flush()) return false;
    }
    fixture::put_fill(buf, p.indexFill);
    for (uint64_t k = p.info.firstFrame; k < p.info.firstFrame + p.info.frameCount; ++k) {
      fixture::append_content_package(buf, o, plan.g, k, picture);
      if (!maybe_flush()) return false;
    }
  }
  append_rip(buf, o, plan);
  return !flush || flush(buf);
}

void fill_layout(const MxfFixtureOptions& o, const Plan& plan, MxfFixtureLayout& layout) {
  const PackageGeometry& g = plan.g;
  layout.fileSize = plan.fileSize;
  layout.partitions.clear();
  for (const PartitionPlan& p : plan.parts) layout.partitions.push_back(p.info);
  // header_metadata reported its set offsets from the metadata's first byte.
  const uint64_t start = plan.parts.front().info.contentStart;
  layout.headerMetadataStart = start;
  layout.prefaceOffset += start;
  if (layout.identificationOffset != kNone) layout.identificationOffset += start;
  layout.timecodeComponentOffset += start;
  layout.sourcePackageOffset += start;
  layout.videoDescriptorOffset += start;
  for (uint64_t& a : layout.audioDescriptorOffsets) a += start;
  layout.ripOffset = plan.ripOffset;
  layout.contentPackageSize = g.size;
  layout.sliceOffset = g.sliceOffset;
  layout.soundSlotSize = g.soundSlot;
  layout.ancBlockSize = g.ancBlock;
  layout.deltas = g.deltas;

  const uint32_t elements = fixture::sound_element_count(o);
  layout.frames.assign(o.frameCount, {});
  for (const PartitionPlan& p : plan.parts) {
    const uint64_t essence = p.info.contentStart + p.info.headerByteCount + p.info.indexByteCount;
    for (uint64_t n = 0; n < p.info.frameCount; ++n) {
      const uint64_t k = p.info.firstFrame + n;
      FixtureFrame& f = layout.frames[k];
      f.contentPackage = essence + n * g.size;
      if (o.systemItem) f.systemItem = f.contentPackage + g.systemOffset;
      f.picture = f.contentPackage + g.pictureOffset;
      if (o.ancElement) f.anc = f.contentPackage + g.ancOffset;
      const bool swap = o.swapSoundFrame && *o.swapSoundFrame == k && elements >= 2;
      for (uint32_t t = 0; t < elements; ++t) {
        const uint32_t slot = swap && t < 2 ? 1 - t : t;
        const uint64_t key = f.contentPackage + g.soundOffset + uint64_t{slot} * g.soundSlot;
        f.soundKey.push_back(key);
        f.soundValue.push_back(key + g.soundHeader);
      }
      f.samples = fixture_samples_in_frame(o, k);
      f.timecodeWord = fixture_timecode_word(o, k);
    }
  }
}

class FileHandle {
 public:
  explicit FileHandle(const std::string& path)
      : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool ok() const { return fd_ >= 0; }
  bool write_all(const uint8_t* data, size_t n) {
    while (n > 0) {
      const ssize_t done = ::write(fd_, data, n);
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) return false;
      data += done;
      n -= static_cast<size_t>(done);
    }
    return true;
  }
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace

MxfFixtureLayout plan_mxf_fixture(const MxfFixtureOptions& options) {
  MxfFixtureLayout layout;
  const Plan plan = make_plan(options, &layout);
  fill_layout(options, plan, layout);
  return layout;
}

std::vector<uint8_t> build_mxf_fixture(const MxfFixtureOptions& options, MxfFixtureLayout* layout) {
  MxfFixtureLayout scratch;
  const Plan plan = make_plan(options, &scratch);
  Bytes bytes;
  bytes.reserve(plan.fileSize);
  emit(options, plan, bytes, nullptr);
  if (layout != nullptr) {
    fill_layout(options, plan, scratch);
    *layout = std::move(scratch);
  }
  return bytes;
}

bool write_mxf_fixture(const std::string& path, const MxfFixtureOptions& options,
                       MxfFixtureLayout* layout) {
  MxfFixtureLayout scratch;
  const Plan plan = make_plan(options, &scratch);
  FileHandle file(path);
  if (!file.ok()) return false;
  Bytes buf;
  buf.reserve((size_t{9} << 20) + plan.g.size);
  const bool written = emit(options, plan, buf, [&](Bytes& b) {
    const bool ok = file.write_all(b.data(), b.size());
    b.clear();
    return ok;
  });
  if (!file.close() || !written) return false;
  if (layout != nullptr) {
    fill_layout(options, plan, scratch);
    *layout = std::move(scratch);
  }
  return true;
}

}  // namespace tavrin::test
