// The WAV library: adding, the index array, sorting, removal, the drop rule and the messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>
#include <string_view>

#include "platform/file.h"
#include "support/wav_fixture.h"
#include "timecode/timecode.h"
#include "wav/wav_adding.h"
#include "wav/wav_entry_texts.h"
#include "wav/wav_library.h"
#include "wav/wav_messages.h"
#include "wav/wav_sort.h"
#include "wav_test_grid.h"

namespace tavrin {
namespace {

// "YYYY/MM/DD hh:mm:ss": digits where the pattern has '9', the other characters as they stand.
bool has_date_time_shape(std::string_view text) {
  constexpr std::string_view kShape = "9999/99/99 99:99:99";
  if (text.size() != kShape.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
    if (kShape[i] == '9' ? !digit : text[i] != kShape[i]) return false;
  }
  return true;
}

using test::WavParams;

class WavLibraryTest : public ::testing::Test {
 protected:
  // A mono 16-bit file of `frames` sample frames; a BWF file when `timeReference` is given.
  std::string put(const std::string& name, uint64_t frames = 4800,
                  std::optional<uint64_t> timeReference = std::nullopt) {
    WavParams params;
    params.channels = 1;
    params.bits = 16;
    params.sampleFrames = frames;
    params.timeReference = timeReference;
    const std::string path = dir.file(name);
    EXPECT_TRUE(test::write_wav(path, test::make_wav(params)));
    return path;
  }
  int32_t add(const std::string& path) { return add_wav_file(path, &library, grid.get()); }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const WAV_LIBRARY_ENTRY* entry : view) out.push_back(entry->file_name);
    return out;
  }

  test::ScratchDir dir;
  test::Grid grid = test::grid24();
  WAV_LIBRARY library;
  WavLibraryView view;
};

TEST_F(WavLibraryTest, AnAddedEntryCarriesItsTextsAndSortKeys) {
  const std::string path = put("take.wav", 96000, 2030);
  ASSERT_EQ(add(path), kWavAdded);
  ASSERT_EQ(library.count, 1);
  const WAV_LIBRARY_ENTRY& entry = library.entries.front();
  EXPECT_EQ(entry.file_path, path);
  EXPECT_EQ(entry.file_name, "take.wav");
  EXPECT_EQ(entry.library, &library);
  const uint64_t size = std::filesystem::file_size(path);
  EXPECT_EQ(entry.texts[kTextName], "take.wav");
  EXPECT_EQ(entry.texts[kTextChannels], "1");
  EXPECT_EQ(entry.texts[kTextBits], "16");
  EXPECT_EQ(entry.texts[kTextSampleRate], "48000");
  EXPECT_EQ(entry.texts[kTextStart], "00:00:00:01 +001 *0010");
  EXPECT_EQ(entry.texts[kTextEnd], "00:00:02:01 +001 *0010");
  EXPECT_EQ(entry.texts[kTextDuration], "00:00:02:00");
  EXPECT_EQ(entry.texts[kTextSize], tc::size_text(size));
  EXPECT_TRUE(has_date_time_shape(entry.texts[kTextCreated])) << entry.texts[kTextCreated];
  EXPECT_TRUE(has_date_time_shape(entry.texts[kTextUpdated])) << entry.texts[kTextUpdated];
  const std::array<uint64_t, 6> numbers = {1, 16, 48000, 1, 49, 48};
  EXPECT_TRUE(std::equal(numbers.begin(), numbers.end(), entry.sort_keys.begin()));
  EXPECT_EQ(entry.sort_keys[kSortSize], size);
  EXPECT_EQ(entry.sort_keys[kSortUpdated],
            platform::to_windows_file_time(entry.find_data.lastWrite));
}

TEST_F(WavLibraryTest, DropFrameTimecodesShowADotBeforeTheFrames) {
  const test::Grid ntsc(6, 2, 1);
  ASSERT_EQ(add_wav_file(put("df.wav", 16020), &library, ntsc.get()), kWavAdded);
  const WAV_LIBRARY_ENTRY& entry = library.entries.front();
  EXPECT_EQ(entry.texts[kTextStart], "00:00:00.00 +000 *0000");
  EXPECT_EQ(entry.texts[kTextDuration].substr(8, 1), ".");
}

