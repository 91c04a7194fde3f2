// The LTC error log: every break the timecode verification found, behind the program's line, the
// "< MXF情報 >" block and the number of breaks; and the texts the window and the command line
// show around writing it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/log_writer.h"
#include "mxf/records.h"
#include "platform/local_time.h"
#include "wav/user_message.h"

namespace tavrin::jobs {

// The state column: "inc" (jumped forward), "dec" (went back), "still" (stood still), "**" for
// any other value.
std::string_view timecode_error_state_text(uint32_t state);

// The pieces of the log, in order: the program's line with the time of writing, the
// "< MXF情報 >" block, the number of breaks, the header row and one row per record (numbered from
// 0). The two timecodes of a row are shown in the base the verification counted in (30 frames for
// a 60-frame file); the accumulated position is an edit unit number at the file's rate.
std::vector<std::string> ltc_error_log_pieces(const std::string& mxfPath, const MXF_BASE_INFO& mxf,
                                              const TimecodeErrorList& errors,
                                              const platform::LocalTime& writtenAt);

// Writes the log to `logPath`. Once it is written the records have served their purpose: the list
// is emptied. When writing fails the records stay, so the operator can choose another place.
LogWriteResult write_ltc_error_log(const std::string& logPath, const std::string& mxfPath,
                                   const MXF_BASE_INFO& mxf, TimecodeErrorList* errors,
                                   platform::TextEncoding encoding,
                                   const platform::LocalTime& writtenAt);

// Title of the save dialog of the log, also the caption of its failure message.
inline constexpr std::string_view kLtcLogSaveTitle = "エラーログの保存";
// Caption of the message that the log was written.
inline constexpr std::string_view kLtcLogWrittenCaption = "MXF File Analysis";
// Status bar texts while and after writing.
inline constexpr std::string_view kLtcLogWritingStatus = "ログテキストを書き出し中...";
inline constexpr std::string_view kLtcLogWrittenStatus = "ログテキスト書出し完了";

// "%s\n\nエラーログを作成できません。\n保存場所、接続デバイスを確認して下さい。\nERR: %X" with the
// MXF file's name and the system error, for any failure of writing the log.
std::string ltc_log_failure_text(const std::string& mxfName, int systemError);
// "%s\r\n%s\r\n\nタイムコードエラーログを作成しました" with the MXF file's name and its full path.
std::string ltc_log_written_text(const std::string& mxfName, const std::string& fullPath);

// The same texts as the message records the front ends show (error icon / information icon).
UserMessage ltc_log_failure_message(const std::string& mxfName, int systemError);
UserMessage ltc_log_written_message(const std::string& mxfName, const std::string& fullPath);

}  // namespace tavrin::jobs
