#include "platform/text.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace tavrin::platform {

namespace {

// Decodes the UTF-8 sequence at s[i]; returns its length in bytes (1 for an invalid byte) and the
// code point (U+FFFD for an invalid sequence).
size_t decode_utf8(std::string_view s, size_t i, char32_t* cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    *cp = b0;
    return 1;
  }
  size_t len = 0;
  char32_t value = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, value = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, value = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, value = b0 & 0x07, min = 0x10000;
  } else {
    *cp = 0xFFFD;
    return 1;
  }
  if (i + len > s.size()) {
    *cp = 0xFFFD;
    return 1;
  }
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      *cp = 0xFFFD;
      return 1;
    }
    value = (value << 6) | (b & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    *cp = 0xFFFD;
    return 1;
  }
  *cp = value;
  return len;
}

std::once_flag localeOnce;

}  // namespace

void append_utf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

size_t utf16_units(std::string_view utf8) {
  size_t units = 0;
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    i += decode_utf8(utf8, i, &cp);
    units += cp >= 0x10000 ? 2 : 1;
  }
  return units;
}

std::string cut_to_capacity(std::string_view utf8, size_t capacity) {
  if (capacity == 0) return std::string();
  const size_t limit = capacity - 1;
  size_t units = 0;
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = 0;
    const size_t len = decode_utf8(utf8, i, &cp);
    const size_t add = cp >= 0x10000 ? 2 : 1;
    if (units + add > limit) break;
    units += add;
    i += len;
  }
  return std::string(utf8.substr(0, i));
}

std::string utf16be_to_utf8(std::span<const uint8_t> bytes) {
  std::vector<char32_t> units((bytes.size() + 1) / 2);
  for (size_t k = 0; k < units.size(); ++k) {
    const uint32_t hi = bytes[2 * k];
    const uint32_t lo = 2 * k + 1 < bytes.size() ? bytes[2 * k + 1] : 0;
    units[k] = static_cast<char32_t>((hi << 8) | lo);
  }
  std::string out;
  for (size_t k = 0; k < units.size(); ++k) {
    const char32_t unit = units[k];
    if (unit >= 0xD800 && unit <= 0xDBFF && k + 1 < units.size() && units[k + 1] >= 0xDC00 &&
        units[k + 1] <= 0xDFFF) {
      append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[k + 1] - 0xDC00));
      ++k;
      continue;
    }
    append_utf8(out, unit);  // an unpaired surrogate becomes U+FFFD
  }
  return out;
}

std::string sanitize_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const size_t len = decode_utf8(text, i, &cp);
    if (cp == 0xFFFD && !(len == 3 && text.substr(i, 3) == "\xEF\xBF\xBD")) {
      append_utf8(out, 0xFFFD);
    } else {
      out.append(text.substr(i, len));
    }
    i += len;
  }
  return out;
}

void init_user_locale() {
  std::call_once(localeOnce, [] { std::setlocale(LC_ALL, ""); });
}

std::string locale_codeset() {
  init_user_locale();
  const char* codeset = nl_langinfo(CODESET);
  return codeset && *codeset ? std::string(codeset) : std::string("ANSI_X3.4-1968");
}

std::string iconv_name(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kCp932: return "CP932";
    case TextEncoding::kUtf8: return "UTF-8";
    case TextEncoding::kLocale: break;
  }
  return locale_codeset();
}

bool convert_from_utf8(std::string_view utf8, TextEncoding encoding, std::string* out,
                       int* error) {
  return convert_from_utf8(utf8, iconv_name(encoding), out, error);
}

bool convert_from_utf8(std::string_view utf8, const std::string& iconvTarget, std::string* out,
                       int* error) {
  out->clear();
  iconv_t cd = iconv_open(iconvTarget.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (error) *error = errno;
    return false;
  }
  // Convert in bulk; where the target cannot hold a character, write '?' for it and go on.
  std::string clean = sanitize_utf8(utf8);
  std::vector<char> buffer(clean.size() * 4 + 16);
  char* inPtr = clean.data();
  size_t inLeft = clean.size();
  while (true) {
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    const size_t rc = iconv(cd, inLeft ? &inPtr : nullptr, &inLeft, &outPtr, &outLeft);
    out->append(buffer.data(), buffer.size() - outLeft);
    if (rc != static_cast<size_t>(-1)) {
      if (inLeft == 0) {
        // Flush the shift state of stateful targets, once.
        outPtr = buffer.data();
        outLeft = buffer.size();
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        out->append(buffer.data(), buffer.size() - outLeft);
        break;
      }
      continue;
    }
    if (errno == E2BIG) continue;
    if (errno == EILSEQ || errno == EINVAL) {
      char32_t cp = 0;
      const size_t offset = static_cast<size_t>(inPtr - clean.data());
      const size_t len = decode_utf8(clean, offset, &cp);
      out->push_back('?');
      inPtr += len;
      inLeft -= len;
      continue;
    }
    const int saved = errno;
    iconv_close(cd);
    if (error) *error = saved;
    return false;
  }
  iconv_close(cd);
  if (error) *error = 0;
  return true;
}

std::string format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n));
    std::vsnprintf(out.data(), out.size() + 1, fmt, args);
  }
  va_end(args);
  return out;
}

}  // namespace tavrin::platform
