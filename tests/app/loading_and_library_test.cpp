// Loading an MXF fixture, dropping files on the window, removing library files and the status
// bar: the refusals with their captions, what a drop loads and adds, and what a new file starts
// with.
#include <gtest/gtest.h>

#include <cerrno>

#include "app/command_state.h"
#include "app/inout.h"
#include "app/library_files.h"
#include "app/list_selection.h"
#include "app/mxf_loading.h"
#include "app/track_assignment.h"
#include "app_test_support.h"
#include "platform/text.h"
#include "support/mxf_fixture.h"
#include "support/wav_fixture.h"

namespace tavrin::app {
namespace {

using test::add_entry;
using test::analysis_dialog;
using test::load_without_file;

class LoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mxf = dir.file("programme.mxf");
    ASSERT_TRUE(tavrin::test::write_mxf_fixture(mxf, tavrin::test::MxfFixtureOptions{}));
    tavrin::test::WavParams params;
    params.channels = 1;
    params.sampleFrames = 480;
    params.timeReference = 0;
    for (const char* name : {"a.wav", "b.WAV", "c.bwf"}) {
      wavs.push_back(dir.file(name));
      ASSERT_TRUE(tavrin::test::write_wav(wavs.back(), tavrin::test::make_wav(params)));
    }
  }

  tavrin::test::ScratchDir dir;
  std::string mxf;
  std::vector<std::string> wavs;
};

TEST_F(LoadingTest, AMenuLoadAnalysesTheFileAndStartsWithEveryTrackOff) {
  APP_STATE_INFO app;
  const LoadStart start = load_mxf(app, mxf, LoadOrigin::kMenu, analysis_dialog());
  EXPECT_TRUE(start.started);
  EXPECT_TRUE(start.messages.empty());
  ASSERT_EQ(app.mxfLoaded, 1);
  EXPECT_EQ(app.mxfPath, mxf);
  EXPECT_FALSE(app.mxfHandle.valid());  // closed once the analysis dialog has returned
  ASSERT_EQ(app.existing_tracks(), 8u);
  for (size_t t = 0; t < kTrackSlots; ++t) {
    const uint8_t want = t < 8 ? kTrackOff : kTrackAbsent;
    EXPECT_EQ(app.tracks.trackSwitch[t], want) << t;
    EXPECT_EQ(app.tracks.exportMark[t], want) << t;
  }
  EXPECT_EQ(app.selectedTrack[0], 1);
  // The file is free again: another program may open it exclusively.
  platform::Status status;
  EXPECT_TRUE(open_mxf_for_analysis(mxf, &status).valid());
}

// The index of a file with more than 24 tracks has more delta entries than the analysis takes:
// the file is refused, and the refusal leaves the empty state with every slot at switch 2.
TEST_F(LoadingTest, AFileOfTwentySixTracksIsRefusedAndLeavesTheEmptyState) {
  tavrin::test::MxfFixtureOptions options;
  options.trackCount = 26;
  const std::string wide = dir.file("wide.mxf");
  ASSERT_TRUE(tavrin::test::write_mxf_fixture(wide, options));
  APP_STATE_INFO app;
  ASSERT_TRUE(load_mxf(app, wide, LoadOrigin::kMenu, analysis_dialog()).started);
  EXPECT_EQ(app.mxfLoaded, 0);
  EXPECT_TRUE(app.mxfPath.empty());
  EXPECT_EQ(app.existing_tracks(), 0u);
  for (size_t t = 0; t < kTrackSlots; ++t) EXPECT_EQ(app.tracks.trackSwitch[t], kTrackAbsent);
  EXPECT_FALSE(command_enabled(app, kCmdSetIn));
  EXPECT_TRUE(command_enabled(app, kCmdLoadMxf));
}

TEST_F(LoadingTest, ASecondLoadIsRefusedWithTheCaptionOfItsOrigin) {
  APP_STATE_INFO app;
  ASSERT_TRUE(load_mxf(app, mxf, LoadOrigin::kMenu, analysis_dialog()).started);
  for (const LoadOrigin origin : {LoadOrigin::kMenu, LoadOrigin::kDrop}) {
    bool analysed = false;
    const LoadStart start =
        load_mxf(app, wavs[0], origin, [&](APP_STATE_INFO&) { analysed = true; });
    EXPECT_FALSE(start.started);
    EXPECT_FALSE(analysed);
    ASSERT_EQ(start.messages.size(), 1u);
    EXPECT_EQ(start.messages[0].text,
              "MXFファイルはすでにロードされています。\n[ファイル]→[MXFファイルをアンロード]を行"
              "ってください。");
    EXPECT_EQ(start.messages[0].caption,
              origin == LoadOrigin::kMenu ? "MXF Tavrin" : "MXFファイルのロード");
    EXPECT_EQ(start.messages[0].icon, MessageIcon::kInformation);
    EXPECT_EQ(app.mxfPath, mxf);
    EXPECT_EQ(app.mxfLoaded, 1);
  }
}

