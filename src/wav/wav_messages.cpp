#include "wav/wav_messages.h"

#include <cstring>

#include "platform/file.h"
#include "platform/text.h"
#include "wav/wav_library.h"

namespace tavrin {

namespace {

constexpr const char* kDisplayName = "MXF Tavrin";

// The two columns of the add-message table: open dialog, drop.
struct AddTexts {
  const char* openDialog;
  const char* drop;
  bool withPath;
};
constexpr AddTexts kProcessingError = {"ファイル処理でエラーが発生しました。\n(ERR: %d)",
                                       "ファイル処理でエラーが発生しました。\nERR: %d", false};
constexpr AddTexts kNoChunkSize = {
    "%s\nチャンクサイズが取得できないため追加できません。\n(ERR: %d)",
    "%s\nチャンクサイズが取得できないため追加できません。\nERR: %d", true};
constexpr AddTexts kNotWave = {"%s\nWAVEファイルではないため追加できません。\n(ERR: %d)",
                               "%s\nWAVEファイルではないため追加できません。\nERR: %d", true};
constexpr AddTexts kNotFormat = {
    "%s\n\n16/24bit/48kHzになっていないため追加できません。\n(ERR: %d)",
    "%s\nビットレートが16/24bit 48kHzになっていないため追加できません。\nERR: %d", true};

constexpr AddTexts kCannotOpen = {
    "%s\nファイルが見つからないか、開けないため追加できません。\n(%s)\n(ERR: %d)",
    "%s\nファイルが見つからないか、開けないため追加できません。\n(%s)\nERR: %d", true};

// The system error that keeps the file at `path` from being opened for reading; 0 when it opens.
// Code 8 stands both for a file that is not there and for a format outside 16/24 bit 48 kHz, and
// code 6 for any file the reader could not open: the file itself tells them apart.
int open_error(const std::string& path) {
  platform::Status status;
  const platform::File file =
      platform::File::open(path, platform::Access::kReadExisting, platform::Sharing::kAny, &status);
  if (!file.valid()) return status.error;
  uint8_t first = 0;
  return file.read_at(0, &first, 1).error;  // a folder opens, but reads as EISDIR
}

}  // namespace

std::optional<UserMessage> add_message_for(int32_t result, const std::string& path,
                                           WavAddOrigin origin) {
  if (result == kWavAdded) return std::nullopt;
  UserMessage message;
  message.caption = std::string(origin == WavAddOrigin::kDrop ? kWavDropCaption : kWavAddCaption);
  message.icon = MessageIcon::kWarning;
  if (result == kWavAddDuplicate) {
    message.text = platform::format("%s\nこのファイルは既に追加されています。)", path.c_str());
    return message;
  }
  if (result == 6 || result == 8) {
    if (const int error = open_error(path); error != 0) {
      const AddTexts& t = kCannotOpen;
      message.text = platform::format(origin == WavAddOrigin::kDrop ? t.drop : t.openDialog,
                                      path.c_str(), std::strerror(error), result);
      return message;
    }
  }
  const AddTexts* texts = &kProcessingError;
  if (result == 5) texts = &kNoChunkSize;
  if (result == 7) texts = &kNotWave;
  if (result == 8) texts = &kNotFormat;
  const char* text = origin == WavAddOrigin::kDrop ? texts->drop : texts->openDialog;
  message.text = texts->withPath ? platform::format(text, path.c_str(), result)
                                 : platform::format(text, result);
  return message;
}

UserMessage no_mxf_for_wav_message() {
  return UserMessage{
      "BWF(WAV)ファイルのタイムコードスタンプを正確に生成する必要があるため、"
      "MXFファイルがロードされた状態で追加してください。",
      "BWF(WAV)ファイルのロード", MessageIcon::kWarning, false};
}

UserMessage index_memory_message(WavAddOrigin origin) {
  if (origin == WavAddOrigin::kOpenDialog) {
    return UserMessage{"メモリが確保できないため、ファイルを追加できません。",
                       "メモリアロケーション", MessageIcon::kWarning, false};
  }
  return UserMessage{"メモリのサイズ更新ができません。\n一度PCを終了させ起動してみてください。",
                     "メモリアロケーション", MessageIcon::kError, false};
}

UserMessage removal_memory_message() {
  return UserMessage{"メモリサイズの更新ができません。\nPCを電源OFF状態から起動させてください。",
                     kDisplayName, MessageIcon::kError, false};
}

UserMessage removal_confirmation(const WAV_LIBRARY_ENTRY& entry) {
  return UserMessage{
      platform::format(
          "%s\n\nこのファイルはトラックにアサインされています。\n削除してもいいですか？",
          entry.file_path.c_str()),
      kDisplayName, MessageIcon::kInformation, true};
}

}  // namespace tavrin
