// A small streaming JSON writer for the command line's --json output. Strings are UTF-8 and are
// escaped as JSON requires; invalid UTF-8 is replaced.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::cli {

class JsonWriter {
 public:
  JsonWriter& begin_object();
  JsonWriter& end_object();
  JsonWriter& begin_array();
  JsonWriter& end_array();
  JsonWriter& key(std::string_view name);
  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(const std::string& text) { return value(std::string_view(text)); }
  JsonWriter& value(bool b);
  JsonWriter& value(int64_t n);
  JsonWriter& value(uint64_t n);
  JsonWriter& value(int32_t n) { return value(static_cast<int64_t>(n)); }
  JsonWriter& value(uint32_t n) { return value(static_cast<uint64_t>(n)); }
  JsonWriter& value(uint16_t n) { return value(static_cast<uint64_t>(n)); }
  JsonWriter& value(uint8_t n) { return value(static_cast<uint64_t>(n)); }
  JsonWriter& value(int8_t n) { return value(static_cast<int64_t>(n)); }
  JsonWriter& null();
  // key + value in one call.
  template <typename T>
  JsonWriter& field(std::string_view name, const T& v) {
    key(name);
    return value(v);
  }
  const std::string& str() const { return out_; }

 private:
  void before_value();
  void write_string(std::string_view text);
  void newline();
  std::string out_;
  std::vector<bool> hasItems_;  // per open container
  bool afterKey_ = false;
};

// Lowercase hexadecimal of bytes ("060e2b34...").
std::string hex_lower(const uint8_t* bytes, size_t n);

}  // namespace tavrin::cli
