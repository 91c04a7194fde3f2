// Taking a wrap back: the undo journal of the loaded file as the window and the command line
// see it. The facts of the journal, the checks before a wrapping job (a job cut off must be
// undone or its journal discarded first; the journal must fit where it is written), the offer to
// restore after a cancelled or failed wrap, the question at load when a job was cut off, the
// "元に戻す" command's state, and the undo and discard operations with their messages.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "app/background_job.h"
#include "jobs/runner.h"
#include "wav/user_message.h"
#include "wrap/undo_restore.h"

namespace tavrin::app {

inline constexpr std::string_view kUndoCommandText = "元に戻す";
inline constexpr std::string_view kJournalCheckText =
    "ラッピング前の音声を記録して元に戻せるようにする";
inline constexpr std::string_view kJournalFolderLabel = "記録の保存先";
// The settings dialog's group of the journal, the folder shown when none is chosen, the buttons
// beside it and the folder browser's title.
inline constexpr std::string_view kJournalGroupTitle = "元に戻す";
inline constexpr std::string_view kJournalBesideFile = "MXFファイルと同じフォルダー";
inline constexpr std::string_view kJournalFolderBrowse = "参照...";
inline constexpr std::string_view kJournalFolderReset = "既定に戻す";
inline constexpr std::string_view kJournalFolderTitle = "元に戻すための記録の保存先";
// The small dialog while a file is being restored, and the status bar then.
inline constexpr std::string_view kUndoDialogTitle = "元に戻す";
inline constexpr std::string_view kUndoRunningText = "元の音声に戻しています...";
inline constexpr std::string_view kUndoRunningStatus = "元に戻しています...";
inline constexpr std::string_view kUndoDoneStatus = "元に戻しました";
// The status bar after the journal of the loaded file was discarded.
inline constexpr std::string_view kDiscardDoneStatus = "元に戻すための記録を破棄しました";

// Where the journal of the loaded file is (or will be) written.
std::string journal_folder(const APP_STATE_INFO& app);
// The journal of the loaded file as it stands on disk.
JournalFound loaded_journal(const APP_STATE_INFO& app);

// "interrupted wrap of N frames" for a journal whose job was cut off; empty otherwise.
std::string interrupted_wrap_line(const JournalFound& journal);

// Looks whether a journal of the loaded file is on disk and keeps the answer in `journalKept`
// (the state of "元に戻すための記録を破棄" reads the flag, not the disk).
void note_journal(APP_STATE_INFO& app);

// The checks before a wrapping job, in this order: a journal of a job cut off refuses the job
// until it is undone or discarded; with the journal on, the bytes it will take must fit into
// the free space where it is written (the refusal gives both sizes). Nothing when the job may
// start. Both front ends pass through this (start_wrapping calls it).
std::optional<UserMessage> check_journal_before_wrap(APP_STATE_INFO& app);
// The space part of that check: a refusal naming both sizes and the folder when `needed` exceeds
// `available`.
std::optional<UserMessage> journal_space_refusal(const std::string& mxfName, uint64_t needed,
                                                 uint64_t available, const std::string& folder);

// Taken when a wrapping job starts, after its checks: the file's stamp and the journal file
// already there, so that after the job its own journal is told from an earlier job's (a job that
// ends before its first write leaves none and keeps the earlier one).
void mark_wrap_start(APP_STATE_INFO& app);
// The journal was written by the job started last: it is not the journal file that was there
// before, and its header records the file as that job found it.
bool written_by_last_wrap(const APP_STATE_INFO& app, const JournalFound& journal);

// A Yes/No question with the answer the window preselects.
struct Question {
  UserMessage message;
  bool defaultYes = true;
};

// After a wrapping job's final message: a cancelled or failed job whose own journal holds what it
// wrote offers to restore the original audio (Yes/No, Yes preselected). Nothing after a success,
// when there is nothing to restore, or when the journal on disk is an earlier job's (this one
// ended before it wrote). A completed job with its journal makes "元に戻す" available.
std::optional<Question> after_wrap(APP_STATE_INFO& app, const jobs::JobMessage& final);

// After a load: a journal of a job cut off asks whether to restore the original audio (Yes/No,
// Yes preselected). The question also carries the "interrupted wrap of N frames" line the
// command line's report gives.
std::optional<Question> question_at_load(const APP_STATE_INFO& app);

// "元に戻す" in the ファイル menu: a file is loaded and its last wrap completed in this session
// with its journal still in place.
bool undo_available(const APP_STATE_INFO& app);

// Restores the loaded file (or, with no file loaded, `path`) from its journal. The message says
// what was restored or why nothing was written. The loaded file's stamp follows the restore.
struct UndoOutcome {
  bool restored = false;
  UserMessage message;
  UndoResult result;
};
UndoOutcome undo_last_wrap(APP_STATE_INFO& app);
UndoOutcome undo_file(const std::string& path, const std::string& folder);

// The same restore of the loaded file as a background job, for the window: the worker restores
// the file without touching the working set and hands the outcome to `finished` (on the worker
// thread, as its last act); the caller joins the job and then takes the outcome into the working
// set with finish_undo on its own thread (a restore, or a journal found gone, ends "元に戻す").
// undo_last_wrap is the two in one.
BackgroundJob start_undo(const APP_STATE_INFO& app,
                         std::function<void(const UndoOutcome&)> finished);
void finish_undo(APP_STATE_INFO& app, const UndoOutcome& outcome);

// Removes the journal of the loaded file (the journal of a job cut off first).
std::optional<UserMessage> discard_loaded_journal(APP_STATE_INFO& app);

// "元に戻すための記録を破棄" in the ファイル menu: the question before (Yes/No, No preselected:
// the original audio can no longer be restored afterwards), then the discard with a message
// saying it was done or why not.
Question discard_question(const APP_STATE_INFO& app);
struct DiscardOutcome {
  bool discarded = false;  // a journal was removed
  UserMessage message;
};
DiscardOutcome discard_journal_of_loaded_file(APP_STATE_INFO& app);

// The message of an undo's result, naming the file.
std::string undo_result_text(const std::string& mxfName, const UndoResult& result);

// The settings of the journal: on or off, and the folder (empty: beside the MXF file).
void accept_journal_settings(APP_STATE_INFO& app, bool journalOn, const std::string& folder);
// The folder as the settings dialog shows it: the chosen folder, or kJournalBesideFile.
std::string journal_folder_text(const std::string& folder);

}  // namespace tavrin::app
