#include "jobs/wrap_detail_log.h"

#include "jobs/mxf_info_block.h"
#include "jobs/program.h"
#include "platform/text.h"
#include "wrap/wrap_plan.h"
#include "wrap/job_range.h"

namespace tavrin::jobs {

namespace {

using platform::format;

// The C int of a 32-bit field, as "%d" prints it.
int as_int(uint32_t value) {
  return static_cast<int>(static_cast<int32_t>(value));
}

std::string wav_block(const WAV_LIBRARY_ENTRY& entry, const MXF_TIMECODE_INFO& timecode) {
  const WAV_FILE_INFO& info = entry.info;
  const uint32_t fps = timecode.fpsCode;
  const uint32_t df = timecode.dropFrame;
  const std::string start = log_timecode(fps, df, info.start_frame);
  const std::string end = log_timecode(fps, df, info.end_frame);
  const std::string length = log_timecode(fps, df, info.duration_frames);
  return format(
      "%s\r\n%s\r\n%dch  %dbit  %dHz\r\n"
      "開始 = %s +%03d *%04d (%lld samples)\r\n"
      "終了 = %s +%03d *%04d (%lld samples)\r\n"
      "長さ = %s \r\n\r\n",
      entry.file_name.c_str(), entry.file_path.c_str(), info.channels, info.bits_per_sample,
      as_int(info.sample_rate), start.c_str(), as_int(info.start_subframe),
      as_int(info.start_remainder), static_cast<long long>(info.start_sample), end.c_str(),
      as_int(info.end_subframe), as_int(info.end_remainder),
      static_cast<long long>(info.end_sample), length.c_str());
}

}  // namespace

std::vector<std::string> wrap_detail_log_pieces(const std::string& mxfPath,
                                                const MXF_BASE_INFO& mxf,
                                                const AUDIOTRACK_IO_INFO& tracks, bool useFileApi,
                                                const platform::LocalTime& writtenAt) {
  static const MXF_TIMECODE_INFO kNoTimecode;
  static const MXF_AUDIO_INFO kNoAudio;
  const MXF_TIMECODE_INFO& timecode = mxf.timecode ? *mxf.timecode : kNoTimecode;
  const MXF_AUDIO_INFO& audio = mxf.audio ? *mxf.audio : kNoAudio;
  const uint32_t fps = timecode.fpsCode;
  const uint32_t df = timecode.dropFrame;
  const size_t sel = active_base(timecode);
  const std::string program(kProgramVersionText);

  std::vector<std::string> pieces;
  pieces.push_back(format("リラップ処理ログ [%s]\r\n作成日: %d/%02d/%02d  %02d:%02d:%02d\r\n\r\n",
                          program.c_str(), writtenAt.year, writtenAt.month, writtenAt.day,
                          writtenAt.hour, writtenAt.minute, writtenAt.second));
  pieces.push_back(format("< 書込み方式 >\r\n%s\r\n\r\n",
                          useFileApi ? "標準ファイル入出力" : "メモリマッピング"));
  pieces.push_back(mxf_info_block(mxfPath, mxf, writtenAt));
  const std::string in = log_timecode(fps, df, tracks.inFrame[0]);
  const std::string out = log_timecode(fps, df, tracks.outFrame[0]);
  const std::string length = log_timecode(fps, df, tracks.outFrame[sel] - tracks.inFrame[sel] + 1);
  pieces.push_back(format("< 処理範囲 >\r\nIN  %s\r\nOUT %s\r\nDUR %s\r\n\r\n", in.c_str(),
                          out.c_str(), length.c_str()));
  pieces.push_back(format("< %dトラックへの割当て詳細 >\r\n", audio.trackCount));

  // Tracks beyond the 24 slots cannot be wrapped and print as left alone.
  const std::vector<TrackUse> uses = track_uses(tracks, audio.trackCount);
  for (size_t t = 0; t < audio.trackCount; ++t) {
    std::string block = format("********     Track %d     ********\r\n", static_cast<int>(t + 1));
    const TrackUseKind kind = t < uses.size() ? uses[t].kind : TrackUseKind::kUntouched;
    if (kind == TrackUseKind::kWav) {
      block += wav_block(*uses[t].entry, timecode);
    } else if (kind == TrackUseKind::kSilence) {
      block += "NULLデータ(無音)を書込みました。\r\n\r\n";
    } else {
      block += "ラッピング処理は実行していません。\r\n\r\n";
    }
    pieces.push_back(std::move(block));
  }
  pieces.push_back("\r\n完了\r\n");
  return pieces;
}

LogWriteResult write_wrap_detail_log(const std::string& logPath, const std::string& mxfPath,
                                     const MXF_BASE_INFO& mxf, const AUDIOTRACK_IO_INFO& tracks,
                                     bool useFileApi, platform::TextEncoding encoding,
                                     const platform::LocalTime& writtenAt) {
  return write_log(logPath, wrap_detail_log_pieces(mxfPath, mxf, tracks, useFileApi, writtenAt),
                   encoding);
}

std::string wrap_log_failure_text(const std::string& mxfName, int systemError) {
  return format(
      "%s\n\nログファイルを作成できません。\n保存場所・接続デバイスを確認して下さい。\nERR: %X",
      mxfName.c_str(), static_cast<unsigned>(systemError));
}

std::string wrap_log_written_text(const std::string& mxfName, const std::string& logPath) {
  return format("%s\nに対して行ったラッピング処理の詳細を下記の場所に作成しました。\n\n%s",
                mxfName.c_str(), logPath.c_str());
}

UserMessage wrap_log_failure_message(const std::string& mxfName, int systemError) {
  return {wrap_log_failure_text(mxfName, systemError), std::string(kWrapLogSaveTitle),
          MessageIcon::kError, false};
}

UserMessage wrap_log_written_message(const std::string& mxfName, const std::string& logPath) {
  return {wrap_log_written_text(mxfName, logPath), std::string(kProgramName),
          MessageIcon::kInformation, false};
}

}  // namespace tavrin::jobs
