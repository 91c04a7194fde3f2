#include "app/undo.h"

#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "timecode/timecode.h"
#include "wrap/journaled_wrap.h"

namespace tavrin::app {

namespace {

constexpr const char* kCaption = "MXF Tavrin";

std::string bytes_text(uint64_t bytes) {
  return platform::format("%s (%llu バイト)", tc::size_text(bytes).c_str(),
                          static_cast<unsigned long long>(bytes));
}

UserMessage plain(std::string text, MessageIcon icon) {
  return UserMessage{std::move(text), kCaption, icon, false};
}

}  // namespace

std::string journal_folder(const APP_STATE_INFO& app) {
  if (!app.journalFolder.empty()) return app.journalFolder;
  const std::string folder = platform::folder_of(app.mxfPath);
  return folder.empty() ? std::string(".") : folder;
}

JournalFound loaded_journal(const APP_STATE_INFO& app) {
  if (app.mxfPath.empty()) return {};
  return find_journal(app.mxfPath, app.journalFolder);
}

std::string interrupted_wrap_line(const JournalFound& journal) {
  if (journal.state != JournalState::kInterrupted) return {};
  return platform::format("interrupted wrap of %u frames", journal.header.job.totalFrames);
}

std::optional<UserMessage> check_journal_before_wrap(APP_STATE_INFO& app) {
  const std::string name = platform::file_name(app.mxfPath);
  const JournalFound journal = loaded_journal(app);
  if (journal.state == JournalState::kInterrupted) {
    return plain(platform::format("%s\n\n中断されたラッピング(%uフレーム)の記録が残っています。\n"
                                  "元に戻すか、記録を破棄してからラッピングしてください。",
                                  name.c_str(), journal.header.job.totalFrames),
                 MessageIcon::kWarning);
  }
  if (app.journalOff != 0) return std::nullopt;
  const uint64_t needed = journal_bytes_needed(app.mxfPath, &app.tracks, &app.mxf());
  if (needed == 0) return std::nullopt;  // the engine refuses the job itself
  const std::string folder = journal_folder(app);
  uint64_t free = 0;
  if (const platform::Status status = platform::free_space(folder, &free); !status.ok()) {
    return plain(platform::format("%s\n\n元に戻すための記録の保存先を確認できません。\n"
                                  "保存先: %s (エラー %X)",
                                  name.c_str(), folder.c_str(), status.error),
                 MessageIcon::kError);
  }
  return journal_space_refusal(name, needed, free, folder);
}

std::optional<UserMessage> journal_space_refusal(const std::string& mxfName, uint64_t needed,
                                                 uint64_t available, const std::string& folder) {
  if (needed <= available) return std::nullopt;
  return plain(platform::format("%s\n\n元に戻すための記録を書き込む空き容量が足りません。\n"
                                "必要な容量: %s\n空き容量: %s\n保存先: %s",
                                mxfName.c_str(), bytes_text(needed).c_str(),
                                bytes_text(available).c_str(), folder.c_str()),
               MessageIcon::kError);
}

std::optional<Question> after_wrap(APP_STATE_INFO& app, const jobs::JobMessage& final) {
  if (final.kind == jobs::JobMessageKind::kSucceeded) {
    app.undoOffered = app.journalOff == 0 ? 1 : 0;
    return std::nullopt;
  }
  app.undoOffered = 0;
  const JournalFound journal = loaded_journal(app);
  if (journal.state != JournalState::kCancelled && journal.state != JournalState::kFailed) {
    return std::nullopt;
  }
  const char* how = journal.state == JournalState::kCancelled ? "中止" : "失敗";
  return Question{
      UserMessage{platform::format("%s\n\nラッピングが%sしました。(%uフレームを書き込み済み)\n"
                                   "書き込んだ部分を元の音声に戻しますか？",
                                   platform::file_name(app.mxfPath).c_str(), how,
                                   journal.closing.framesWritten),
                  kCaption, MessageIcon::kWarning, true},
      true};
}

std::optional<Question> question_at_load(const APP_STATE_INFO& app) {
  const JournalFound journal = loaded_journal(app);
  if (journal.state != JournalState::kInterrupted) return std::nullopt;
  return Question{
      UserMessage{
          platform::format("%s\n%s\n\n途中で中断されたラッピング(%uフレーム)の記録があります。\n"
                           "元の音声に戻しますか？",
                           platform::file_name(app.mxfPath).c_str(),
                           interrupted_wrap_line(journal).c_str(), journal.header.job.totalFrames),
          kCaption, MessageIcon::kWarning, true},
      true};
}

bool undo_available(const APP_STATE_INFO& app) {
  if (app.mxfLoaded == 0 || app.undoOffered == 0) return false;
  return loaded_journal(app).state == JournalState::kCompleted;
}

std::string undo_result_text(const std::string& mxfName, const UndoResult& r) {
  const char* name = mxfName.c_str();
  const char* unchanged = "\nファイルは変更していません。";
  switch (r.fault) {
    case UndoFault::kNone:
      return platform::format("%s\n\n元の音声に戻しました。(%llu か所、%s)", name,
                              static_cast<unsigned long long>(r.records),
                              tc::size_text(r.bytes).c_str());
    case UndoFault::kNoJournal:
      return platform::format("%s\n\n元に戻すための記録がありません。", name);
    case UndoFault::kUnreadableJournal:
      return platform::format("%s\n\n元に戻すための記録が壊れているため読めません。\n記録: %s%s",
                              name, r.journal.path.c_str(), unchanged);
    case UndoFault::kOtherFile:
      return platform::format("%s\n\n元に戻すための記録は別のファイルのものです。\n記録: %s%s",
                              name, r.journal.path.c_str(), unchanged);
    case UndoFault::kSizeChanged:
      return platform::format(
          "%s\n\nラッピングの後にファイルのサイズが変わっています。\n記録: %llu バイト\n現在: %llu "
          "バイト%s",
          name, static_cast<unsigned long long>(r.journal.header.file.size),
          static_cast<unsigned long long>(r.now.size), unchanged);
    case UndoFault::kTimeChanged:
      return platform::format("%s\n\nラッピングの後にファイルの更新日時が変わっています。%s", name,
                              unchanged);
    case UndoFault::kHeaderChanged:
      return platform::format("%s\n\nラッピングの後にヘッダー・パーティションが変わっています。%s",
                              name, unchanged);
    case UndoFault::kRecordDamaged:
      return platform::format(
          "%s\n\n元に戻すための記録の %llu バイト目のレコードのチェックサムが一致しません。%s",
          name, static_cast<unsigned long long>(r.faultOffset), unchanged);
    case UndoFault::kRecordOutside:
      return platform::format(
          "%s\n\n元に戻すための記録の %llu バイト目のレコードがファイルの範囲外を指しています。%s",
          name, static_cast<unsigned long long>(r.faultOffset), unchanged);
    case UndoFault::kOpenFile:
      return platform::format("%s\n\nMXFファイルを書込み用に開くことができません。(エラー %X)%s",
                              name, r.errorNumber, unchanged);
    case UndoFault::kWriteFailed:
      return platform::format(
          "%s\n\n元に戻す書込みに失敗しました。(エラー "
          "%X)\n記録は残してあります。保存先の空き容量と"
          "接続を確認して、もう一度元に戻してください。",
          name, r.errorNumber);
    case UndoFault::kRemoveJournal:
      return platform::format(
          "%s\n\n元の音声に戻しましたが、記録を削除できませんでした。(エラー %X)\n記録: %s", name,
          r.errorNumber, r.journal.path.c_str());
  }
  return {};
}

UndoOutcome undo_file(const std::string& path, const std::string& folder) {
  UndoOutcome outcome;
  outcome.result = undo_wrap(path, folder);
  // The journal was retired or not: either way the bytes are the originals again.
  outcome.restored =
      outcome.result.fault == UndoFault::kNone || outcome.result.fault == UndoFault::kRemoveJournal;
  outcome.message = plain(undo_result_text(platform::file_name(path), outcome.result),
                          outcome.restored ? MessageIcon::kInformation : MessageIcon::kError);
  return outcome;
}

void finish_undo(APP_STATE_INFO& app, const UndoOutcome& outcome) {
  // A journal that has gone leaves nothing to take back; any other refusal may be tried again
  // once its cause is mended (a file opened elsewhere, a folder offline).
  if (outcome.result.fault == UndoFault::kNoJournal) app.undoOffered = 0;
  if (!outcome.restored) return;
  app.undoOffered = 0;
  // The restore is this program's own change: the next job must not take it for another's.
  platform::DirectoryRecord record;
  if (app.loadedFile.known && platform::stat_file(app.mxfPath, &record).ok()) {
    app.loadedFile.size = record.size;
    app.loadedFile.lastWrite = record.lastWrite;
  }
}

UndoOutcome undo_last_wrap(APP_STATE_INFO& app) {
  UndoOutcome outcome = undo_file(app.mxfPath, app.journalFolder);
  finish_undo(app, outcome);
  return outcome;
}

BackgroundJob start_undo(const APP_STATE_INFO& app,
                         std::function<void(const UndoOutcome&)> finished) {
  // The worker gets copies: the working set is not touched until the caller has joined it.
  return BackgroundJob(
      std::thread([path = app.mxfPath, folder = app.journalFolder, finished = std::move(finished)] {
        const UndoOutcome outcome = undo_file(path, folder);
        if (finished) finished(outcome);
      }));
}

std::optional<UserMessage> discard_loaded_journal(APP_STATE_INFO& app) {
  app.undoOffered = 0;
  const platform::Status status = discard_journal(app.mxfPath, app.journalFolder);
  if (status.ok()) return std::nullopt;
  return plain(platform::format("%s\n\n元に戻すための記録を削除できません。(エラー %X)",
                                platform::file_name(app.mxfPath).c_str(), status.error),
               MessageIcon::kError);
}

void accept_journal_settings(APP_STATE_INFO& app, bool journalOn, const std::string& folder) {
  app.journalOff = journalOn ? 0 : 1;
  app.journalFolder = folder;
}

std::string journal_folder_text(const std::string& folder) {
  return folder.empty() ? std::string(kJournalBesideFile) : folder;
}

}  // namespace tavrin::app
