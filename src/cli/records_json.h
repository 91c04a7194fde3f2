// The records of the loaded MXF file and of WAV files as JSON objects, field by field under their
// own names, for the --json output of the commands. Texts come out as valid UTF-8 whatever the
// file held: json_text replaces invalid bytes.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "app/app_state.h"

namespace tavrin {

// Keys keep the order in which they are set.
using JsonValue = nlohmann::ordered_json;

void to_json(JsonValue& json, const MXF_BASE_INFO& base);
void to_json(JsonValue& json, const MXF_PARTITION_INFO& partition);
void to_json(JsonValue& json, const MXF_TIMECODE_INFO& timecode);
void to_json(JsonValue& json, const MXF_AUDIO_INFO& audio);
void to_json(JsonValue& json, const MXF_VIDEO_INFO& video);
void to_json(JsonValue& json, const MXF_LAYOUT_INFO& layout);
void to_json(JsonValue& json, const INDEX_ENTRY_ARRAY& entry);
void to_json(JsonValue& json, const DeltaEntry& delta);
void to_json(JsonValue& json, const TIMECODE_ERROR_INFO& error);
void to_json(JsonValue& json, const WAV_FILE_INFO& info);

namespace cli {

// The index facts of the timecode record with the first entry (null when there is none) and the
// samples per frame of the first ten entries.
JsonValue index_json(const MXF_TIMECODE_INFO& timecode,
                     const std::vector<INDEX_ENTRY_ARRAY>& entries);

// The document as text, indented by two, ending in a line end; invalid UTF-8 in any string is
// replaced by U+FFFD so that the document is always valid.
std::string json_text(const JsonValue& json);

// Lowercase hexadecimal of a key ("060e2b34...").
std::string hex_lower(const Key16& key);

}  // namespace cli
}  // namespace tavrin
