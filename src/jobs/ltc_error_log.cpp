#include "jobs/ltc_error_log.h"

#include "jobs/mxf_info_block.h"
#include "jobs/program.h"
#include "mxf/verify_timecode.h"
#include "platform/text.h"

namespace tavrin::jobs {

namespace {

using platform::format;

}  // namespace

std::string_view timecode_error_state_text(uint32_t state) {
  switch (state) {
    case 2:
      return "inc";
    case 3:
      return "dec";
    case 4:
      return "still";
    default:
      return "**";
  }
}

std::vector<std::string> ltc_error_log_pieces(const std::string& mxfPath, const MXF_BASE_INFO& mxf,
                                              const TimecodeErrorList& errors,
                                              const platform::LocalTime& writtenAt) {
  static const MXF_TIMECODE_INFO kNoTimecode;
  const MXF_TIMECODE_INFO& timecode = mxf.timecode ? *mxf.timecode : kNoTimecode;
  const std::string program(kProgramVersionText);

  std::vector<std::string> pieces;
  pieces.reserve(errors.size() + 4);
  pieces.push_back(
      format("LTCエラーログ作成日 [%s]\r\n作成日: %d/%02d/%02d  %02d:%02d:%02d\r\n\r\n",
             program.c_str(), writtenAt.year, writtenAt.month, writtenAt.day, writtenAt.hour,
             writtenAt.minute, writtenAt.second));
  pieces.push_back(mxf_info_block(mxfPath, mxf, writtenAt));
  pieces.push_back(
      format("\r\nLTCエラー数: %d\r\nこの数値が全フレームと同じかそれに近い場合、エレメ"
             "ントが壊れている可能性があります。\r\n\r\n",
             static_cast<int>(timecode.errorCount)));
  pieces.push_back("#       発生場所     再開ＴＣ     積算         状態\r\n");

  const uint32_t countingBase = timecode_counting(timecode.fpsCode).base;
  int row = 0;
  for (const TIMECODE_ERROR_INFO& record : errors) {
    const std::string before = log_timecode(countingBase, timecode.dropFrame, record.beforeFrame);
    const std::string after = log_timecode(countingBase, timecode.dropFrame, record.afterFrame);
    const std::string position =
        log_timecode(timecode.fpsCode, timecode.dropFrame, record.position);
    const std::string state(timecode_error_state_text(record.state));
    pieces.push_back(format("%6d  %s  %s  %s  %s\r\n", row, before.c_str(), after.c_str(),
                            position.c_str(), state.c_str()));
    ++row;
  }
  return pieces;
}

LogWriteResult write_ltc_error_log(const std::string& logPath, const std::string& mxfPath,
                                   const MXF_BASE_INFO& mxf, TimecodeErrorList* errors,
                                   platform::TextEncoding encoding,
                                   const platform::LocalTime& writtenAt) {
  static const TimecodeErrorList kNoErrors;
  const LogWriteResult result = write_log(
      logPath, ltc_error_log_pieces(mxfPath, mxf, errors ? *errors : kNoErrors, writtenAt),
      encoding);
  if (result.written() && errors != nullptr) errors->clear();
  return result;
}

std::string ltc_log_failure_text(const std::string& mxfName, int systemError) {
  return format(
      "%s\n\nエラーログを作成できません。\n保存場所、接続デバイスを確認して下さい。\nERR: %X",
      mxfName.c_str(), static_cast<unsigned>(systemError));
}

std::string ltc_log_written_text(const std::string& mxfName, const std::string& fullPath) {
  return format("%s\r\n%s\r\n\nタイムコードエラーログを作成しました", mxfName.c_str(),
                fullPath.c_str());
}

UserMessage ltc_log_failure_message(const std::string& mxfName, int systemError) {
  return {ltc_log_failure_text(mxfName, systemError), std::string(kLtcLogSaveTitle),
          MessageIcon::kError, false};
}

UserMessage ltc_log_written_message(const std::string& mxfName, const std::string& fullPath) {
  return {ltc_log_written_text(mxfName, fullPath), std::string(kLtcLogWrittenCaption),
          MessageIcon::kInformation, false};
}

}  // namespace tavrin::jobs
