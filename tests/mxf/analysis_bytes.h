// Small byte builders for the analysis step tests: KLVs in any BER form, local set items, and a
// header metadata image whose first partition is set up by hand (no packs needed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/runner.h"
#include "mxf/records.h"
#include "platform/byte_source.h"

namespace tavrin::test {

using Bytes = std::vector<uint8_t>;

inline Bytes be(uint64_t v, size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[n - 1 - i] = static_cast<uint8_t>(v >> (8 * i));
  return b;
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A KLV with a BER length of `lengthBytes` bytes after the first (0: short form).
inline Bytes klv(const Key16& key, const Bytes& value, size_t lengthBytes = 3) {
  Bytes out(key.begin(), key.end());
  if (lengthBytes == 0) {
    out.push_back(static_cast<uint8_t>(value.size()));
  } else {
    out.push_back(static_cast<uint8_t>(0x80 | lengthBytes));
    const Bytes len = be(value.size(), lengthBytes);
    out.insert(out.end(), len.begin(), len.end());
  }
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

inline Bytes item(uint16_t tag, const Bytes& value) {
  return cat({be(tag, 2), be(value.size(), 2), value});
}

inline Bytes ul(const Key16& k) {
  return Bytes(k.begin(), k.end());
}

inline Bytes utf16(const std::u16string& s) {
  Bytes out;
  for (const char16_t c : s) {
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c));
  }
  return out;
}

// Makes `bytes` the header metadata of the first partition, from `contentStart` on.
inline void use_as_header(MxfRecords& r, const Bytes& bytes, uint64_t contentStart = 0) {
  r.partitionSlot.assign(1, MXF_PARTITION_INFO{});
  r.partitionSlot[0].contentStart = contentStart;
  r.partitionSlot[0].headerByteCount = bytes.size() - contentStart;
}

// The whole analysis job over bytes in memory; the final message (of kind
// kVerificationStarting when none came).
inline jobs::JobMessage analyse_bytes(const Bytes& bytes, MxfRecords& r) {
  platform::MemorySource source(bytes);
  jobs::JobRequest request;
  request.jobKind = jobs::JobKind::kAnalysis;
  request.mxfHandle = &source;
  request.mxfPath = "fixture.mxf";
  request.mxf = &r.base;
  jobs::JobMessage last;
  last.kind = jobs::JobMessageKind::kVerificationStarting;  // stays so when no final message came
  jobs::run_job(request, [&](const jobs::JobMessage& m) {
    if (m.kind != jobs::JobMessageKind::kVerificationStarting) last = m;
  });
  return last;
}

// The code the analysis ended with: 0 when the file loaded.
inline int analysis_code(const Bytes& bytes, MxfRecords& r) { return analyse_bytes(bytes, r).code; }

}  // namespace tavrin::test
