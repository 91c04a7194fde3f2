#include "cli/records_json.h"

#include <algorithm>

#include "timecode/timecode.h"

namespace tavrin::cli {

namespace {

std::string hex(const Key16& key) { return hex_lower(key.data(), key.size()); }

void write_entry(JsonWriter& json, const INDEX_ENTRY_ARRAY& e) {
  json.begin_object();
  json.field("partition", e.partition);
  json.field("segmentStart", e.segmentStart);
  json.field("segmentDuration", e.segmentDuration);
  json.field("temporalOffset", e.temporalOffset);
  json.field("keyFrameOffset", e.keyFrameOffset);
  json.field("flags", e.flags);
  json.field("filePosition", e.filePosition);
  json.field("sliceOffset", e.sliceOffset);
  json.field("posTable", e.posTable);
  json.field("deltaCount", e.deltaCount);
  json.field("samplesInFrame", e.samplesInFrame);
  json.key("deltas").begin_array();
  const size_t count = std::min<size_t>(e.deltaCount, e.deltas.size());
  for (size_t i = 0; i < count; ++i) {
    json.begin_object();
    json.field("posTableIndex", e.deltas[i].posTableIndex);
    json.field("slice", e.deltas[i].slice);
    json.field("elementDelta", e.deltas[i].elementDelta);
    json.end_object();
  }
  json.end_array();
  json.end_object();
}

}  // namespace

void write_base_json(JsonWriter& json, const MXF_BASE_INFO& base) {
  json.begin_object();
  json.field("fileSize", base.fileSize);
  json.field("creationDate", base.creationDate);
  json.field("modifiedDate", base.modifiedDate);
  json.field("versionMajor", base.versionMajor);
  json.field("versionMinor", base.versionMinor);
  json.field("companyName", base.companyName);
  json.field("productName", base.productName);
  json.field("versionString", base.versionString);
  json.field("platform", base.platform);
  json.field("hasAncData", base.hasAncData);
  json.field("ancElementSize", base.ancElementSize);
  json.field("sectionCode", base.sectionCode.load());
  json.end_object();
}

void write_partitions_json(JsonWriter& json, const std::vector<MXF_PARTITION_INFO>& partitions) {
  json.begin_array();
  for (const MXF_PARTITION_INFO& p : partitions) {
    json.begin_object();
    json.field("kind", p.kind);
    json.field("partitionCount", p.partitionCount);
    json.field("packKey", hex(p.packKey));
    json.field("operationalPattern", hex(p.operationalPattern));
    json.field("packLength", p.packLength);
    json.field("majorVersion", p.majorVersion);
    json.field("minorVersion", p.minorVersion);
    json.field("kagSize", p.kagSize);
    json.field("thisPartition", p.thisPartition);
    json.field("headerByteCount", p.headerByteCount);
    json.field("indexByteCount", p.indexByteCount);
    json.field("indexSid", p.indexSid);
    json.field("bodyOffset", p.bodyOffset);
    json.field("bodySid", p.bodySid);
    json.field("essenceBase", p.essenceBase);
    json.field("contentStart", p.contentStart);
    json.end_object();
  }
  json.end_array();
}

void write_timecode_json(JsonWriter& json, const MXF_TIMECODE_INFO& t) {
  json.begin_object();
  json.field("dropFrame", t.dropFrame);
  json.field("startFrame", t.startFrame);
  json.field("shiftedStart", t.shiftedStart);
  json.field("endFrame", t.endFrame);
  json.field("shiftedEnd", t.shiftedEnd);
  json.field("duration", t.duration);
  json.field("fpsCode", t.fpsCode);
  json.field("editRateNum", t.editRateNum);
  json.field("editRateDen", t.editRateDen);
  json.field("rateCode", t.rateCode);
  json.field("indexEntryCount", t.indexEntryCount);
  json.field("errorCount", t.errorCount);
  json.field("startsInHour23", t.startsInHour23);
  json.field("maxSegmentDuration", t.maxSegmentDuration);
  json.field("framesToCheck", t.framesToCheck.load());
  json.field("framesChecked", t.framesChecked.load());
  json.field("useFileApi", t.useFileApi);
  json.field("startTimecode", tc::timecode_text(t.fpsCode, t.dropFrame, t.startFrame));
  json.field("endTimecode", tc::timecode_text(t.fpsCode, t.dropFrame, t.endFrame));
  json.end_object();
}

void write_audio_json(JsonWriter& json, const MXF_AUDIO_INFO& a) {
  json.begin_object();
  json.field("trackCount", a.trackCount);
  json.field("sampleRate", a.sampleRate);
  json.field("avgBytesPerSecond", a.avgBytesPerSecond);
  json.field("blockAlign", a.blockAlign);
  json.field("quantizationBits", a.quantizationBits);
  json.field("cadenceCode", a.cadenceCode);
  json.field("audioElementSize", a.audioElementSize);
  json.end_object();
}

void write_video_json(JsonWriter& json, const MXF_VIDEO_INFO& v) {
  json.begin_object();
  json.field("pictureCoding", hex(v.pictureCoding));
  json.field("codingName", v.codingName);
  json.field("codingIndex", v.codingIndex);
  json.field("displayHeight", v.displayHeight);
  json.field("displayWidth", v.displayWidth);
  json.field("aspectNum", v.aspectNum);
  json.field("aspectDen", v.aspectDen);
  json.field("bitRate", v.bitRate);
  json.field("mpegField7", v.mpegField7);
  json.field("mpegField4", v.mpegField4);
  json.field("mpegField5", v.mpegField5);
  json.field("mpegField6", v.mpegField6);
  json.end_object();
}

void write_index_json(JsonWriter& json, const MXF_TIMECODE_INFO& timecode,
                      const std::vector<INDEX_ENTRY_ARRAY>& entries) {
  json.begin_object();
  json.field("indexEntryCount", timecode.indexEntryCount);
  json.field("maxSegmentDuration", timecode.maxSegmentDuration);
  json.key("first");
  if (entries.empty()) {
    json.null();
  } else {
    write_entry(json, entries.front());
  }
  json.key("samplesInFrame").begin_array();
  for (size_t i = 0; i < entries.size() && i < 10; ++i) json.value(entries[i].samplesInFrame);
  json.end_array();
  json.end_object();
}

void write_layout_json(JsonWriter& json, const MXF_LAYOUT_INFO& layout) {
  json.begin_object();
  json.field("systemItem", layout.systemItem);
  json.field("pictureDelta", layout.pictureDelta);
  json.key("audioDeltas").begin_array();
  for (const uint32_t d : layout.audioDeltas) json.value(d);
  json.end_array();
  json.key("elementKeys").begin_array();
  for (const Key16& k : layout.elementKeys) json.value(hex(k));
  json.end_array();
  json.end_object();
}

void write_timecode_errors_json(JsonWriter& json, const TimecodeErrorList& errors) {
  json.begin_array();
  for (const TIMECODE_ERROR_INFO& e : errors) {
    json.begin_object();
    json.field("beforeFrame", e.beforeFrame);
    json.field("afterFrame", e.afterFrame);
    json.field("beforeCount", e.beforeCount);
    json.field("afterCount", e.afterCount);
    json.field("state", e.state);
    json.field("position", e.position);
    json.end_object();
  }
  json.end_array();
}

}  // namespace tavrin::cli
