// The commands of the main window as data: ids, menu texts (the text after "\t" is the key shown
// beside the item), context-menu texts, keys, the menus and the buttons. The window builds its
// menus, actions and shortcuts from these tables; command_state says which are enabled.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace tavrin::app {

enum CommandId : int32_t {
  kCmdLoadMxf = 32843,
  kCmdUnloadMxf = 32856,
  kCmdAddWav = 32800,
  kCmdExport = 32794,
  kCmdWrap = 32793,
  kCmdExit = 105,
  kCmdSelectAll = 32799,
  kCmdToggleAllSwitches = 32897,
  kCmdToggleSelectedSwitches = 32911,
  kCmdDelete = 32831,
  kCmdToggleLibrary = 32832,
  kCmdAssign = 32797,
  kCmdSortName = 32868,
  kCmdSortChannels = 32869,
  kCmdSortBits = 32870,
  kCmdSortSampleRate = 32871,
  kCmdSortStart = 32872,
  kCmdSortEnd = 32882,
  kCmdSortDuration = 32873,
  kCmdSortCreated = 32874,
  kCmdSortUpdated = 32875,
  kCmdSortSize = 32876,
  kCmdOpenMxfFolder = 32884,
  kCmdSetIn = 32795,
  kCmdSetOut = 32815,
  kCmdSettings = 32889,
  kCmdAbout = 104,
  kCmdLoudness = 32920,        // the loaded file over IN..OUT or the whole file
  kCmdWavLoudness = 32921,     // the one WAV/BWF file selected in the library list
  kCmdUndo = 32922,            // restores the audio the last completed wrap overwrote
  kCmdDiscardJournal = 32923,  // removes the undo journal of the loaded file
};

enum ButtonId : int32_t {
  kButtonLoad = 5008,      // command 32843
  kButtonLibrary = 5009,   // command 32832
  kButtonWrap = 5010,      // command 32793
  kButtonExport = 5011,    // command 32794
  kButtonIn = 5054,        // command 32795
  kButtonOut = 5055,       // command 32815
  kButtonDuration = 5056,  // picture beside the duration label, no command
};

// One command. `shortcut` is the key in the portable form "Ctrl+Shift+O" ("Del" for Delete),
// empty when the command has none; `contextText` is empty when the command is not in the context
// menu.
struct CommandInfo {
  int32_t id;
  std::string_view menuText;
  std::string_view contextText;
  std::string_view shortcut;
};

inline constexpr std::array<CommandInfo, 31> kCommands = {{
    {kCmdLoadMxf, "MXFファイルをロード(&M)\tCtrl+O", "MXFファイルをロード(&M)", "Ctrl+O"},
    {kCmdUnloadMxf, "MXFファイルをアンロード(U)\tCtrl+U", "MXFファイルをアンロード(U)", "Ctrl+U"},
    {kCmdAddWav, "BWF(WAV)ファイルを追加(&J)\tCtrl+Shift+O", "WAVファイルを追加(&J)",
     "Ctrl+Shift+O"},
    {kCmdExport, "BWF(WAV)ファイルを生成(&C)\tCtrl+B", "", "Ctrl+B"},
    {kCmdWrap, "ラッピングを実行(&W)\t  Ctrl+R", "", "Ctrl+R"},
    {kCmdExit, "終了(&X)", "", ""},
    {kCmdSelectAll, "全てを選択(&A)\tCtrl+A", "全て選択(&A)", "Ctrl+A"},
    {kCmdToggleAllSwitches, "全トラックON/OFF(&A)\tCtrl+Shift+A", "全トラックON/OFF(&A)",
     "Ctrl+Shift+A"},
    {kCmdToggleSelectedSwitches, "選択されているトラックのON/OFF(&G)\tCtrl+G",
     "選択されているトラックのON/OFF(&G)", "Ctrl+G"},
    {kCmdDelete, "削除(&D)\tDEL", "削除(&D)", "Del"},
    {kCmdToggleLibrary, "トラック / WAVライブラリ表示切替(&T)\tCtrl+T",
     "トラック / WAVファイルライブラリ表示切替(&T)", "Ctrl+T"},
    {kCmdAssign, "選択されたWAVをトラックに割当てる(&C)\tCtrl+C", "トラックに割当てる(&D)",
     "Ctrl+C"},
    {kCmdSortName, "ファイル名(&1)", "", ""},
    {kCmdSortChannels, "チャンネル数(&2)", "", ""},
    {kCmdSortBits, "ビットレート(&3)", "", ""},
    {kCmdSortSampleRate, "サンプルレート(&4)", "", ""},
    {kCmdSortStart, "開始TC(&5)", "", ""},
    {kCmdSortEnd, "終了TC(&6)", "", ""},
    {kCmdSortDuration, "デュレーション(&7)", "", ""},
    {kCmdSortCreated, "作成日時(&8)", "", ""},
    {kCmdSortUpdated, "更新日時(&9)", "", ""},
    {kCmdSortSize, "サイズ(&0)", "", ""},
    {kCmdOpenMxfFolder, "現在のMXFファイルの場所を開く(&L)\tCtrl+L", "", "Ctrl+L"},
    {kCmdSetIn, "IN点を設定(&I)\tI", "", "I"},
    {kCmdSetOut, "OUT点を設定(&O)\tO", "", "O"},
    {kCmdSettings, "ファイル処理API設定(&F)\tCtrl + P", "", "Ctrl+P"},
    {kCmdAbout, "バージョン情報(&A)\tCtrl + H", "", "Ctrl+H"},
    {kCmdLoudness, "ラウドネス測定(&N)", "", ""},
    {kCmdWavLoudness, "選択されたWAVのラウドネス測定(&V)", "WAVのラウドネス測定(&N)", ""},
    // No key: the restore takes the wrap back for good, so it is chosen from the menu only.
    {kCmdUndo, "元に戻す(&Z)", "", ""},
    {kCmdDiscardJournal, "元に戻すための記録を破棄(&D)", "", ""},
}};

