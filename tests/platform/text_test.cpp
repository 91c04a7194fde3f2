#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/paths.h"

namespace tavrin::platform {
namespace {

TEST(Text, Utf16UnitsCountSupplementaryCharactersTwice) {
  EXPECT_EQ(utf16_units("abc"), 3u);
  EXPECT_EQ(utf16_units("日本語"), 3u);
  EXPECT_EQ(utf16_units("\xF0\x9F\x8E\xB5"), 2u);  // U+1F3B5
  EXPECT_EQ(utf16_units("\xFF"), 1u);              // invalid byte counts as one unit
}

TEST(Text, CutToCapacityKeepsRoomForTheTerminatorAndWholeCharacters) {
  EXPECT_EQ(cut_to_capacity("abcdef", 4), "abc");
  EXPECT_EQ(cut_to_capacity("日本語テキスト", 4), "日本語");
  EXPECT_EQ(cut_to_capacity("a\xF0\x9F\x8E\xB5", 3), "a");  // the pair does not fit in 2 units
  EXPECT_EQ(cut_to_capacity("a\xF0\x9F\x8E\xB5", 4), "a\xF0\x9F\x8E\xB5");
  EXPECT_EQ(cut_to_capacity("abc", 0), "");
  EXPECT_EQ(cut_to_capacity("abc", 1), "");
}

TEST(Text, Utf16BigEndianDecodesPairsAndReplacesLoneSurrogates) {
  const uint8_t abc[] = {0x00, 'A', 0x30, 0x42, 0xD8, 0x3C, 0xDF, 0xB5};
  EXPECT_EQ(utf16be_to_utf8(abc), "Aあ\xF0\x9F\x8E\xB5");
  const uint8_t lone[] = {0xD8, 0x00, 0x00, 'x'};
  EXPECT_EQ(utf16be_to_utf8(lone), "\xEF\xBF\xBDx");
  const uint8_t odd[] = {0x00, 'A', 0x00};
  EXPECT_EQ(utf16be_to_utf8(odd), std::string("A") + '\0');
}

TEST(Text, ConversionToCp932AndAsciiWritesQuestionMarksForWhatDoesNotFit) {
  std::string out;
  ASSERT_TRUE(convert_from_utf8("LTCエラー数: 3\r\n", TextEncoding::kCp932, &out));
  EXPECT_EQ(out, "LTC\x83G\x83\x89\x81[\x90\x94: 3\r\n");
  ASSERT_TRUE(convert_from_utf8("a€bé", std::string("CP932"), &out));
  EXPECT_EQ(out, "a?b?");
  ASSERT_TRUE(convert_from_utf8("日本", std::string("ASCII"), &out));
  EXPECT_EQ(out, "??");
  ASSERT_TRUE(convert_from_utf8("x\xFFy", TextEncoding::kUtf8, &out));
  EXPECT_EQ(out, "x\xEF\xBF\xBDy");
  int error = 0;
  EXPECT_FALSE(convert_from_utf8("x", std::string("NO-SUCH-CODESET"), &out, &error));
  EXPECT_NE(error, 0);
}

TEST(Paths, NamesFoldersAndExtensions) {
  EXPECT_EQ(file_name("/media/show/prog.mxf"), "prog.mxf");
  EXPECT_EQ(file_name("prog.mxf"), "prog.mxf");
  EXPECT_EQ(name_after_separator("prog.mxf"), "");
  EXPECT_EQ(folder_of("/media/show/prog.mxf"), "/media/show");
  EXPECT_EQ(folder_of("/prog.mxf"), "/");
  EXPECT_EQ(extension_of("/a.b/take.WAV"), ".WAV");
  EXPECT_EQ(extension_of("/a.b/take"), "");
  EXPECT_EQ(join_path("/out/", "AUD1.wav"), "/out/AUD1.wav");
  EXPECT_EQ(absolute_path("/x/y"), "/x/y");
  EXPECT_EQ(absolute_path("y").front(), '/');
}

}  // namespace
}  // namespace tavrin::platform