TEST_F(LoadingTest, AnOpenFailureNamesTheFileAndTheSystemErrorInHex) {
  APP_STATE_INFO app;
  const LoadStart missing = begin_load(app, dir.file("gone.mxf"), LoadOrigin::kMenu);
  ASSERT_EQ(missing.messages.size(), 1u);
  EXPECT_EQ(missing.messages[0].text,
            platform::format("gone.mxf\n\nMXFファイルをロードできません。\n接続デバイス、他のアプリ"
                             "で使用していないか確認して下さい。\nERR: %X",
                             ENOENT));
  EXPECT_EQ(missing.messages[0].caption, "MXF Tavrin");
  EXPECT_EQ(missing.messages[0].icon, MessageIcon::kError);

  // Held by another reader: the lock refuses the file (EWOULDBLOCK, "B").
  platform::Status status;
  const platform::File held = open_mxf_for_analysis(mxf, &status);
  ASSERT_TRUE(held.valid());
  const LoadStart locked = begin_load(app, mxf, LoadOrigin::kDrop);
  EXPECT_FALSE(locked.started);
  ASSERT_EQ(locked.messages.size(), 1u);
  EXPECT_EQ(locked.messages[0].text,
            "programme.mxf\n\nMXFファイルを開くことができません。\n他のアプリで使用していないか"
            "、または接続デバイスを確認して下さい。\nERR: B");
  EXPECT_EQ(locked.messages[0].caption, "MXFファイルのロード");
  EXPECT_TRUE(app.mxfPath.empty());
}

TEST_F(LoadingTest, AFailedAnalysisLeavesTheEmptyState) {
  APP_STATE_INFO app;
  const LoadStart start =
      load_mxf(app, mxf, LoadOrigin::kMenu, [](APP_STATE_INFO& a) { a.analysisOk = 0; });
  EXPECT_TRUE(start.started);
  EXPECT_EQ(app.mxfLoaded, 0);
  EXPECT_TRUE(app.mxfPath.empty());
  EXPECT_FALSE(app.mxfHandle.valid());
  EXPECT_EQ(app.tracks.trackSwitch[0], kTrackAbsent);
}

TEST_F(LoadingTest, ANewFileNeverInheritsARangeItWasNotGiven) {
  APP_STATE_INFO app;
  ASSERT_TRUE(load_mxf(app, mxf, LoadOrigin::kMenu, analysis_dialog()).started);
  ASSERT_FALSE(enter_in(app, "10000010"));
  ASSERT_TRUE(enter_in(app, "1"));  // withdrawn: its counts stay behind
  app.tracks.exportIn = app.tracks.exportOut = {40, 40};
  app.exportInSet = app.exportOutSet = 1;
  unload(app);
  const std::array<uint32_t, 2> zero{};
  EXPECT_EQ(app.inFrames, zero);
  EXPECT_EQ(app.tracks.exportIn, zero);
  EXPECT_EQ(app.exportInSet + app.exportOutSet, 0);

  // Whatever is left in the record, a load starts without a range.
  app.inFrames = app.tracks.exportIn = app.tracks.exportOut = {7, 7};
  app.exportInSet = app.exportOutSet = 1;
  ASSERT_TRUE(load_mxf(app, mxf, LoadOrigin::kMenu, analysis_dialog()).started);
  EXPECT_EQ(app.inFrames, zero);
  EXPECT_EQ(app.tracks.exportIn, zero);
  EXPECT_EQ(app.tracks.exportOut, zero);
  EXPECT_EQ(app.exportInSet + app.exportOutSet, 0);
  // An OUT before the old IN is accepted: no IN is set.
  EXPECT_FALSE(enter_out(app, "10000000"));
}

