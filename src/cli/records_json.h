// The records of the loaded MXF file as JSON objects, field by field under their own names.
#pragma once

#include "cli/json_writer.h"
#include "mxf/records.h"

namespace tavrin::cli {

void write_base_json(JsonWriter& json, const MXF_BASE_INFO& base);
void write_partitions_json(JsonWriter& json, const std::vector<MXF_PARTITION_INFO>& partitions);
void write_timecode_json(JsonWriter& json, const MXF_TIMECODE_INFO& timecode);
void write_audio_json(JsonWriter& json, const MXF_AUDIO_INFO& audio);
void write_video_json(JsonWriter& json, const MXF_VIDEO_INFO& video);
void write_index_json(JsonWriter& json, const MXF_TIMECODE_INFO& timecode,
                      const std::vector<INDEX_ENTRY_ARRAY>& entries);
void write_layout_json(JsonWriter& json, const MXF_LAYOUT_INFO& layout);
void write_timecode_errors_json(JsonWriter& json, const TimecodeErrorList& errors);

}  // namespace tavrin::cli
