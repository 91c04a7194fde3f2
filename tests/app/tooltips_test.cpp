#include "app/tooltips.h"

#include <gtest/gtest.h>

#include "wav/wav_entry_texts.h"

namespace tavrin::app {
namespace {

TEST(Tooltips, WithoutAFileOrTrack) {
  APP_STATE_INFO app;
  const TooltipText mxf = mxf_tooltip(app);
  EXPECT_EQ(mxf.text, "情報はありません。");
  EXPECT_EQ(mxf.maxWidth, 200);
  const TooltipText track = track_tooltip(app, 0);
  EXPECT_EQ(track.text, "ファイルが割当てられていません。");
  EXPECT_EQ(track.maxWidth, 200);
}

TEST(Tooltips, LoadedFileFacts) {
  APP_STATE_INFO app;
  app.mxfLoaded = 1;
  app.mxfPath = "/media/programme/show.mxf";
  app.mxf().fileSize = 2048;
  app.mxf().creationDate = "2024/05/17 09:30:15";
  app.mxf().modifiedDate = "2024/05/18 10:00:00";
  app.mxf().productName = "Writer";
  app.mxf().versionString = "1.2";
  app.mxf().platform = "Linux";
  app.mxf().companyName = "Studio";
  app.mxf().versionMajor = 1;
  app.mxf().versionMinor = 3;
  app.mxf().ancElementSize = 0;
  app.audio().audioElementSize = 5780;
  app.audio().blockAlign = 3;
  const TooltipText tip = mxf_tooltip(app);
  EXPECT_EQ(tip.maxWidth, 600);
  EXPECT_EQ(
      tip.text,
      "show.mxf\n/media/programme\n2.00 KB\n\n作成日: 2024/05/17 09:30:15\n更新日: "
      "2024/05/18 10:00:00\n\n製品名: Writer Version: 1.2  OS: Linux\n会社名: Studio\n\nMXF "
      "Version: 1.3\nDeltaEntry: 0 ,AudioElemSize: 5780,DataElemSize: 0 , SampleBlockSize: 3");
}

TEST(Tooltips, AssignedTrackNamesTheFileAndItsOwnFolder) {
  APP_STATE_INFO app;
  app.mxfLoaded = 1;
  app.mxfPath = "/media/programme/show.mxf";
  app.audio().trackCount = 4;
  WAV_LIBRARY_ENTRY entry;
  entry.file_name = "mix.wav";
  entry.file_path = "/media/audio/mix.wav";
  entry.info.bits_per_sample = 24;
  entry.info.channels = 2;
  entry.texts[kTextSize] = "1.00 MB";
  entry.texts[kTextStart] = "10:00:00:00 +000 *0000";
  entry.texts[kTextEnd] = "10:00:10:00 +000 *0000";
  entry.texts[kTextDuration] = "00:00:10:00";
  app.tracks.wavEntry[1] = &entry;
  const TooltipText tip = track_tooltip(app, 1);
  EXPECT_EQ(tip.maxWidth, 600);
  EXPECT_EQ(tip.text,
            "トラック: 2\n\nmix.wav\n/media/audio\n1.00 MB\n\nビット数: 24  チャンネル数: "
            "2\n\n開始: 10:00:00:00 +000 *0000\n終了: 10:00:10:00 +000 *0000\n長さ: 00:00:10:00");
  // A slot beyond the file's tracks has no file, whatever it points to.
  app.tracks.wavEntry[5] = &entry;
  EXPECT_EQ(track_tooltip(app, 5).text, "ファイルが割当てられていません。");
  EXPECT_EQ(track_tooltip(app, -1).text, "ファイルが割当てられていません。");
}

}  // namespace
}  // namespace tavrin::app
