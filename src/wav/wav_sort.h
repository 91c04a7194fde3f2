// Sorting the index array of the WAV library by the name or by one of the nine sort keys, and
// the sort commands of the "WAVファイルのソート" menu. Only the pointers of the index array move;
// the list order and the entries' index fields stay as they were.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "wav/wav_library.h"

namespace tavrin {

// Sort keys of an entry (sort_keys), by number.
enum WavSortKey : int32_t {
  kSortChannels = 0,
  kSortBits = 1,
  kSortSampleRate = 2,
  kSortStartFrame = 3,
  kSortEndFrame = 4,
  kSortLength = 5,  // end frame - start frame, a 32-bit difference
  kSortCreated = 6,
  kSortUpdated = 7,
  kSortSize = 8,
};

// Sorts positions first .. last of the index array (clipped to the array) by file_name with the
// locale's collation, or by sort key `key` (0 .. 8; another key sorts nothing) as unsigned
// 64-bit numbers. The quicksort is not stable: equal keys end in no particular order.
void sort_wav_by_name(WavLibraryView& view, int32_t first, int32_t last,
                      WavSortDirection direction);
void sort_wav_by_key(WavLibraryView& view, int32_t key, int32_t first, int32_t last,
                     WavSortDirection direction);

// The ten sort commands: the name, or a sort key.
inline constexpr int32_t kSortByName = -1;
struct WavSortCommand {
  int32_t commandId;
  std::string_view menuText;
  int32_t key;  // kSortByName or a WavSortKey
};
inline constexpr std::array<WavSortCommand, 10> kWavSortCommands = {{
    {32868, "ファイル名(&1)", kSortByName},
    {32869, "チャンネル数(&2)", kSortChannels},
    {32870, "ビットレート(&3)", kSortBits},
    {32871, "サンプルレート(&4)", kSortSampleRate},
    {32872, "開始TC(&5)", kSortStartFrame},
    {32882, "終了TC(&6)", kSortEndFrame},
    {32873, "デュレーション(&7)", kSortLength},
    {32874, "作成日時(&8)", kSortCreated},
    {32875, "更新日時(&9)", kSortUpdated},
    {32876, "サイズ(&0)", kSortSize},
}};

// One sort command: sorts positions 0 .. count - 1 with the library's current direction, then
// toggles the direction (so the same command twice reverses the order).
void sort_wav_library(WAV_LIBRARY& library, WavLibraryView& view, int32_t key);

}  // namespace tavrin