TEST_F(LoadingTest, AnMxfFileDroppedWithWavFilesLoadsAndAddsNoneOfThem) {
  APP_STATE_INFO app;
  const DropOutcome drop = drop_files(app, {wavs[0], mxf, wavs[1], dir.file("notes.txt")});
  EXPECT_EQ(drop.added, 0);
  ASSERT_EQ(drop.messages.size(), 1u);  // WAV files need a loaded MXF file
  EXPECT_EQ(drop.messages[0].caption, "BWF(WAV)ファイルのロード");
  ASSERT_TRUE(drop.mxfToLoad);
  EXPECT_EQ(*drop.mxfToLoad, mxf);
  ASSERT_TRUE(load_mxf(app, *drop.mxfToLoad, LoadOrigin::kDrop, analysis_dialog()).started);
  EXPECT_EQ(app.mxfLoaded, 1);
  EXPECT_EQ(app.library.count, 0);
  EXPECT_EQ(app.libraryShown, 0);
}

TEST_F(LoadingTest, TwoMxfFilesDroppedLoadNeither) {
  const std::string other = dir.file("other.MXF");
  ASSERT_TRUE(tavrin::test::write_mxf_fixture(other, tavrin::test::MxfFixtureOptions{}));
  APP_STATE_INFO app;
  const DropOutcome drop = drop_files(app, {mxf, other});
  EXPECT_FALSE(drop.mxfToLoad);
  ASSERT_EQ(drop.messages.size(), 1u);
  EXPECT_EQ(drop.messages[0].text,
            "一度にロードできるMXFファイルは１つだけです。\nラッピングミスを防ぐため処理を中断"
            "します。");
  EXPECT_EQ(drop.messages[0].caption, "ドロップされたファイル");
  EXPECT_EQ(drop.messages[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(app.mxfLoaded, 0);
}

TEST_F(LoadingTest, WavFilesDroppedOnALoadedFileAreAddedAndTheListIsShown) {
  APP_STATE_INFO app;
  ASSERT_TRUE(load_mxf(app, mxf, LoadOrigin::kMenu, analysis_dialog()).started);
  DropOutcome drop = drop_files(app, {wavs[0], wavs[1], wavs[0]});
  EXPECT_EQ(drop.added, 2);
  ASSERT_EQ(drop.messages.size(), 1u);  // the duplicate
  EXPECT_EQ(drop.messages[0].caption, "ドロップされたファイル");
  EXPECT_TRUE(drop.listChanged);
  EXPECT_EQ(app.libraryShown, 1);
  EXPECT_EQ(app.libraryView.size(), 2u);

  // With an MXF file in the drop the files are added, the load refused, the list not shown.
  app.libraryShown = 0;
  drop = drop_files(app, {wavs[2], mxf});
  EXPECT_EQ(drop.added, 1);
  EXPECT_EQ(app.libraryShown, 0);
  ASSERT_TRUE(drop.mxfToLoad);
  const LoadStart refused = begin_load(app, *drop.mxfToLoad, LoadOrigin::kDrop);
  ASSERT_EQ(refused.messages.size(), 1u);
  EXPECT_EQ(refused.messages[0].caption, "MXFファイルのロード");

  // The open dialog adds and shows the list; a refused file does not stop the next.
  const LibraryAdd add = add_wav_files(app, {dir.file("missing.wav"), wavs[2]});
  EXPECT_EQ(add.messages.size(), 2u);
  EXPECT_EQ(add.messages[0].caption, "BWF(WAV)ファイルを追加");
  EXPECT_EQ(app.libraryShown, 1);
}

TEST_F(LoadingTest, WavFilesAreAddedOnlyWhileAFileIsLoaded) {
  APP_STATE_INFO app;
  const LibraryAdd add = add_wav_files(app, wavs);
  EXPECT_EQ(add.added, 0);
  EXPECT_EQ(app.library.count, 0);
  EXPECT_EQ(app.libraryShown, 0);
}

TEST(LibraryRemoval, NoKeepsTheFileAndItsTracksYesClearsEveryTrackThatHeldIt) {
  APP_STATE_INFO app;
  load_without_file(app, 8);
  WAV_LIBRARY_ENTRY* stereo = add_entry(app, "st.wav", 2);
  WAV_LIBRARY_ENTRY* mono = add_entry(app, "mo.wav", 1);
  ASSERT_FALSE(assign_file(app, stereo, 0));
  ASSERT_FALSE(assign_file(app, stereo, 4));
  ASSERT_FALSE(assign_file(app, mono, 2));
  app.selectedTrack.fill(1);
  app.currentTrack = 1;
  app.firstVisibleTrack = 2;
  apply_list_selection(app, {0}, 0);

  std::vector<UserMessage> asked;
  LibraryRemoval removal = delete_selected_library_files(app, [&](const UserMessage& q) {
    asked.push_back(q);
    return false;
  });
  EXPECT_EQ(removal.removed, 0);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text,
            "/audio/st.wav\n\nこのファイルはトラックにアサインされています。\n削除してもいいですか"
            "？");
  EXPECT_EQ(asked[0].caption, "MXF Tavrin");
  EXPECT_TRUE(asked[0].yesNo);
  EXPECT_EQ(app.library.count, 2);
  EXPECT_EQ(app.tracks.wavEntry[0], stereo);
  EXPECT_EQ(app.tracks.wavEntry[5], stereo);

  apply_list_selection(app, {0}, 0);
  removal = delete_selected_library_files(app, [](const UserMessage&) { return true; });
  EXPECT_EQ(removal.removed, 1);
  EXPECT_TRUE(removal.messages.empty());
  for (const size_t t : {0u, 1u, 4u, 5u}) {
    EXPECT_EQ(app.tracks.wavEntry[t], nullptr) << t;
    EXPECT_EQ(app.stereoTrack[t], 0) << t;
    EXPECT_EQ(app.selectedTrack[t], t == 1 ? 1 : 0) << t;
  }
  EXPECT_EQ(app.tracks.wavEntry[2], mono);
  EXPECT_EQ(app.selectedTrack[2], 1);
  EXPECT_EQ(app.firstVisibleTrack, 0);
  EXPECT_EQ(app.library.count, 1);
  EXPECT_EQ(app.selectedCount, 0);

  // An unassigned file goes without a question.
  apply_list_selection(app, {0}, 0);
  mono->assigned = 0;
  removal = delete_selected_library_files(app, {});
  EXPECT_EQ(removal.removed, 1);
  EXPECT_TRUE(app.libraryView.empty());
}

TEST(LibraryList, TheStatusBarAndTheAssignCommandFollowTheListSelection) {
  APP_STATE_INFO app;
  load_without_file(app, 8);
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) add_entry(app, name, 1);
  app.libraryShown = 1;

  StatusTexts texts = apply_list_selection(app, {0, 1, 2}, 1);
  EXPECT_EQ(texts.files, "WAV/BWFファイル :  3個    3個を選択中");
  EXPECT_EQ(texts.path, "/audio/b.wav");
  EXPECT_FALSE(command_enabled(app, kCmdAssign));

  texts = apply_list_selection(app, {2, 2, 9, -1}, -1);  // rows outside are ignored
  EXPECT_EQ(texts.files, "WAV/BWFファイル :  3個    1個を選択中");
  EXPECT_EQ(texts.path, "パス情報はありません。");
  EXPECT_EQ(app.focusedIndex, -1);
  EXPECT_TRUE(command_enabled(app, kCmdAssign));
  EXPECT_EQ(app.libraryView[2]->selected, 1);
  EXPECT_EQ(app.libraryView[0]->selected, 0);

  EXPECT_EQ(library_count_text(12, 10), "WAV/BWFファイル : 12個   10個を選択中");
}

TEST(LibraryList, ASortCommandTwiceReversesTheOrderAndKeepsTheSelectedEntries) {
  APP_STATE_INFO app;
  load_without_file(app, 2);
  WAV_LIBRARY_ENTRY* b = add_entry(app, "b.wav", 2);
  WAV_LIBRARY_ENTRY* a = add_entry(app, "a.wav", 1);
  WAV_LIBRARY_ENTRY* c = add_entry(app, "c.wav", 1);
  apply_list_selection(app, {0}, 0);  // b.wav
  EXPECT_EQ(sort_library(app, kCmdSortName), std::vector<int32_t>{1});
  EXPECT_EQ(app.libraryView, (WavLibraryView{a, b, c}));
  EXPECT_EQ(sort_library(app, kCmdSortName), std::vector<int32_t>{1});
  EXPECT_EQ(app.libraryView, (WavLibraryView{c, b, a}));
  sort_library(app, kCmdSortChannels);  // ascending again
  EXPECT_EQ(app.libraryView.back(), b);
  sort_library(app, kCmdExit);  // no sort command
  EXPECT_EQ(app.libraryView.back(), b);
}

}  // namespace
}  // namespace tavrin::app