TEST_F(WavLibraryTest, PathsAreComparedAsText) {
  const std::string path = put("take.wav");
  ASSERT_EQ(add(path), kWavAdded);
  EXPECT_EQ(add(path), kWavAddDuplicate);
  // The same file reached under other spellings is a new entry each time.
  EXPECT_EQ(add(dir.path() + "/./take.wav"), kWavAdded);
  std::filesystem::create_hard_link(path, dir.file("TAKE.wav"));
  EXPECT_EQ(add(dir.file("TAKE.wav")), kWavAdded);
  EXPECT_EQ(library.count, 3);
}

TEST_F(WavLibraryTest, RefusedFilesLeaveNoEntry) {
  EXPECT_EQ(add(dir.file("missing.wav")), kWavAddNotFound);
  WavParams cd;
  cd.sampleRate = 44100;
  ASSERT_TRUE(test::write_wav(dir.file("cd.wav"), test::make_wav(cd)));
  EXPECT_EQ(add(dir.file("cd.wav")), 8);
  ASSERT_TRUE(test::write_bytes(dir.file("text.wav"), {'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(add(dir.file("text.wav")), 7);
  const test::Grid unknownRate(8, 0, 0);
  EXPECT_EQ(add_wav_file(put("ok.wav"), &library, unknownRate.get()), 5);
  EXPECT_EQ(add_wav_file(put("ok.wav"), nullptr, grid.get()), kWavAddNoLibrary);
  // A real file whose path is longer than an entry holds: a cut path would name another file.
  std::string deep;
  for (int level = 0; level < 6; ++level) deep += "/" + std::string(200, 'd');
  std::filesystem::create_directories(dir.file("") + deep);
  const std::string longPath = put(deep.substr(1) + "/long.wav");
  ASSERT_TRUE(std::filesystem::exists(longPath));
  EXPECT_EQ(add(longPath), kWavAddNotFound);
  EXPECT_EQ(library.count, 0);
  EXPECT_TRUE(library.entries.empty());
}

TEST_F(WavLibraryTest, APathWithoutASeparatorHasAnEmptyName) {
  put("here.wav");
  const std::string before = std::filesystem::current_path();
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  const int32_t result = add("here.wav");
  ASSERT_EQ(::chdir(before.c_str()), 0);
  ASSERT_EQ(result, kWavAdded);
  EXPECT_EQ(library.entries.front().file_name, "");
  EXPECT_EQ(library.entries.front().file_path, "here.wav");
}

TEST_F(WavLibraryTest, SortingTogglesTheDirectionAndAddingRestoresTheOrder) {
  ASSERT_EQ(add(put("b.wav", 100, 3 * 2000)), kWavAdded);
  ASSERT_EQ(add(put("a.wav", 100, 1 * 2000)), kWavAdded);
  ASSERT_EQ(add(put("c.wav", 100, 2 * 2000)), kWavAdded);
  ASSERT_TRUE(rebuild_wav_index(library, view));
  ASSERT_EQ(names(), (std::vector<std::string>{"b.wav", "a.wav", "c.wav"}));

  sort_wav_library(library, view, kSortByName);
  EXPECT_EQ(names(), (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
  sort_wav_library(library, view, kSortByName);
  EXPECT_EQ(names(), (std::vector<std::string>{"c.wav", "b.wav", "a.wav"}));
  sort_wav_library(library, view, kSortStartFrame);  // another key, ascending again
  EXPECT_EQ(names(), (std::vector<std::string>{"a.wav", "c.wav", "b.wav"}));
  EXPECT_EQ(library.direction, WavSortDirection::kDescending);
  EXPECT_EQ(view[0]->index, 1);  // sorting moves pointers, not the index fields

  ASSERT_EQ(add(put("d.wav")), kWavAdded);
  ASSERT_TRUE(rebuild_wav_index(library, view));
  EXPECT_EQ(names(), (std::vector<std::string>{"b.wav", "a.wav", "c.wav", "d.wav"}));
  EXPECT_EQ(view.size(), 4u);
  for (size_t i = 0; i < view.size(); ++i) EXPECT_EQ(view[i]->index, static_cast<int32_t>(i));
}

TEST_F(WavLibraryTest, QuicksortOrdersEveryArrangementAndClipsItsRange) {
  // Sort keys set by hand: every permutation of a few values with repeats, both directions.
  std::vector<uint64_t> keys = {5, 1, 4, 1, 3, 9, 2, 6, 5};
  for (uint64_t key : keys) {
    WAV_LIBRARY_ENTRY& entry = library.entries.emplace_back();
    entry.sort_keys[kSortSize] = key;
  }
  library.count = static_cast<int32_t>(keys.size());
  std::sort(keys.begin(), keys.end());
  for (int round = 0; round < 200; ++round) {
    ASSERT_TRUE(rebuild_wav_index(library, view));
    std::shuffle(view.begin(), view.end(), std::mt19937(round));
    const bool up = round % 2 == 0;
    sort_wav_by_key(view, kSortSize, -3, 100,
                    up ? WavSortDirection::kAscending : WavSortDirection::kDescending);
    for (size_t i = 0; i < keys.size(); ++i) {
      ASSERT_EQ(view[i]->sort_keys[kSortSize], up ? keys[i] : keys[keys.size() - 1 - i]);
    }
  }
  WavLibraryView empty;
  sort_wav_by_name(empty, 0, -1, WavSortDirection::kAscending);
  sort_wav_by_key(view, 9, 0, 8, WavSortDirection::kAscending);  // no such key: nothing moves
}

TEST_F(WavLibraryTest, RemovalAsksForAssignedEntriesAndLeavesRoomForTen) {
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"})
    ASSERT_EQ(add(put(name)), kWavAdded);
  ASSERT_TRUE(rebuild_wav_index(library, view));
  auto it = library.entries.begin();
  it->selected = 1;  // a: selected, assigned
  it->assigned = 1;
  (++it)->selected = 1;  // b: selected
  std::vector<std::string> askedFor;
  std::vector<std::string> takenOff;
  const auto no = [&](const WAV_LIBRARY_ENTRY& e) {
    askedFor.push_back(e.file_name);
    return false;
  };
  const auto offTracks = [&](const WAV_LIBRARY_ENTRY& e) { takenOff.push_back(e.file_name); };

  WavRemoval removal = remove_selected_wav_files(library, view, no, offTracks);
  EXPECT_EQ(removal.removed, 1);
  EXPECT_FALSE(removal.message);
  EXPECT_EQ(askedFor, std::vector<std::string>{"a.wav"});
  EXPECT_EQ(takenOff, std::vector<std::string>{"b.wav"});
  EXPECT_EQ(names(), (std::vector<std::string>{"a.wav", "c.wav", "d.wav"}));
  EXPECT_EQ(library.count, 3);
  EXPECT_GE(view.capacity(), 3u + 10u);

  for (WAV_LIBRARY_ENTRY& entry : library.entries) entry.selected = 1;
  removal = remove_selected_wav_files(
      library, view, [](const WAV_LIBRARY_ENTRY&) { return true; }, offTracks);
  EXPECT_EQ(removal.removed, 3);
  EXPECT_EQ(library.count, 0);
  EXPECT_TRUE(view.empty());
  EXPECT_EQ(view.capacity(), 0u);
  EXPECT_EQ(takenOff.size(), 4u);
}

TEST_F(WavLibraryTest, DroppedWavFilesAreAddedOnlyWhileAnMxfFileIsLoaded) {
  const std::string one = put("one.WAV");
  const std::string two = put("two.bwf");
  bool loaded = false;
  std::vector<std::string> paths = {one, dir.file("movie.MXF"), two, dir.file("notes.txt"),
                                    dir.file("long.WAVE")};
  std::vector<std::string> loading;
  const WavAddOutcome outcome = drop_files(
      paths, library, view, grid.get(), [&] { return loaded; },
      [&](const std::string& mxf) {
        loading.push_back(mxf);
        loaded = true;
      });
  // Capitals of the extension count as small letters, but the names stay as dropped.
  EXPECT_EQ(paths[0], one);
  EXPECT_EQ(outcome.mxfPaths, std::vector<std::string>{dir.file("movie.MXF")});
  EXPECT_EQ(loading, outcome.mxfPaths);
  EXPECT_TRUE(outcome.wavMet);
  // The file before the MXF file was met while nothing was loaded; it does not come back.
  EXPECT_EQ(names(), std::vector<std::string>{"two.bwf"});
  EXPECT_TRUE(outcome.indexRebuilt);
  EXPECT_TRUE(outcome.messages.empty());

  std::vector<std::string> again = {one};
  const WavAddOutcome unloaded = drop_files(again, library, view, grid.get(), [] { return false; });
  EXPECT_EQ(unloaded.added, 0);
  ASSERT_EQ(unloaded.messages.size(), 1u);
  EXPECT_EQ(unloaded.messages[0].caption, "BWF(WAV)ファイルのロード");
  EXPECT_FALSE(unloaded.indexRebuilt);

  // With a file loaded, "one.WAV" is added under its own name (no "one.wav" exists).
  const WavAddOutcome capitals = drop_files(again, library, view, grid.get(), [] { return true; });
  EXPECT_EQ(capitals.added, 1);
  EXPECT_EQ(library.entries.back().file_path, one);
}

TEST_F(WavLibraryTest, RefusedAddsComeBackAsMessagesInOrder) {
  const std::string good = put("good.wav");
  const WavAddOutcome outcome =
      add_wav_files({good, dir.file("gone.wav"), good}, library, view, grid.get());
  EXPECT_EQ(outcome.added, 1);
  ASSERT_EQ(outcome.messages.size(), 2u);
  EXPECT_EQ(
      outcome.messages[0].text,
      dir.file("gone.wav") + "\n\n16/24bit/48kHzになっていないため追加できません。\n(ERR: 8)");
  EXPECT_EQ(outcome.messages[1].text, good + "\nこのファイルは既に追加されています。)");
  EXPECT_EQ(outcome.messages[1].caption, "BWF(WAV)ファイルを追加");
  EXPECT_EQ(outcome.messages[1].icon, MessageIcon::kWarning);
  EXPECT_EQ(view.size(), 1u);

  std::vector<std::string> dropped = {good};
  const WavAddOutcome drop = drop_files(dropped, library, view, grid.get(), [] { return true; });
  ASSERT_EQ(drop.messages.size(), 1u);
  EXPECT_EQ(drop.messages[0].caption, "ドロップされたファイル");
}

TEST(WavMessages, TextsDependOnTheCodeAndTheOrigin) {
  const auto text = [](int32_t code, WavAddOrigin origin) {
    return add_message_for(code, "/m/a.wav", origin).value().text;
  };
  EXPECT_FALSE(add_message_for(0, "/m/a.wav", WavAddOrigin::kDrop));
  EXPECT_EQ(text(6, WavAddOrigin::kOpenDialog), "ファイル処理でエラーが発生しました。\n(ERR: 6)");
  EXPECT_EQ(text(2, WavAddOrigin::kDrop), "ファイル処理でエラーが発生しました。\nERR: 2");
  EXPECT_EQ(text(5, WavAddOrigin::kDrop),
            "/m/a.wav\nチャンクサイズが取得できないため追加できません。\nERR: 5");
  EXPECT_EQ(text(7, WavAddOrigin::kOpenDialog),
            "/m/a.wav\nWAVEファイルではないため追加できません。\n(ERR: 7)");
  EXPECT_EQ(text(8, WavAddOrigin::kDrop),
            "/m/a.wav\nビットレートが16/24bit 48kHzになっていないため追加できません。\nERR: 8");
  WAV_LIBRARY_ENTRY entry;
  entry.file_path = "/m/a.wav";
  const UserMessage ask = removal_confirmation(entry);
  EXPECT_EQ(ask.text,
            "/m/a.wav\n\nこのファイルはトラックにアサインされています。\n削除してもいいですか？");
  EXPECT_TRUE(ask.yesNo);
  EXPECT_EQ(ask.caption, "MXF Tavrin");
}

}  // namespace
}  // namespace tavrin