// The command of `id`; null for an id that is not a command.
const CommandInfo* find_command(int32_t id);

// A menu is a list of items: a command, a separator, or a popup with items of its own.
enum class MenuItemKind { kCommand, kSeparator, kPopup };
struct MenuItem {
  MenuItemKind kind;
  int32_t id;                       // the command (kCommand)
  std::string_view text;            // the item's text in this menu (kCommand, kPopup)
  std::span<const MenuItem> items;  // the popup's items (kPopup)
};
struct MenuPopup {
  std::string_view title;
  std::span<const MenuItem> items;
};

namespace menu_detail {
constexpr MenuItem command(int32_t id) {
  for (const CommandInfo& c : kCommands) {
    if (c.id == id) return MenuItem{MenuItemKind::kCommand, id, c.menuText, {}};
  }
  return MenuItem{MenuItemKind::kSeparator, 0, {}, {}};
}
constexpr MenuItem context(int32_t id) {
  for (const CommandInfo& c : kCommands) {
    if (c.id == id) return MenuItem{MenuItemKind::kCommand, id, c.contextText, {}};
  }
  return MenuItem{MenuItemKind::kSeparator, 0, {}, {}};
}
inline constexpr MenuItem kSeparator{MenuItemKind::kSeparator, 0, {}, {}};

inline constexpr std::array<MenuItem, 10> kSortItems = {
    command(kCmdSortName),       command(kCmdSortChannels), command(kCmdSortBits),
    command(kCmdSortSampleRate), command(kCmdSortStart),    command(kCmdSortEnd),
    command(kCmdSortDuration),   command(kCmdSortCreated),  command(kCmdSortUpdated),
    command(kCmdSortSize)};
inline constexpr std::array<MenuItem, 11> kFileItems = {
    command(kCmdLoadMxf), command(kCmdUnloadMxf), kSeparator,
    command(kCmdAddWav),  command(kCmdExport),    kSeparator,
    command(kCmdWrap),    command(kCmdUndo),      command(kCmdDiscardJournal),
    kSeparator,           command(kCmdExit)};
inline constexpr std::array<MenuItem, 13> kOperationItems = {
    command(kCmdSelectAll),
    command(kCmdToggleAllSwitches),
    command(kCmdToggleSelectedSwitches),
    command(kCmdDelete),
    command(kCmdToggleLibrary),
    command(kCmdAssign),
    MenuItem{MenuItemKind::kPopup, 0, "WAVファイルのソート", kSortItems},
    command(kCmdOpenMxfFolder),
    command(kCmdSetIn),
    command(kCmdSetOut),
    kSeparator,
    command(kCmdLoudness),
    command(kCmdWavLoudness)};
inline constexpr std::array<MenuItem, 1> kSettingsItems = {command(kCmdSettings)};
inline constexpr std::array<MenuItem, 1> kHelpItems = {command(kCmdAbout)};
inline constexpr std::array<MenuItem, 12> kContextItems = {context(kCmdSelectAll),
                                                           context(kCmdToggleAllSwitches),
                                                           context(kCmdToggleSelectedSwitches),
                                                           context(kCmdDelete),
                                                           context(kCmdToggleLibrary),
                                                           kSeparator,
                                                           context(kCmdAddWav),
                                                           context(kCmdAssign),
                                                           context(kCmdWavLoudness),
                                                           kSeparator,
                                                           context(kCmdLoadMxf),
                                                           context(kCmdUnloadMxf)};
}  // namespace menu_detail

// The main menu bar: "ファイル(&F)", "操作(&M)" (with the popup "WAVファイルのソート"), "設定(&P)",
// "ヘルプ(&H)".
inline constexpr std::array<MenuPopup, 4> kMainMenu = {{
    {"ファイル(&F)", menu_detail::kFileItems},
    {"操作(&M)", menu_detail::kOperationItems},
    {"設定(&P)", menu_detail::kSettingsItems},
    {"ヘルプ(&H)", menu_detail::kHelpItems},
}};

// The context menu of the track view and the library list (its texts differ from the main menu's).
inline constexpr std::span<const MenuItem> kContextMenu = menu_detail::kContextItems;

// The ten sort commands in the order of the list's columns 0 .. 9 (a click on a column header
// runs the column's command).
inline constexpr std::array<int32_t, 10> kSortCommandByColumn = {
    kCmdSortName, kCmdSortChannels, kCmdSortBits,    kCmdSortSampleRate, kCmdSortStart,
    kCmdSortEnd,  kCmdSortDuration, kCmdSortCreated, kCmdSortUpdated,    kCmdSortSize};

// The buttons with the command each one runs (0 for none).
struct ButtonInfo {
  int32_t id;
  int32_t command;
};
inline constexpr std::array<ButtonInfo, 7> kButtons = {{
    {kButtonLoad, kCmdLoadMxf},
    {kButtonLibrary, kCmdToggleLibrary},
    {kButtonWrap, kCmdWrap},
    {kButtonExport, kCmdExport},
    {kButtonIn, kCmdSetIn},
    {kButtonOut, kCmdSetOut},
    {kButtonDuration, 0},
}};

// The text of a menu item before the "\t" (the item's label) and after it (the key shown).
std::string_view menu_label(std::string_view menuText);
std::string_view menu_key_text(std::string_view menuText);

}  // namespace tavrin::app
