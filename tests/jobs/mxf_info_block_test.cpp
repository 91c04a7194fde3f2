// The "< MXF情報 >" block: every placeholder in its place, for hand-filled records.
#include "jobs/mxf_info_block.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrin::jobs {
namespace {

// A 29.97 drop-frame XDCAM-like file starting at 10:00:00;00, one minute long.
class MxfInfoBlock : public ::testing::Test {
 protected:
  void SetUp() override {
    MXF_BASE_INFO& base = records.base;
    base.fileSize = 123456789;
    base.creationDate = "2024/03/05  10:11:12";
    base.versionMajor = 1;
    base.versionMinor = 3;
    base.companyName = "ACME";
    base.productName = "Writer";
    base.versionString = "1.2.3";
    base.platform = "Linux";
    base.ancElementSize = 0;
    records.video.codingName = "MPEG2 422P@HL";
    records.video.codingIndex = 2;
    records.video.bitRate = 50000000;
    records.video.mpegField4 = 0;  // no scan information
    records.audio.sampleRate = 48000;
    records.audio.quantizationBits = 24;
    records.audio.trackCount = 8;
    records.audio.audioElementSize = 9632;
    MXF_TIMECODE_INFO& tc = records.timecode;
    tc.dropFrame = 1;
    tc.fpsCode = 2;
    tc.rateCode = 6;
    tc.startFrame = 1078920;  // 10:00:00;00
    tc.endFrame = 1078920 + 1799;
    tc.shiftedStart = tc.startFrame + 107892;
    tc.shiftedEnd = tc.shiftedStart + 1799;
    tc.duration = 1800;
    tc.indexEntryCount = 1800;
    tc.maxSegmentDuration = 1000;
    records.indexEntrySlot.resize(2);
    records.indexEntrySlot[0].deltaCount = 10;
  }
  std::string block() { return mxf_info_block("/media/prog/ABC_0001.mxf", records.base, when); }

  MxfRecords records;
  platform::LocalTime when{2026, 12, 7, 9, 8, 7};
};

TEST_F(MxfInfoBlock, WithoutScanInformationTheRateHasNoLetter) {
  EXPECT_EQ(block(),
            "< MXF情報 >\r\n"
            "ABC_0001.mxf\r\n"
            "/media/prog\r\n"
            "117.74 MB\r\n"
            "\r\n"
            "作成日: 2024/03/05  10:11:12\r\n"
            "更新日: 2026/12/07  09:08:07\r\n"
            "\r\n"
            "製品名: Writer 1.2.3\r\n"
            "    OS: Linux\r\n"
            "会社名: ACME\r\n"
            "\r\n"
            "MXF version = 1.3\r\n"
            "\r\n"
            "Video Codec        = MPEG2 422P@HL\r\n"
            "Bit Rate           = 50.00 Mb/s\r\n"
            "FPS                = 29.97\r\n"
            "Audio Sample       = 48000\r\n"
            "Audio Bit Depth    = 24\r\n"
            "Tracks             = 8\r\n"
            "Delta Entry        = 10\r\n"
            "Audio Element size = 9632\r\n"
            "Data Element size  = 0\r\n"
            "Segment Max frame  = 1000\r\n"
            "\r\n"
            "フレームレート = 29.97DF\r\n"
            "開始(フレーム) = 10:00:00.00 (1078920)\r\n"
            "終了(フレーム) = 10:00:59.29 (1080719)\r\n"
            "長さ(フレーム) = 00:01:00.02 (1800)\r\n"
            "\r\n"
            "想定フレーム数   = 1800\r\n"
            "実際のフレーム数 = 1800\r\n"
            "\r\n");
}

TEST_F(MxfInfoBlock, ScanLettersAndRateLabels) {
  records.video.mpegField4 = 2;
  EXPECT_NE(block().find("FPS                = 29.97i\r\n"), std::string::npos);
  records.video.mpegField4 = 1;
  EXPECT_NE(block().find("FPS                = 29.97p\r\n"), std::string::npos);
  records.video.mpegField4 = 0;
  records.video.codingIndex = 5;  // XAVC rows are progressive
  EXPECT_NE(block().find("FPS                = 29.97p\r\n"), std::string::npos);

  // Without the drop flag 29.97 and 59.94 count non-drop and the timecodes use ':'; with it both
  // are DF. A whole rate is NDF whatever the flag says.
  records.timecode.dropFrame = 0;
  EXPECT_NE(block().find("フレームレート = 29.97NDF\r\n開始(フレーム) = 09:59:24:00 (1078920)"),
            std::string::npos)
      << block();
  records.timecode.rateCode = 7;
  EXPECT_NE(block().find("フレームレート = 59.94NDF\r\n"), std::string::npos) << block();
  records.timecode.dropFrame = 1;
  EXPECT_NE(block().find("フレームレート = 59.94DF\r\n"), std::string::npos);
  records.timecode.rateCode = 3;
  EXPECT_NE(block().find("フレームレート = 60NDF\r\n"), std::string::npos);
}

TEST_F(MxfInfoBlock, LengthIsCountedInTheShiftedBaseInHour23) {
  // 23:59:30;00 for one minute runs past midnight; the plain end wraps, the shifted one does not.
  MXF_TIMECODE_INFO& tc = records.timecode;
  tc.startsInHour23 = 1;
  tc.startFrame = 2589408 - 900;
  tc.endFrame = 899;
  tc.shiftedStart = 107892 - 900;
  tc.shiftedEnd = tc.shiftedStart + 1799;
  const std::string text = block();
  EXPECT_NE(text.find("終了(フレーム) = 00:00:29.29 (899)\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("長さ(フレーム) = 00:01:00.02 (1800)\r\n"), std::string::npos) << text;
}

TEST(MxfInfoBlockRecords, MissingRecordsPrintAsZero) {
  MXF_BASE_INFO base;
  const std::string text = mxf_info_block("prog.mxf", base, platform::LocalTime{});
  EXPECT_EQ(text.find('\0'), std::string::npos);
  EXPECT_NE(text.find("prog.mxf\r\n\r\n0.00 bytes\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Delta Entry        = 0\r\n"), std::string::npos);
  EXPECT_NE(text.find("FPS                = 24\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tavrin::jobs
