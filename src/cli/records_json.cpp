#include "cli/records_json.h"

#include <algorithm>

#include "app/info_panel.h"

namespace tavrin {

void to_json(JsonValue& json, const MXF_BASE_INFO& base) {
  json = {
      {"fileSize", base.fileSize},
      {"creationDate", base.creationDate},
      {"modifiedDate", base.modifiedDate},
      {"versionMajor", base.versionMajor},
      {"versionMinor", base.versionMinor},
      {"companyName", base.companyName},
      {"productName", base.productName},
      {"versionString", base.versionString},
      {"platform", base.platform},
      {"hasAncData", base.hasAncData},
      {"ancElementSize", base.ancElementSize},
      {"sectionCode", base.sectionCode.load()},
  };
}

void to_json(JsonValue& json, const MXF_PARTITION_INFO& p) {
  json = {
      {"kind", p.kind},
      {"partitionCount", p.partitionCount},
      {"packKey", cli::hex_lower(p.packKey)},
      {"operationalPattern", cli::hex_lower(p.operationalPattern)},
      {"packLength", p.packLength},
      {"majorVersion", p.majorVersion},
      {"minorVersion", p.minorVersion},
      {"kagSize", p.kagSize},
      {"thisPartition", p.thisPartition},
      {"headerByteCount", p.headerByteCount},
      {"indexByteCount", p.indexByteCount},
      {"indexSid", p.indexSid},
      {"bodyOffset", p.bodyOffset},
      {"bodySid", p.bodySid},
      {"essenceBase", p.essenceBase},
      {"contentStart", p.contentStart},
  };
}

void to_json(JsonValue& json, const MXF_TIMECODE_INFO& t) {
  json = {
      {"dropFrame", t.dropFrame},
      {"startFrame", t.startFrame},
      {"shiftedStart", t.shiftedStart},
      {"endFrame", t.endFrame},
      {"shiftedEnd", t.shiftedEnd},
      {"duration", t.duration},
      {"fpsCode", t.fpsCode},
      {"editRateNum", t.editRateNum},
      {"editRateDen", t.editRateDen},
      {"rateCode", t.rateCode},
      {"indexEntryCount", t.indexEntryCount},
      {"errorCount", t.errorCount},
      {"startsInHour23", t.startsInHour23},
      {"maxSegmentDuration", t.maxSegmentDuration},
      {"framesToCheck", t.framesToCheck.load()},
      {"framesChecked", t.framesChecked.load()},
      {"useFileApi", t.useFileApi},
      {"startTimecode", app::frame_timecode_text(t, t.startFrame)},
      {"endTimecode", app::frame_timecode_text(t, t.endFrame)},
  };
}

void to_json(JsonValue& json, const MXF_AUDIO_INFO& a) {
  json = {
      {"trackCount", a.trackCount},
      {"sampleRate", a.sampleRate},
      {"avgBytesPerSecond", a.avgBytesPerSecond},
      {"blockAlign", a.blockAlign},
      {"quantizationBits", a.quantizationBits},
      {"cadenceCode", a.cadenceCode},
      {"audioElementSize", a.audioElementSize},
  };
}

void to_json(JsonValue& json, const MXF_VIDEO_INFO& v) {
  json = {
      {"pictureCoding", cli::hex_lower(v.pictureCoding)},
      {"codingName", v.codingName},
      {"codingIndex", v.codingIndex},
      {"displayHeight", v.displayHeight},
      {"displayWidth", v.displayWidth},
      {"aspectNum", v.aspectNum},
      {"aspectDen", v.aspectDen},
      {"bitRate", v.bitRate},
      {"mpegField7", v.mpegField7},
      {"mpegField4", v.mpegField4},
      {"mpegField5", v.mpegField5},
      {"mpegField6", v.mpegField6},
  };
}

void to_json(JsonValue& json, const MXF_LAYOUT_INFO& layout) {
  JsonValue keys = JsonValue::array();
  for (const Key16& key : layout.elementKeys) keys.push_back(cli::hex_lower(key));
  json = {
      {"systemItem", layout.systemItem},
      {"pictureDelta", layout.pictureDelta},
      {"audioDeltas", layout.audioDeltas},
      {"elementKeys", std::move(keys)},
  };
}

void to_json(JsonValue& json, const DeltaEntry& d) {
  json = {
      {"posTableIndex", d.posTableIndex},
      {"slice", d.slice},
      {"elementDelta", d.elementDelta},
  };
}

void to_json(JsonValue& json, const INDEX_ENTRY_ARRAY& e) {
  // Only the delta entries the segment declares are meaningful.
  const size_t count = std::min<size_t>(e.deltaCount, e.deltas.size());
  JsonValue deltas = JsonValue::array();
  for (size_t i = 0; i < count; ++i) deltas.push_back(e.deltas[i]);
  json = {
      {"partition", e.partition},
      {"segmentStart", e.segmentStart},
      {"segmentDuration", e.segmentDuration},
      {"temporalOffset", e.temporalOffset},
      {"keyFrameOffset", e.keyFrameOffset},
      {"flags", e.flags},
      {"filePosition", e.filePosition},
      {"sliceOffset", e.sliceOffset},
      {"posTable", e.posTable},
      {"deltaCount", e.deltaCount},
      {"samplesInFrame", e.samplesInFrame},
      {"deltas", std::move(deltas)},
  };
}

void to_json(JsonValue& json, const TIMECODE_ERROR_INFO& e) {
  json = {
      {"beforeFrame", e.beforeFrame}, {"afterFrame", e.afterFrame}, {"beforeCount", e.beforeCount},
      {"afterCount", e.afterCount},   {"state", e.state},           {"position", e.position},
  };
}

void to_json(JsonValue& json, const WAV_FILE_INFO& i) {
  json = {
      {"format_tag", i.format_tag},
      {"channels", i.channels},
      {"sample_rate", i.sample_rate},
      {"avg_bytes_per_sec", i.avg_bytes_per_sec},
      {"block_align", i.block_align},
      {"bytes_per_sample", i.bytes_per_sample},
      {"bits_per_sample", i.bits_per_sample},
      {"data_size", i.data_size},
      {"data_offset", i.data_offset},
      {"start_sample", i.start_sample},
      {"end_sample", i.end_sample},
      {"start_frame", i.start_frame},
      {"end_frame", i.end_frame},
      {"duration_frames", i.duration_frames},
      {"start_subframe", i.start_subframe},
      {"end_subframe", i.end_subframe},
      {"start_remainder", i.start_remainder},
      {"end_remainder", i.end_remainder},
      {"is_bwf", i.is_bwf},
      {"starts_in_hour_23", i.starts_in_hour_23},
      {"data_available", i.data_available},
  };
}

namespace cli {

JsonValue index_json(const MXF_TIMECODE_INFO& timecode,
                     const std::vector<INDEX_ENTRY_ARRAY>& entries) {
  JsonValue samples = JsonValue::array();
  for (size_t i = 0; i < entries.size() && i < 10; ++i)
    samples.push_back(entries[i].samplesInFrame);
  return {
      {"indexEntryCount", timecode.indexEntryCount},
      {"maxSegmentDuration", timecode.maxSegmentDuration},
      {"first", entries.empty() ? JsonValue(nullptr) : JsonValue(entries.front())},
      {"samplesInFrame", std::move(samples)},
  };
}

std::string json_text(const JsonValue& json) {
  return json.dump(2, ' ', false, JsonValue::error_handler_t::replace) + "\n";
}

std::string hex_lower(const Key16& key) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(key.size() * 2);
  for (const uint8_t byte : key) {
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
  }
  return out;
}

}  // namespace cli
}  // namespace tavrin
