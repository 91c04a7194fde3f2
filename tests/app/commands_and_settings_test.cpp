// The command table as the window builds its menus from it, the enabled state of every command
// and button in every state of the working set, and the settings values.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/command_state.h"
#include "app/command_table.h"
#include "app/list_selection.h"
#include "app/settings.h"
#include "app/undo.h"
#include "app_test_support.h"
#include "wav/wav_sort.h"

namespace tavrin::app {
namespace {

using test::add_entry;
using test::load_without_file;

const std::set<int32_t> kAlways = {kCmdExit, kCmdSettings, kCmdAbout};
const std::set<int32_t> kSorts = {32868, 32869, 32870, 32871, 32872,
                                  32882, 32873, 32874, 32875, 32876};

std::set<int32_t> with(std::set<int32_t> base, const std::set<int32_t>& more) {
  base.insert(more.begin(), more.end());
  return base;
}

std::set<int32_t> without(std::set<int32_t> base, int32_t id) {
  base.erase(id);
  return base;
}

// The states of the working set, each with the commands and buttons that are enabled in it.
struct StateCase {
  const char* name;
  void (*make)(APP_STATE_INFO&);
  std::set<int32_t> commands;
  std::set<int32_t> buttons;
  bool inLabel;
  bool outLabel;
};

void loaded(APP_STATE_INFO& app) {
  load_without_file(app, 8);
}
void with_files(APP_STATE_INFO& app, std::vector<int32_t> selected, bool shown) {
  loaded(app);
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) add_entry(app, name, 1);
  apply_list_selection(app, selected, selected.empty() ? -1 : selected[0]);
  app.libraryShown = shown ? 1 : 0;
}

const std::set<int32_t> kLoadedTrackView =
    with(kAlways, {kCmdUnloadMxf, kCmdAddWav, kCmdExport, kCmdToggleLibrary, kCmdOpenMxfFolder,
                   kCmdSelectAll, kCmdDelete, kCmdToggleAllSwitches, kCmdToggleSelectedSwitches,
                   kCmdSetIn, kCmdSetOut, kCmdLoudness});
const std::set<int32_t> kLoadedEmptyList =
    with(kAlways, {kCmdUnloadMxf, kCmdAddWav, kCmdExport, kCmdToggleLibrary, kCmdOpenMxfFolder,
                   kCmdSetIn, kCmdSetOut, kCmdLoudness});
const std::set<int32_t> kLoadedButtons = {kButtonLibrary, kButtonExport, kButtonIn, kButtonOut,
                                          kButtonDuration};

const StateCase kStates[] = {
    {"empty", [](APP_STATE_INFO&) {}, with(kAlways, {kCmdLoadMxf}), {kButtonLoad}, false, false},
    {"empty with stale points",
     [](APP_STATE_INFO& app) { app.inSet = app.outSet = 1; },
     with(kAlways, {kCmdLoadMxf}),
     {kButtonLoad},
     false,
     false},
    {"loaded", loaded, kLoadedTrackView, kLoadedButtons, true, false},
    {"loaded, IN set",
     [](APP_STATE_INFO& app) {
       loaded(app);
       app.inSet = 1;
     },
     kLoadedTrackView, kLoadedButtons, true, true},
    {"loaded, IN and OUT set",
     [](APP_STATE_INFO& app) {
       loaded(app);
       app.inSet = app.outSet = 1;
     },
     with(kLoadedTrackView, {kCmdWrap}), with(kLoadedButtons, {kButtonWrap}), true, true},
    {"loaded, OUT only",
     [](APP_STATE_INFO& app) {
       loaded(app);
       app.outSet = 1;
     },
     kLoadedTrackView, kLoadedButtons, true, false},
    {"empty list shown",
     [](APP_STATE_INFO& app) {
       loaded(app);
       app.libraryShown = 1;
     },
     kLoadedEmptyList, kLoadedButtons, true, false},
    {"list shown, nothing selected", [](APP_STATE_INFO& app) { with_files(app, {}, true); },
     with(with(kLoadedEmptyList, {kCmdSelectAll, kCmdDelete}), kSorts), kLoadedButtons, true,
     false},
    {"list shown, one file selected", [](APP_STATE_INFO& app) { with_files(app, {1}, true); },
     with(with(kLoadedEmptyList, {kCmdSelectAll, kCmdDelete, kCmdAssign, kCmdWavLoudness}), kSorts),
     kLoadedButtons, true, false},
    // A running measurement turns off both loudness commands and nothing else.
    {"list shown, one file selected, a job running",
     [](APP_STATE_INFO& app) {
       with_files(app, {1}, true);
       app.jobRunning = true;
     },
     with(with(without(kLoadedEmptyList, kCmdLoudness), {kCmdSelectAll, kCmdDelete, kCmdAssign}),
          kSorts),
     kLoadedButtons, true, false},
    {"list shown, two files selected",
     [](APP_STATE_INFO& app) {
       with_files(app, {0, 2}, true);
     },
     with(with(kLoadedEmptyList, {kCmdSelectAll, kCmdDelete}), kSorts), kLoadedButtons, true,
     false},
    {"track view, one file selected", [](APP_STATE_INFO& app) { with_files(app, {1}, false); },
     kLoadedTrackView, kLoadedButtons, true, false},
    // "元に戻す" after a completed wrap, while no other job runs; a flag left from an unloaded
    // file enables nothing.
    {"loaded, last wrap completed",
     [](APP_STATE_INFO& app) {
       loaded(app);
       app.undoOffered = 1;
     },
     with(kLoadedTrackView, {kCmdUndo}), kLoadedButtons, true, false},
    {"loaded, last wrap completed, a job running",
     [](APP_STATE_INFO& app) {
       loaded(app);
       app.undoOffered = 1;
       app.jobRunning = true;
     },
     without(kLoadedTrackView, kCmdLoudness), kLoadedButtons, true, false},
    // "元に戻すための記録を破棄" while a journal of the loaded file is on disk and no job runs.
    {"loaded, a journal kept",
     [](APP_STATE_INFO& app) {
       loaded(app);
       app.journalKept = 1;
     },
     with(kLoadedTrackView, {kCmdDiscardJournal}), kLoadedButtons, true, false},
    {"loaded, a journal kept, a job running",
     [](APP_STATE_INFO& app) {
       loaded(app);
       app.journalKept = 1;
       app.jobRunning = true;
     },
     without(kLoadedTrackView, kCmdLoudness), kLoadedButtons, true, false},
    {"empty with a stale undo flag",
     [](APP_STATE_INFO& app) {
       app.undoOffered = 1;
       app.journalKept = 1;
     },
     with(kAlways, {kCmdLoadMxf}),
     {kButtonLoad},
     false,
     false},
    {"loaded without tracks",
     [](APP_STATE_INFO& app) {
       load_without_file(app, 0);
       app.inSet = 1;
     },
     with(kAlways, {kCmdUnloadMxf, kCmdAddWav, kCmdExport, kCmdToggleLibrary, kCmdOpenMxfFolder,
                    kCmdSelectAll, kCmdDelete, kCmdToggleAllSwitches, kCmdToggleSelectedSwitches}),
     kLoadedButtons, false, false},
};

TEST(CommandState, EveryCommandAndButtonInEveryState) {
  for (const StateCase& state : kStates) {
    SCOPED_TRACE(state.name);
    APP_STATE_INFO app;
    state.make(app);
    const CommandStates states = command_state(app);
    for (const CommandInfo& command : kCommands) {
      const bool want = state.commands.count(command.id) != 0;
      EXPECT_EQ(states.command(command.id), want) << command.id << " " << command.menuText;
      EXPECT_EQ(command_enabled(app, command.id), want) << command.id;
    }
    for (const ButtonInfo& button : kButtons) {
      EXPECT_EQ(states.button(button.id), state.buttons.count(button.id) != 0) << button.id;
    }
    EXPECT_EQ(states.inLabelOpens, state.inLabel);
    EXPECT_EQ(states.outLabelOpens, state.outLabel);
  }
  APP_STATE_INFO app;
  EXPECT_FALSE(command_state(app).command(5008));  // a button id is no command
  EXPECT_FALSE(command_enabled(app, 1));
}

// Every item of a menu tree, depth first.
void collect(std::span<const MenuItem> items, std::vector<const MenuItem*>* out) {
  for (const MenuItem& item : items) {
    out->push_back(&item);
    if (item.kind == MenuItemKind::kPopup) collect(item.items, out);
  }
}

TEST(CommandTable, TheMainMenuHoldsEveryCommandOnceWithItsOwnText) {
  std::vector<const MenuItem*> items;
  std::vector<std::string_view> titles;
  for (const MenuPopup& popup : kMainMenu) {
    titles.push_back(popup.title);
    collect(popup.items, &items);
  }
  EXPECT_EQ(titles,
            (std::vector<std::string_view>{"ファイル(&F)", "操作(&M)", "設定(&P)", "ヘルプ(&H)"}));
  std::map<int32_t, int> seen;
  std::vector<int32_t> order;
  for (const MenuItem* item : items) {
    if (item->kind != MenuItemKind::kCommand) continue;
    ++seen[item->id];
    order.push_back(item->id);
    ASSERT_NE(find_command(item->id), nullptr);
    EXPECT_EQ(item->text, find_command(item->id)->menuText);
  }
  for (const CommandInfo& command : kCommands) EXPECT_EQ(seen[command.id], 1) << command.id;
  EXPECT_EQ(order, (std::vector<int32_t>{32843, 32856, 32800, 32794, 32793, 32922, 32923, 105,
                                         32799, 32897, 32911, 32831, 32832, 32797, 32868, 32869,
                                         32870, 32871, 32872, 32882, 32873, 32874, 32875, 32876,
                                         32884, 32795, 32815, 32920, 32921, 32889, 104}));
  // The file menu's separators: after the unload, after the export, before the exit; "元に戻す"
  // right under the wrap it takes back, and the discard of its journal under it.
  const std::span<const MenuItem> file = kMainMenu[0].items;
  ASSERT_EQ(file.size(), 11u);
  for (const size_t i : {2u, 5u, 9u}) EXPECT_EQ(file[i].kind, MenuItemKind::kSeparator) << i;
  EXPECT_EQ(menu_label(file[7].text), "元に戻す(&Z)");
  EXPECT_EQ(menu_label(file[8].text), "元に戻すための記録を破棄(&D)");
  EXPECT_EQ(kMainMenu[1].items[6].text, "WAVファイルのソート");
  // The loudness commands close the operation menu after a separator.
  const std::span<const MenuItem> operation = kMainMenu[1].items;
  ASSERT_EQ(operation.size(), 13u);
  EXPECT_EQ(operation[10].kind, MenuItemKind::kSeparator);
  EXPECT_EQ(menu_label(operation[11].text), "ラウドネス測定(&N)");
}

TEST(CommandTable, TheContextMenuAndTheKeys) {
  std::vector<std::string_view> texts;
  for (const MenuItem& item : kContextMenu) {
    texts.push_back(item.kind == MenuItemKind::kSeparator ? "-" : item.text);
  }
  EXPECT_EQ(texts, (std::vector<std::string_view>{
                       "全て選択(&A)", "全トラックON/OFF(&A)", "選択されているトラックのON/OFF(&G)",
                       "削除(&D)", "トラック / WAVファイルライブラリ表示切替(&T)", "-",
                       "WAVファイルを追加(&J)", "トラックに割当てる(&D)", "WAVのラウドネス測定(&N)",
                       "-", "MXFファイルをロード(&M)", "MXFファイルをアンロード(U)"}));

  std::set<std::string_view> keys;
  for (const CommandInfo& command : kCommands) {
    if (command.shortcut.empty()) continue;
    EXPECT_TRUE(keys.insert(command.shortcut).second) << command.shortcut;
  }
  EXPECT_EQ(keys.size(), 16u);
  EXPECT_EQ(find_command(kCmdDelete)->shortcut, "Del");
  EXPECT_EQ(menu_label(find_command(kCmdWrap)->menuText), "ラッピングを実行(&W)");
  EXPECT_EQ(menu_key_text(find_command(kCmdWrap)->menuText), "  Ctrl+R");
  EXPECT_EQ(menu_key_text(find_command(kCmdExit)->menuText), "");
  EXPECT_EQ(menu_label(find_command(kCmdExit)->menuText), "終了(&X)");

  // A column header sorts as the menu item of the same key does.
  for (size_t column = 0; column < kSortCommandByColumn.size(); ++column) {
    EXPECT_EQ(kSortCommandByColumn[column], kWavSortCommands[column].commandId) << column;
    EXPECT_EQ(find_command(kSortCommandByColumn[column])->menuText,
              kWavSortCommands[column].menuText);
  }
}

TEST(Settings, OkTakesTheFormCancelAndAnEmptySelectionKeepTheBuffer) {
  APP_STATE_INFO app;
  SettingsValues values = settings_values(app);
  EXPECT_FALSE(values.useFileApi);
  EXPECT_EQ(values.wavBufferIndex, 4);
  EXPECT_EQ(kWavBufferItems[static_cast<size_t>(values.wavBufferIndex)], "8");

  accept_settings(app, true, 1);  // "2"
  EXPECT_EQ(app.tracks.wavBufferIndex, 1u);
  EXPECT_EQ(app.useFileApi, 1);
  values = settings_values(app);
  EXPECT_EQ(kWavBufferItems[static_cast<size_t>(values.wavBufferIndex)], "2");
  EXPECT_TRUE(values.useFileApi);

  accept_settings(app, false, -1);  // no item selected
  EXPECT_EQ(app.tracks.wavBufferIndex, 1u);
  EXPECT_EQ(app.useFileApi, 0);
  accept_settings(app, false, 14);  // not a position of the list
  EXPECT_EQ(app.tracks.wavBufferIndex, 1u);
  accept_settings(app, false, 13);
  EXPECT_EQ(kWavBufferItems[app.tracks.wavBufferIndex], "28");

  // A fresh run starts from the defaults: nothing is stored.
  APP_STATE_INFO next;
  EXPECT_EQ(settings_values(next).wavBufferIndex, 4);
  EXPECT_FALSE(settings_values(next).useFileApi);
}

TEST(Settings, TheJournalIsOnBesideTheFileUntilTheFormSaysOtherwise) {
  APP_STATE_INFO app;
  SettingsValues values = settings_values(app);
  EXPECT_TRUE(values.journalOn);
  EXPECT_EQ(values.journalFolder, "");
  EXPECT_EQ(journal_folder_text(values.journalFolder), "MXFファイルと同じフォルダー");

  accept_journal_settings(app, false, "/journals");
  values = settings_values(app);
  EXPECT_FALSE(values.journalOn);
  EXPECT_EQ(values.journalFolder, "/journals");
  EXPECT_EQ(journal_folder_text(values.journalFolder), "/journals");
  // The other settings leave the journal's alone.
  accept_settings(app, true, 2);
  EXPECT_FALSE(settings_values(app).journalOn);
  accept_journal_settings(app, true, "");
  EXPECT_TRUE(settings_values(app).journalOn);
  EXPECT_EQ(app.journalFolder, "");
}

}  // namespace
}  // namespace tavrin::app
