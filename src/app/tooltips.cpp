#include "app/tooltips.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "timecode/timecode.h"
#include "wav/wav_entry_texts.h"

namespace tavrin::app {

TooltipText mxf_tooltip(const APP_STATE_INFO& app) {
  if (!app.mxfLoaded) return {"情報はありません。", 200};
  const MXF_BASE_INFO& mxf = app.mxf();
  const INDEX_ENTRY_ARRAY* first = first_index_entry(mxf);
  const std::string name = platform::file_name(app.mxfPath);
  const std::string folder = platform::folder_of(app.mxfPath);
  const std::string size = tc::size_text(mxf.fileSize);
  return {platform::format(
              "%s\n%s\n%s\n\n作成日: %s\n更新日: %s\n\n製品名: %s Version: %s  OS: %s\n会社名: "
              "%s\n\nMXF Version: %d.%d\nDeltaEntry: %d ,AudioElemSize: %d,DataElemSize: %d , "
              "SampleBlockSize: %d",
              name.c_str(), folder.c_str(), size.c_str(), mxf.creationDate.c_str(),
              mxf.modifiedDate.c_str(), mxf.productName.c_str(), mxf.versionString.c_str(),
              mxf.platform.c_str(), mxf.companyName.c_str(), mxf.versionMajor, mxf.versionMinor,
              first ? static_cast<int>(first->deltaCount) : 0,
              static_cast<int>(app.audio().audioElementSize), static_cast<int>(mxf.ancElementSize),
              static_cast<int>(app.audio().blockAlign)),
          600};
}

TooltipText track_tooltip(const APP_STATE_INFO& app, int track) {
  if (track < 0 || static_cast<size_t>(track) >= app.existing_tracks()) {
    return {"ファイルが割当てられていません。", 200};
  }
  const WAV_LIBRARY_ENTRY* entry = app.tracks.wavEntry[static_cast<size_t>(track)];
  if (entry == nullptr) return {"ファイルが割当てられていません。", 200};
  // The folder shown is the assigned file's own: the row describes that file.
  const std::string folder = platform::folder_of(entry->file_path);
  return {platform::format(
              "トラック: %d\n\n%s\n%s\n%s\n\nビット数: %d  チャンネル数: %d\n\n開始: %s\n終了: "
              "%s\n長さ: %s",
              track + 1, entry->file_name.c_str(), folder.c_str(), entry->texts[kTextSize].c_str(),
              static_cast<int>(entry->info.bits_per_sample), static_cast<int>(entry->info.channels),
              entry->texts[kTextStart].c_str(), entry->texts[kTextEnd].c_str(),
              entry->texts[kTextDuration].c_str()),
          600};
}

}  // namespace tavrin::app
