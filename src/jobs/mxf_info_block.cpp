#include "jobs/mxf_info_block.h"

#include <iterator>

#include "platform/paths.h"
#include "platform/text.h"
#include "timecode/timecode.h"

namespace tavrin::jobs {

namespace {

using platform::format;

// The C int of a 32-bit field, as "%d" prints it.
int as_int(uint32_t value) {
  return static_cast<int>(static_cast<int32_t>(value));
}

// Timecode fields and the separator, in the order "%02d:%02d:%02d%c%02d" takes them.
struct LogTimecode {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  char separator = ':';
  int frames = 0;
};

LogTimecode log_timecode_fields(uint32_t fpsCode, uint32_t dropFrame, uint32_t actualCount) {
  const tc::Timecode t = tc::frames_to_display_timecode(
      fpsCode, dropFrame, static_cast<int64_t>(static_cast<int32_t>(actualCount)));
  return {t.hours, t.minutes, t.seconds, dropFrame != 0 ? '.' : ':', t.frames};
}

}  // namespace

std::string log_timecode(uint32_t fpsCode, uint32_t dropFrame, uint32_t actualCount) {
  const LogTimecode t = log_timecode_fields(fpsCode, dropFrame, actualCount);
  return format("%02d:%02d:%02d%c%02d", t.hours, t.minutes, t.seconds, t.separator, t.frames);
}

std::string_view rate_name(uint32_t rateCode) {
  static constexpr std::string_view kNames[] = {"24",    "25",  "30",    "60",
                                                "23.98", "DMY", "29.97", "59.94"};
  return rateCode < std::size(kNames) ? kNames[rateCode] : std::string_view();
}

std::string_view scan_letter(const MXF_VIDEO_INFO& video) {
  if (video.mpegField4 == 2) return "i";
  if (video.mpegField4 == 1 || video.codingIndex == 5 || video.codingIndex == 6) return "p";
  return {};
}

// A 59.94 file counts non-drop as often as a 29.97 one does: the timecode's own drop flag decides
// at both rates, so the label agrees with the timecodes printed beside it.
std::string_view drop_frame_label(uint32_t dropFrame, uint32_t rateCode) {
  return dropFrame != 0 && (rateCode == 6 || rateCode == 7) ? "DF" : "NDF";
}

std::string mxf_info_block(const std::string& mxfPath, const MXF_BASE_INFO& mxf,
                           const platform::LocalTime& writtenAt) {
  static const MXF_TIMECODE_INFO kNoTimecode;
  static const MXF_AUDIO_INFO kNoAudio;
  static const MXF_VIDEO_INFO kNoVideo;
  const MXF_TIMECODE_INFO& timecode = mxf.timecode ? *mxf.timecode : kNoTimecode;
  const MXF_AUDIO_INFO& audio = mxf.audio ? *mxf.audio : kNoAudio;
  const MXF_VIDEO_INFO& video = mxf.video ? *mxf.video : kNoVideo;
  const INDEX_ENTRY_ARRAY* first = first_index_entry(mxf);

  const std::string name = platform::file_name(mxfPath);
  const std::string folder = platform::folder_of(mxfPath);
  const std::string size = tc::size_text(mxf.fileSize);
  const std::string rate(rate_name(timecode.rateCode));
  const std::string letter(scan_letter(video));
  const std::string dropLabel(drop_frame_label(timecode.dropFrame, timecode.rateCode));
  const float bitRate = static_cast<float>(video.bitRate) / 1000000.0f;

  const uint32_t fps = timecode.fpsCode;
  const uint32_t df = timecode.dropFrame;
  const uint32_t length = timecode.startsInHour23 != 0
                              ? timecode.shiftedEnd - timecode.shiftedStart + 1
                              : timecode.endFrame - timecode.startFrame + 1;
  const LogTimecode start = log_timecode_fields(fps, df, timecode.startFrame);
  const LogTimecode end = log_timecode_fields(fps, df, timecode.endFrame);
  const LogTimecode span = log_timecode_fields(fps, df, length);

  // The scan letter is a text of its own: a missing letter prints nothing (a "%c" of it would
  // write a NUL byte into the log).
  return format(
      "< MXF情報 >\r\n"
      "%s\r\n"
      "%s\r\n"
      "%s\r\n"
      "\r\n"
      "作成日: %s\r\n"
      "更新日: %d/%02d/%02d  %02d:%02d:%02d\r\n"
      "\r\n"
      "製品名: %s %s\r\n"
      "    OS: %s\r\n"
      "会社名: %s\r\n"
      "\r\n"
      "MXF version = %d.%d\r\n"
      "\r\n"
      "Video Codec        = %s\r\n"
      "Bit Rate           = %.2f Mb/s\r\n"
      "FPS                = %s%s\r\n"
      "Audio Sample       = %d\r\n"
      "Audio Bit Depth    = %d\r\n"
      "Tracks             = %d\r\n"
      "Delta Entry        = %d\r\n"
      "Audio Element size = %d\r\n"
      "Data Element size  = %d\r\n"
      "Segment Max frame  = %d\r\n"
      "\r\n"
      "フレームレート = %s%s\r\n"
      "開始(フレーム) = %02d:%02d:%02d%c%02d (%d)\r\n"
      "終了(フレーム) = %02d:%02d:%02d%c%02d (%d)\r\n"
      "長さ(フレーム) = %02d:%02d:%02d%c%02d (%d)\r\n"
      "\r\n"
      "想定フレーム数   = %d\r\n"
      "実際のフレーム数 = %d\r\n"
      "\r\n",
      name.c_str(), folder.c_str(), size.c_str(), mxf.creationDate.c_str(), writtenAt.year,
      writtenAt.month, writtenAt.day, writtenAt.hour, writtenAt.minute, writtenAt.second,
      mxf.productName.c_str(), mxf.versionString.c_str(), mxf.platform.c_str(),
      mxf.companyName.c_str(), mxf.versionMajor, mxf.versionMinor, video.codingName.c_str(),
      static_cast<double>(bitRate), rate.c_str(), letter.c_str(), as_int(audio.sampleRate),
      as_int(audio.quantizationBits), audio.trackCount, as_int(first ? first->deltaCount : 0),
      as_int(audio.audioElementSize), as_int(mxf.ancElementSize),
      as_int(timecode.maxSegmentDuration), rate.c_str(), dropLabel.c_str(), start.hours,
      start.minutes, start.seconds, start.separator, start.frames, as_int(timecode.startFrame),
      end.hours, end.minutes, end.seconds, end.separator, end.frames, as_int(timecode.endFrame),
      span.hours, span.minutes, span.seconds, span.separator, span.frames, as_int(length),
      as_int(timecode.duration), as_int(timecode.indexEntryCount));
}

}  // namespace tavrin::jobs
