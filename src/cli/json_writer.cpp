#include "cli/json_writer.h"

#include "platform/text.h"

namespace tavrin::cli {

void JsonWriter::newline() {
  out_.push_back('\n');
  out_.append(hasItems_.size() * 2, ' ');
}

void JsonWriter::before_value() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!hasItems_.empty()) {
    if (hasItems_.back()) out_.push_back(',');
    hasItems_.back() = true;
    newline();
  }
}

JsonWriter& JsonWriter::begin_object() {
  before_value();
  out_.push_back('{');
  hasItems_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::end_object() {
  const bool had = hasItems_.back();
  hasItems_.pop_back();
  if (had) newline();
  out_.push_back('}');
  if (hasItems_.empty()) out_.push_back('\n');
  return *this;
}

JsonWriter& JsonWriter::begin_array() {
  before_value();
  out_.push_back('[');
  hasItems_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::end_array() {
  const bool had = hasItems_.back();
  hasItems_.pop_back();
  if (had) newline();
  out_.push_back(']');
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  before_value();
  write_string(name);
  out_.append(": ");
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
  before_value();
  write_string(text);
  return *this;
}

void JsonWriter::write_string(std::string_view text) {
  const std::string clean = platform::sanitize_utf8(text);
  out_.push_back('"');
  for (const char c : clean) {
    switch (c) {
      case '"': out_.append("\\\""); break;
      case '\\': out_.append("\\\\"); break;
      case '\n': out_.append("\\n"); break;
      case '\r': out_.append("\\r"); break;
      case '\t': out_.append("\\t"); break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out_.append(platform::format("\\u%04x", static_cast<unsigned>(c)));
        } else {
          out_.push_back(c);
        }
    }
  }
  out_.push_back('"');
}

JsonWriter& JsonWriter::value(bool b) {
  before_value();
  out_.append(b ? "true" : "false");
  return *this;
}

JsonWriter& JsonWriter::value(int64_t n) {
  before_value();
  out_.append(std::to_string(n));
  return *this;
}

JsonWriter& JsonWriter::value(uint64_t n) {
  before_value();
  out_.append(std::to_string(n));
  return *this;
}

JsonWriter& JsonWriter::null() {
  before_value();
  out_.append("null");
  return *this;
}

std::string hex_lower(const uint8_t* bytes, size_t n) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(n * 2);
  for (size_t i = 0; i < n; ++i) {
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 0x0F]);
  }
  return out;
}

}  // namespace tavrin::cli
