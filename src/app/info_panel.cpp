#include "app/info_panel.h"

#include "jobs/messages.h"
#include "jobs/mxf_info_block.h"
#include "jobs/program.h"
#include "platform/local_time.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "timecode/timecode.h"

namespace tavrin::app {

namespace {

using platform::format;

constexpr const char* kNoTimecode = "--:--:--:--";

std::string scan_letter(const MXF_VIDEO_INFO& video) {
  if (video.mpegField4 == 2) return "i";
  if (video.mpegField4 == 1 || video.codingIndex == 5 || video.codingIndex == 6) return "p";
  return "";
}

}  // namespace

std::string rate_text(uint32_t rateCode) {
  switch (rateCode) {
    case 0:
      return "24";
    case 1:
      return "25";
    case 2:
      return "30";
    case 3:
      return "60";
    case 4:
      return "23.98";
    case 6:
      return "29.97";
    case 7:
      return "59.94";
    default:
      return "";
  }
}

std::vector<PanelFact> information_panel(const MXF_BASE_INFO* loaded) {
  if (loaded == nullptr || loaded->timecode == nullptr || loaded->audio == nullptr ||
      loaded->video == nullptr) {
    return {
        {"Time code", "Rate", "Unknown"},   {"Time code", "Head", kNoTimecode},
        {"Time code", "Tail", kNoTimecode}, {"Time code", "Dur", kNoTimecode},
        {"Audio", "Format", "Unknown"},     {"Audio", "Tracks", "0"},
        {"Audio", "Bit Rate", "0bit"},      {"Audio", "Fs Rate", "0kHz"},
        {"Video", "Codec", "Unknown"},      {"Video", "Bit Rate", "0.0Mbps"},
        {"Video", "FPS", "Unknown"},        {"Video", "Size", "Unknown"},
    };
  }
  const MXF_TIMECODE_INFO& t = *loaded->timecode;
  const MXF_AUDIO_INFO& a = *loaded->audio;
  const MXF_VIDEO_INFO& v = *loaded->video;

  const std::string rate = rate_text(t.rateCode);
  std::string rateValue = rate.empty() ? "Unknown" : rate;
  if (t.rateCode == 6 || t.rateCode == 7) {
    rateValue = format("%s %s", rate.c_str(), t.dropFrame ? "DF" : "NDF");
  }
  const int64_t duration = t.startsInHour23 ? int64_t{t.shiftedEnd} - t.shiftedStart + 1
                                            : int64_t{t.endFrame} - t.startFrame + 1;
  const std::string fps = rate.empty() ? "Unknown?" : rate + scan_letter(v);
  const std::string videoRate =
      v.bitRate == 0 ? "0.0Mbps" : format("%.1fMbps", v.bitRate / 1000000.0);

  return {
      {"Time code", "Rate", rateValue},
      {"Time code", "Head", frame_timecode_text(t, t.startFrame)},
      {"Time code", "Tail", frame_timecode_text(t, t.endFrame)},
      {"Time code", "Dur", frame_timecode_text(t, duration)},
      {"Audio", "Format", "AES3/LPCM"},
      {"Audio", "Tracks", format("%d", a.trackCount)},
      {"Audio", "Bit Rate", format("%ubit", a.quantizationBits)},
      {"Audio", "Fs Rate", format("%ukHz", a.sampleRate / 1000)},
      {"Video", "Codec", v.codingName},
      {"Video", "Bit Rate", videoRate},
      {"Video", "FPS", fps},
      {"Video", "Size", format("%u x %u", v.displayWidth, v.displayHeight)},
  };
}

std::string file_name_line(const std::string& mxfPath, bool loaded) {
  if (!loaded) return "MXFファイルをウィンドウにドラッグ＆ドロップしてください";
  return platform::file_name(mxfPath);
}

std::string frame_timecode_text(const MXF_TIMECODE_INFO& timecode, int64_t frame) {
  return tc::timecode_text(timecode.fpsCode, timecode.dropFrame, frame);
}

std::string mxf_info_block_text(const APP_STATE_INFO& app) {
  return jobs::mxf_info_block(app.mxfPath, app.mxf(), platform::local_time_now());
}

std::string_view analysis_section_name(int sectionCode) {
  return jobs::section_name(sectionCode);
}

std::string analysis_reason_text(const APP_STATE_INFO& app, int sectionCode, int code) {
  return jobs::analysis_message(sectionCode, code, app.mxf().timecode);
}

std::string_view program_version_text() {
  return jobs::kProgramVersionText;
}

}  // namespace tavrin::app
