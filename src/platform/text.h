// Text helpers. Text is UTF-8 inside the program; the capacities of the records are kept as
// limits counted in UTF-16 code units (a character outside the Basic Multilingual Plane counts
// two), and text is cut to fit without splitting a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavrin::platform {

// Number of UTF-16 code units the UTF-8 text takes. Bytes that are not valid UTF-8 count as one
// unit each (they are shown as U+FFFD).
size_t utf16_units(std::string_view utf8);

// Cuts the text so that it fits a zero-terminated array of `capacity` UTF-16 units, i.e. at most
// capacity - 1 units, never in the middle of a character.
std::string cut_to_capacity(std::string_view utf8, size_t capacity);

// Decodes UTF-16 big-endian bytes (an odd last byte is taken as the high byte of a last unit)
// into UTF-8. Unpaired surrogates become U+FFFD.
std::string utf16be_to_utf8(std::span<const uint8_t> bytes);
// Encodes one code point as UTF-8 (invalid code points as U+FFFD).
void append_utf8(std::string& out, char32_t cp);

// Replaces every byte sequence that is not valid UTF-8 by U+FFFD.
std::string sanitize_utf8(std::string_view text);

// Target encodings of the logs.
enum class TextEncoding { kLocale, kCp932, kUtf8 };

// The codeset of the user's locale (nl_langinfo(CODESET) after setlocale(LC_ALL, "")), e.g.
// "UTF-8" or "ANSI_X3.4-1968". Set up once by init_user_locale().
void init_user_locale();
std::string locale_codeset();
// The iconv name for an encoding choice.
std::string iconv_name(TextEncoding encoding);

// Converts UTF-8 text to the encoding. Every character the target cannot hold becomes '?'; the
// conversion itself never fails for valid input. Returns false only when the converter for the
// target cannot be opened (`error` receives errno).
bool convert_from_utf8(std::string_view utf8, TextEncoding encoding, std::string* out,
                       int* error = nullptr);
bool convert_from_utf8(std::string_view utf8, const std::string& iconvTarget, std::string* out,
                       int* error = nullptr);

// printf into a std::string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tavrin::platform
