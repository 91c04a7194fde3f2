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

void note_journal(APP_STATE_INFO& app) {
  app.journalKept = loaded_journal(app).state != JournalState::kNone ? 1 : 0;
}

std::optional<UserMessage> check_journal_before_wrap(APP_STATE_INFO& app) {
  const std::string name = platform::file_name(app.mxfPath);
  const JournalFound journal = loaded_journal(app);
  if (journal.state == JournalState::kInterrupted) {
    // Found again here (the journal may have appeared after the load): the way out stays open.
    app.journalKept = 1;
    return plain(platform::format("%s\n\n中断されたラッピング(%uフレーム)の記録が残っています。\n"
                                  "元に戻すか、記録を破棄してからラッピングしてください。\n"
                                  "(記録の破棄: ファイル メニューの「元に戻すための記録を破棄」、"
                                  "コマンドラインでは --discard-journal)",
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

void mark_wrap_start(APP_STATE_INFO& app) {
  WrapStartMark mark;
  platform::DirectoryRecord record;
  {
    // Taken as the job's journal takes it: through the open file, its node as file_node gives it.
    platform::Status status;
    const platform::File file = platform::File::open(app.mxfPath, platform::Access::kReadExisting,
                                                     platform::Sharing::kAny, &status);
    platform::FileNode node;
    if (file.valid() && platform::stat_file(file, &record).ok() &&
        platform::file_node(file, &node).ok()) {
      mark.taken = true;
      mark.size = record.size;
      mark.lastWrite = record.lastWrite;
      mark.device = node.device;
      mark.inode = node.inode;
    }
  }
  // A pending journal refuses the job, so the journal there is the finished one.
  if (platform::stat_file(journal_path(app.mxfPath, app.journalFolder), &record).ok()) {
    mark.journalBefore = true;
    mark.journalDevice = record.device;
    mark.journalInode = record.inode;
  }
  app.wrapStart = mark;
}

bool written_by_last_wrap(const APP_STATE_INFO& app, const JournalFound& journal) {
  const WrapStartMark& mark = app.wrapStart;
  if (!mark.taken || journal.state == JournalState::kNone ||
      journal.state == JournalState::kUnreadable) {
    return false;
  }
  // The job writes its journal under a pending name and renames it over the earlier one, so a
  // journal file that is still the one from before the job is not this job's. The header is
  // compared as well: the file as this job found it, which no earlier job's journal records
  // once that job has written.
  platform::DirectoryRecord record;
  if (!platform::stat_file(journal.path, &record).ok()) return false;
  if (mark.journalBefore && record.device == mark.journalDevice &&
      record.inode == mark.journalInode) {
    return false;
  }
  const JournalFileStamp& file = journal.header.file;
  return file.size == mark.size && file.lastWrite.seconds == mark.lastWrite.seconds &&
         file.lastWrite.nanoseconds == mark.lastWrite.nanoseconds &&
         file.node.device == mark.device && file.node.inode == mark.inode;
}

std::optional<Question> after_wrap(APP_STATE_INFO& app, const jobs::JobMessage& final) {
  const JournalFound journal = loaded_journal(app);
  app.journalKept = journal.state != JournalState::kNone ? 1 : 0;
  const bool own = written_by_last_wrap(app, journal);
  if (final.kind == jobs::JobMessageKind::kSucceeded) {
    app.undoOffered = app.journalOff == 0 && own && journal.state == JournalState::kCompleted;
    return std::nullopt;
  }
  app.undoOffered = 0;
  if (!own ||
      (journal.state != JournalState::kCancelled && journal.state != JournalState::kFailed)) {
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
  note_journal(app);
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
  note_journal(app);
  if (status.ok()) return std::nullopt;
  return plain(platform::format("%s\n\n元に戻すための記録を削除できません。(エラー %X)",
                                platform::file_name(app.mxfPath).c_str(), status.error),
               MessageIcon::kError);
}

Question discard_question(const APP_STATE_INFO& app) {
  const JournalFound journal = loaded_journal(app);
  const std::string name = platform::file_name(app.mxfPath);
  const std::string which =
      journal.state == JournalState::kInterrupted
          ? platform::format("中断されたラッピング(%uフレーム)の", journal.header.job.totalFrames)
          : std::string();
  return Question{
      UserMessage{platform::format("%s\n\n%s元に戻すための記録を破棄しますか？\n"
                                   "破棄すると、ラッピング前の元の音声には戻せなくなります。",
                                   name.c_str(), which.c_str()),
                  kCaption, MessageIcon::kWarning, true},
      false};
}

DiscardOutcome discard_journal_of_loaded_file(APP_STATE_INFO& app) {
  const std::string name = platform::file_name(app.mxfPath);
  if (loaded_journal(app).state == JournalState::kNone) {
    // Removed behind the program's back since it was last looked at.
    app.undoOffered = 0;
    app.journalKept = 0;
    UndoResult none;
    none.fault = UndoFault::kNoJournal;
    return {false, plain(undo_result_text(name, none), MessageIcon::kInformation)};
  }
  if (std::optional<UserMessage> refusal = discard_loaded_journal(app)) return {false, *refusal};
  return {true, plain(platform::format("%s\n\n元に戻すための記録を破棄しました。", name.c_str()),
                      MessageIcon::kInformation)};
}

void accept_journal_settings(APP_STATE_INFO& app, bool journalOn, const std::string& folder) {
  app.journalOff = journalOn ? 0 : 1;
  app.journalFolder = folder;
  // Another folder holds (or lacks) another journal.
  if (app.mxfLoaded != 0) note_journal(app);
}

std::string journal_folder_text(const std::string& folder) {
  return folder.empty() ? std::string(kJournalBesideFile) : folder;
}

}  // namespace tavrin::app
