#include "jobs/messages.h"

#include <algorithm>
#include <iterator>

namespace tavrin::jobs {

namespace {

constexpr std::string_view kSectionNames[] = {
    "N/A",
    "File size",
    "Randam Index Table",
    "PreFace set",
    "TimeCode Component",
    "File Package",
    "Index Table Segment",
    "Audio Descriptor",
    "Video Descriptor",
    "Identification info",
    "TC analysis",
    "Audio Wrapping by Mapping",
    "Audio Wrapping by File API",
    "Make BWF File by Mapping",
    "Make BWF File by File API",
};
static_assert(std::size(kSectionNames) == std::size(kSectionCodes));

// Columns of the message table: the code minus its section's base. The table the program was
// designed with had 14 (0 .. 13); the checks added for damaged files and failed writes need more.
constexpr int kColumns = 40;

struct MessageRow {
  int code;
  std::string_view text;
};

// Every message by its full code, sorted by code. Codes of the preliminary checks (section 0)
// are the plain numbers 1 .. 7.
constexpr MessageRow kMessages[] = {
    {2, "MXF_BASE_INFOポインタが無効になっています。"},
    {101, "ファイルハンドルが無効になっています。"},
    {201, "ファイルハンドルが無効になっています。"},
    {202, "MXF_BASE_INFOポインタが無効になっています。"},
    {203, "MXF_PARTITON_INFOポインタが無効になっています。"},
    {204, "ランダム・インデックス・テーブルが見つかりません。"},
    {205, "ランダム・インデックス・テーブルを格納用のメモリが確保できません。"},
    {206, "パーティション情報格納用のメモリが確保できません。"},
    {207, "パーティションステータスがOPEN(未確定状態)になっているため情報が読み取れません。"},
    {210, "ランダム・インデックス・テーブルが指すパーティションパックを読み取れません。\nファイルが途中で切れているか、壊れています。"},
    {301, "ファイルハンドルが無効になっています。"},
    {302, "MXF_BASE_INFOポインタが無効になっています。"},
    {303, "MXF_PARTITION_INFOポインタが無効になっています。"},
    {304, "Preface Setが見つからない。"},
    {305, "Preface Set用バッファが取得できません。"},
    {306, "オペレーショナルパターンが op1a ではないため読込めません。"},
    {307, "フレームラッピングではないため読込めません。"},
    {308, "MXFバージョンが 1.2 または 1.3ではないため、このアプリケーションでは読込めません。"},
    {309, "Preface Setが壊れているため読込めません。\nファイルが途中で切れているか、壊れています。"},
    {401, "ファイルハンドルが無効になっています。"},
    {402, "MXF_BASE_INFOポインタが無効になっています。"},
    {403, "MXF_PARTITON_INFOポインタが無効になっています。"},
    {404, "MXF_TIMECODE_INFOポインタが無効になっています。"},
    {405, "TimeCode Component Setが見つかりません。"},
    {406, "メディアの長さが未確定になっています。書き出したアプリの設定を確認してください。"},
    {407, "TimeCode BWFF Setが見つからない。"},
    {408, "TimeCode Component Set または Timeline Track Setが壊れているため読込めません。\nファイルが途中で切れているか、壊れています。"},
    {409, "タイムコードの基準フレームレートが 24 / 25 / 30 / 60 のいずれでもないため読込めません。"},
    {410, "対応していない編集レート %s のため読込めません。\n24 / 25 / 30 / 60 fps と その 1000/1001 倍の編集レートに対応しています。"},
    {501, "ファイルハンドルが無効になっています。"},
    {502, "MXF_BASE_INFOポインタが無効になっています。"},
    {503, "MXF_PARTITON_INFOポインタが無効になっています。"},
    {504, "File Package Setが見つかりません。"},
    {505, "File Package Setが壊れているため読込めません。\nファイルが途中で切れているか、壊れています。"},
    {601, "ファイルハンドルが無効になっています。"},
    {602, "MXF_BASE_INFOポインタが無効になっています。"},
    {603, "MXF_PARTITON_INFOポインタが無効になっています。"},
    {604, "MXF_TIMECODE_INFOポインタが無効になっています。"},
    {605, "INDEX_ENTRY_ARRAYポインタが無効になっています。"},
    {606, "インデックス・テーブルが見つかりません。"},
    {607, "デルタエントリー数が想定数26(映像1+TC1+音声24)を越えているため、処理ができません。"},
    {608, "インデックス・テーブルが壊れているため読込めません。\nファイルが途中で切れているか、壊れています。"},
    {609, "インデックス・テーブルがファイルの外の位置を指しているため読込めません。\nファイルが途中で切れているか、壊れています。"},
    {610, "コンテンツパッケージの先頭にシステムアイテムがないため読込めません。\n各フレームの先頭に4バイト長のシステムアイテム(SDTI-CP)があるファイルが必要です。"},
    {611, "デルタエントリー1の位置に映像エレメントがないため読込めません。\nシステムアイテムの次に映像エレメントがあるファイルが必要です。"},
    {612, "インデックスがすべての音声トラックの位置を示していないため読込めません。\nトラックごとに4バイト長の音声エレメントが1つずつ、番号順に並んだファイルが必要です。"},
    {613, "インデックスにフレームごとの位置(Index Entry)がないため読込めません。\n固定長のインデックスには対応していません。フレームごとのインデックスが必要です。"},
    {614, "ANCデータエレメントがコンテンツパッケージの最後にないため読込めません。\nANCデータは音声エレメントの後に置かれている必要があります。"},
    {615, "最後のフレームのエレメント構成が最初のフレームと異なるため読込めません。\nすべてのフレームが同じ構成のファイルが必要です。"},
    {616, "インデックス・テーブル格納用のメモリが確保できません。"},
    {701, "ファイルハンドルが無効になっています。"},
    {702, "MXF_BASE_INFOポインタが無効になっています。"},
    {703, "MXF_AUDIO_INFOポインタが無効になっています。"},
    {704, "MXF_PARTITON_INFOポインタが無効になっています。"},
    {705, "INDEX_ENTRY_ARRAYポインタが無効になっています。"},
    {706, "オーディオトラックがありません。"},
    {707, "このファイルのビットレートが16bit または 24bit になっていません。"},
    {708, "このファイルのサンプルレートが48kHzになっていません。"},
    {709, "5フレームサンプルパターンがリストにありません。"},
    {710, "オーディオ・ディスクリプタが壊れているため読込めません。\nファイルが途中で切れているか、壊れています。"},
    {711, "オーディオトラックが255を越えているため読込めません。"},
    {801, "ファイルハンドルが無効になっています。"},
    {802, "MXF_BASE_INFOポインタが無効になっています。"},
    {803, "MXF_PARTITON_INFOポインタが無効になっています。"},
    {804, "MXF_VIDEO_INFOポインタが無効になっています。"},
    {805, "ビデオ・ディスクリプタが見つかりません。"},
    {806, "エッセンス・コーディングラベルが見つからりません。"},
    {807, "映像コーディングがテーブルにないか、対応していません。"},
    {808, "ビデオ・ディスクリプタが壊れているため読込めません。\nファイルが途中で切れているか、壊れています。"},
    {901, "ファイルハンドルが無効になっています。"},
    {902, "MXF_BASE_INFOポインタが無効になっています。"},
    {903, "MXF_PARTITION_INFOポインタが無効になっています。"},
    {904, "Identification Setが壊れています。"},
    {1001, "ファイルハンドルが無効になっています。"},
    {1002, "MXF_BASE_INFOポインタが無効になっています。"},
    {1003, "MXF_TIMECODE_INFOポインタが無効になっています。"},
    {1004, "MXF_AUDIO_INFOポインタが無効になっています。"},
    {1005, "タイムコードデータを格納するメモリが確保できません。"},
    {1006, "マッピングハンドルが取得できません。"},
    {1007, "マッピングビューを作成できません。\nアプリを再起動してみてください。"},
    {1008, "エラー情報を格納するメモリが確保できません。"},
    {1009, "MXFタイムコードエラーが検出されました。\r\nログファイルを作成しますか？"},
    {2001, "ファイルパスがありません。"},
    {2002, "ラッピングに必要な情報がみつかりませんでした。"},
    {2003, "MXFファイルの基本情報が見つかりません。"},
    {2004, "FPS値が対応外のデータになっています。"},
    {2005, "IN / OUT タイムコードが不適切な値になっています。"},
    {2006, "MXFファイルを開くことができません。"},
    {2007, "MXFファイルのメモリマッピングハンドルが取得できませんでした。\nアプリを再起動してみてください。"},
    {2008, "BWFファイルの中に開けないファイルがあったため中断します。\nファイルを確認してください。"},
    {2009, "BWFファイルのメモリマッピングハンドルが取得できません。"},
    {2010, "BWFファイル用の一時バッファが取得できません。"},
    {2011, "トラックセグメントバッファが確保できません。\n一度に実行するトラック数を減らしてみてください。"},
    {2012, "MXFファイルのマッピングビューが作成できません。"},
    {2013, "BWFファイルのマッピングビューが作成できません。"},
    {2014, "MXFファイルの音声エレメントの配置がインデックスと一致しないため、書込みを中止しました。\nファイルは変更されていません。"},
    {2015, "MXFファイルの音声エレメントの配置がインデックスと一致しないため、書込みを中止しました。\n中止したフレームより前のフレームは書き込まれています。"},
    {2016, "MXFファイルへの書込みをディスクに反映できませんでした。\n保存先の空き容量と接続を確認してください。\n書き込んだフレームが保存されていない可能性があります。"},
    {2017, "トラックに割当てたBWFファイルの形式に対応していないため中止しました。\n(16bitのMXFに24bitのファイル、3チャンネル以上のファイルは書き込めません)\nファイルは変更されていません。"},
    {2018, "ステレオファイルの2チャンネル目を書き込むトラックがMXFファイルにないため中止しました。\nファイルは変更されていません。"},
    {2019, "ステレオファイルの2トラック目だけがONになっているため中止しました。\n2つのトラックのスイッチを揃えてください。ファイルは変更されていません。"},
    {2020, "インデックス・テーブルのセグメント範囲がフレーム位置と一致しないため中止しました。\nファイルは変更されていません。"},
    {3001, "ファイルパスがありません。"},
    {3002, "ラッピングに必要な情報がみつかりませんでした。"},
    {3003, "MXFファイルの基本情報が見つかりません。"},
    {3004, "FPS値が対応外のデータになっています。"},
    {3005, "IN / OUT タイムコードが不適切な値になっています。"},
    {3006, "書込みバッファが確保できません。\nPCの再起動が必要かもしれません。"},
    {3007, "MXFファイルを開くことができません。"},
    {3008, "BWFファイルの中に開けないファイルがあったため中断します。\nファイルを確認してください。"},
    {3009, "マッピングビューを作成できません。\nアプリを再起動してみてください。"},
    {3010, "MXFファイルの音声エレメントの配置がインデックスと一致しないため、書込みを中止しました。\nファイルは変更されていません。"},
    {3011, "MXFファイルの音声エレメントの配置がインデックスと一致しないため、書込みを中止しました。\n中止したフレームより前のフレームは書き込まれています。"},
    {3012, "MXFファイルへの書込みに失敗したため中断しました。\n保存先の空き容量と接続を確認してください。\n中断したフレームより前のフレームは書き込まれています。"},
    {3013, "MXFファイルの読込みに失敗したため中断しました。\nファイルの保存場所・接続を確認してください。\nそれより前のフレームは書き込まれている場合があります。"},
    {3014, "BWFファイルの読込みに失敗したため中断しました。\nファイルの保存場所・接続を確認してください。\nそれより前のフレームは書き込まれている場合があります。"},
    {3015, "トラックに割当てたBWFファイルの形式に対応していないため中止しました。\n(16bitのMXFに24bitのファイル、3チャンネル以上のファイルは書き込めません)\nファイルは変更されていません。"},
    {3016, "ステレオファイルの2チャンネル目を書き込むトラックがMXFファイルにないため中止しました。\nファイルは変更されていません。"},
    {3017, "ステレオファイルの2トラック目だけがONになっているため中止しました。\n2つのトラックのスイッチを揃えてください。ファイルは変更されていません。"},
    {3018, "MXFファイルへの書込みをディスクに反映できませんでした。\n保存先の空き容量と接続を確認してください。\n書き込んだフレームが保存されていない可能性があります。"},
    {4001, "ファイルパスがありません。"},
    {4002, " AUDIOTRACK_IO_INFOのポインタが無効になっています。"},
    {4003, "MXF_BASE_INFOポインタが無効になっています。"},
    {4004, "FPS値が対応外のデータになっています。"},
    {4005, "IN / OUT タイムコードが不適切な値になっています。"},
    {4006, "MXFファイルを開くことができません。"},
    {4007, "MXFファイルのメモリマッピングハンドルが取得できませんでした。\nアプリを再起動してみてください。"},
    {4008, "BWFファイルが作成出来ません。"},
    {4009, "MXFファイルのマッピングビューが作成できません。"},
    {4010, "BWFファイルの書込みに失敗しました。\n保存先の空き容量と接続を確認してください。"},
    {4011, "MXFファイルの音声エレメントの配置がインデックスと一致しないため、書出しを中止しました。\n中止したフレームより前のフレームはBWFファイルに書き出されています。"},
    {4012, "書出し範囲が長すぎるため、BWFファイルの上限(4GB)を超えます。\n範囲を分けて書き出してください。"},
    {5001, "ファイルパスがありません。"},
    {5002, "書出しに必要な情報がみつかりませんでした。"},
    {5003, "MXFファイルの基本情報が見つかりません。"},
    {5004, "FPS値が対応外のデータになっています。"},
    {5005, "IN / OUT タイムコードが不適切な値になっています。"},
    {5006, "書込みバッファが確保できません。\nPCの再起動が必要かもしれません。"},
    {5007, "MXFファイルを開くことができません。"},
    {5008, "BWFファイルを作成できません。\nファイルの保存場所・ストレージなどを確認して下さい。"},
    {5009, "BWFファイルの書込みに失敗しました。\n保存先の空き容量と接続を確認してください。"},
    {5010, "MXFファイルの音声エレメントの配置がインデックスと一致しないため、書出しを中止しました。\n中止したフレームより前のフレームはBWFファイルに書き出されています。"},
    {5011, "MXFファイルの読込みに失敗したため中断しました。\nファイルの保存場所・接続を確認してください。\n中断したフレームより前のフレームはBWFファイルに書き出されています。"},
    {5012, "書出し範囲が長すぎるため、BWFファイルの上限(4GB)を超えます。\n範囲を分けて書き出してください。"},
};

constexpr bool sorted_by_code() {
  for (size_t i = 1; i < std::size(kMessages); ++i) {
    if (kMessages[i - 1].code >= kMessages[i].code) return false;
  }
  return true;
}
static_assert(sorted_by_code(), "keep the message table sorted by code");

}  // namespace

int section_row(int sectionCode) {
  const auto* it = std::find(std::begin(kSectionCodes), std::end(kSectionCodes), sectionCode);
  if (it == std::end(kSectionCodes)) return -1;
  return static_cast<int>(it - std::begin(kSectionCodes));
}

std::string_view section_name(int sectionCode) {
  const int row = section_row(sectionCode);
  return row < 0 ? kSectionNames[0] : kSectionNames[row];
}

std::string_view section_message(int sectionCode, int code) {
  if (section_row(sectionCode) < 0) return kUndefinedMessage;
  const int column = code - sectionCode;
  if (column < 0 || column >= kColumns) return kUndefinedMessage;
  const auto* it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                                    [](const MessageRow& row, int c) { return row.code < c; });
  if (it == std::end(kMessages) || it->code != code) return kUndefinedMessage;
  return it->text;
}

std::string analysis_message(int sectionCode, int code, const MXF_TIMECODE_INFO* timecode) {
  const std::string_view text = section_message(sectionCode, code);
  if (code != kEditRateMessageCode || sectionCode != 400) return std::string(text);
  const std::string rate = timecode == nullptr ? std::string("?")
                                               : std::to_string(timecode->editRateNum) + "/" +
                                                     std::to_string(timecode->editRateDen);
  std::string out(text);
  if (const size_t at = out.find("%s"); at != std::string::npos) out.replace(at, 2, rate);
  return out;
}

std::string_view process_name(bool useFileApi) {
  return useFileApi ? "Generic File I/O" : "Memory Mapping";
}

std::string_view job_text(JobKind kind) {
  return kind == JobKind::kWrapping ? "ラッピング" : "BWFファイルの書出し";
}

}  // namespace tavrin::jobs
