// A minimal JSON reader for the output of ffprobe in the peer tests: objects, arrays, strings,
// numbers and literals, enough to walk "streams" and "format".
#pragma once

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tavrin::test {

struct Json {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
  std::string text;  // a string, or the digits of a number
  std::vector<Json> items;
  std::map<std::string, Json> fields;

  const Json& operator[](const std::string& key) const {
    static const Json kMissing;
    const auto it = fields.find(key);
    return it == fields.end() ? kMissing : it->second;
  }
  long long integer() const { return std::strtoll(text.c_str(), nullptr, 10); }
};

class JsonParser {
 public:
  explicit JsonParser(const std::string& s) : s_(s) {}
  Json parse() {
    skip();
    Json v;
    if (i_ >= s_.size()) return v;
    const char c = s_[i_];
    if (c == '{') {
      v.kind = Json::Kind::kObject;
      ++i_;
      while (skip(), i_ < s_.size() && s_[i_] != '}') {
        const std::string key = parse().text;
        skip();
        ++i_;  // ':'
        v.fields[key] = parse();
        skip();
        if (i_ < s_.size() && s_[i_] == ',') ++i_;
      }
      ++i_;
    } else if (c == '[') {
      v.kind = Json::Kind::kArray;
      ++i_;
      while (skip(), i_ < s_.size() && s_[i_] != ']') {
        v.items.push_back(parse());
        skip();
        if (i_ < s_.size() && s_[i_] == ',') ++i_;
      }
      ++i_;
    } else if (c == '"') {
      v.kind = Json::Kind::kString;
      for (++i_; i_ < s_.size() && s_[i_] != '"'; ++i_) {
        if (s_[i_] == '\\') ++i_;  // escapes kept as the escaped character
        if (i_ < s_.size()) v.text.push_back(s_[i_]);
      }
      ++i_;
    } else {
      v.kind = std::isdigit(static_cast<unsigned char>(c)) || c == '-' ? Json::Kind::kNumber
                                                                       : Json::Kind::kBool;
      while (i_ < s_.size() && std::string(",}] \n\r\t").find(s_[i_]) == std::string::npos) {
        v.text.push_back(s_[i_++]);
      }
    }
    return v;
  }

 private:
  void skip() {
    while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
  }
  const std::string& s_;
  size_t i_ = 0;
};

}  // namespace tavrin::test
