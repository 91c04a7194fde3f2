#include "export/bwf_header.h"

#include <cstring>

#include "export/bwf_export.h"
#include "timecode/timecode.h"

namespace tavrin {

namespace {

void put_text(BwfHeader& h, size_t at, const char (&text)[5]) {
  std::memcpy(&h[at], text, 4);
}

void put_u16(BwfHeader& h, size_t at, uint32_t value) {
  h[at] = static_cast<uint8_t>(value);
  h[at + 1] = static_cast<uint8_t>(value >> 8);
}

void put_u32(BwfHeader& h, size_t at, uint32_t value) {
  put_u16(h, at, value & 0xFFFF);
  put_u16(h, at + 2, value >> 16);
}

}  // namespace

BwfHeader build_bwf_header(uint32_t dataSize, uint64_t timeReference, const MXF_AUDIO_INFO& audio) {
  BwfHeader h{};  // every field not set below is zero
  put_text(h, 0, "RIFF");
  put_u32(h, 4, dataSize + kBwfRiffOverhead);
  put_text(h, 8, "WAVE");
  put_text(h, 12, "JUNK");
  put_u32(h, 16, 92);
  put_text(h, 112, "bext");
  put_u32(h, 116, 602);
  put_u32(h, kBwfTimeReferenceOffset, static_cast<uint32_t>(timeReference));
  put_u32(h, kBwfTimeReferenceOffset + 4, static_cast<uint32_t>(timeReference >> 32));
  put_u16(h, 466, 1);  // bext version
  put_text(h, kBwfFmtOffset, "fmt ");
  put_u32(h, 726, 16);
  put_u16(h, 730, 1);  // PCM
  put_u16(h, 732, 1);  // mono
  put_u32(h, 734, audio.sampleRate);
  put_u32(h, 738, audio.avgBytesPerSecond);
  put_u16(h, 742, audio.blockAlign);
  put_u16(h, 744, audio.quantizationBits & 0xFFFF);
  put_text(h, 746, "data");
  put_u32(h, kBwfDataSizeOffset, dataSize);
  return h;
}

uint64_t samples_before_frame(uint64_t n, uint32_t rateCode) {
  return tc::frame_to_sample_offset(rateCode, n, tc::CadenceTable::kTimeReference);
}

}  // namespace tavrin
