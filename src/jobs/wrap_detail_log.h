// The wrap detail log: what a finished wrapping job did — the program's line with the time of
// writing, the method, the "< MXF情報 >" block, the range, and one block per audio track saying
// whether it was left alone, filled with silence, or filled from which WAV file. Produced as UTF-8
// pieces; the log writer converts and writes them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "jobs/log_writer.h"
#include "mxf/records.h"
#include "platform/local_time.h"
#include "wav/user_message.h"
#include "wrap/track_job.h"

namespace tavrin::jobs {

// The pieces of the log, in order: the program's line, the method ("メモリマッピング" or
// "標準ファイル入出力" by `useFileApi`), the "< MXF情報 >" block, the range (IN, OUT and their
// length in the active counting base), the track count line, one block per track, and the
// closing line. A track block describes what the job wrote to the track: nothing (OFF), silence
// (ON without a WAV), or the WAV — also for the second track of a stereo file, which is described
// again under its own number.
std::vector<std::string> wrap_detail_log_pieces(const std::string& mxfPath,
                                                const MXF_BASE_INFO& mxf,
                                                const AUDIOTRACK_IO_INFO& tracks, bool useFileApi,
                                                const platform::LocalTime& writtenAt);

// Writes the log to `logPath` (created, or replaced when it exists).
LogWriteResult write_wrap_detail_log(const std::string& logPath, const std::string& mxfPath,
                                     const MXF_BASE_INFO& mxf, const AUDIOTRACK_IO_INFO& tracks,
                                     bool useFileApi, platform::TextEncoding encoding,
                                     const platform::LocalTime& writtenAt);

// The question after a finished wrapping job, and the title of the save dialog (also the caption
// of its failure message).
inline constexpr std::string_view kWrapLogQuestion = "詳細ログを作成しますか？";
inline constexpr std::string_view kWrapLogSaveTitle = "ラッピング詳細ログの保存";
// Status bar texts while and after writing.
inline constexpr std::string_view kWrapLogWritingStatus = "リラップ詳細ログを作成中...";
inline constexpr std::string_view kWrapLogWrittenStatus = "詳細ログの作成完了";

// "%s\n\nログファイルを作成できません。\n保存場所・接続デバイスを確認して下さい。\nERR: %X" with
// the MXF file's name and the system error.
std::string wrap_log_failure_text(const std::string& mxfName, int systemError);
// "%s\nに対して行ったラッピング処理の詳細を下記の場所に作成しました。\n\n%s" with the MXF file's
// name and the log's path.
std::string wrap_log_written_text(const std::string& mxfName, const std::string& logPath);

// The same texts as message records: error icon with the save dialog's title as caption, and
// information icon with the caption "MXF Tavrin".
UserMessage wrap_log_failure_message(const std::string& mxfName, int systemError);
UserMessage wrap_log_written_message(const std::string& mxfName, const std::string& logPath);

}  // namespace tavrin::jobs
