#include "app/loudness_run.h"

#include <algorithm>

#include "app/inout.h"
#include "jobs/mxf_info_block.h"
#include "loudness/loudness_codes.h"
#include "loudness/mxf_loudness.h"
#include "loudness/wav_loudness.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "wrap/job_range.h"

namespace tavrin::app {

namespace {

UserMessage warning(std::string text) {
  return UserMessage{std::move(text), kLoudnessCaption, MessageIcon::kWarning, false};
}

void judge(LoudnessReport& report, const loudness::LoudnessOutcome& outcome,
           const std::string& trackPrefix) {
  report.code = outcome.code;
  report.fault = outcome.fault;
  report.faultFrame = outcome.faultFrame;
  report.frames = outcome.frames;
  if (outcome.code != 0) return;
  const loudness::LoudnessTarget& target = loudness::target_of(report.target);
  for (size_t i = 0; i < outcome.measurements.size() && i < outcome.programmes.size(); ++i) {
    ProgrammeResult result;
    result.programme = outcome.programmes[i];
    result.name = loudness::programme_name(result.programme, trackPrefix);
    result.measurement = outcome.measurements[i];
    result.check = loudness::check_against(result.measurement, target);
    report.results.push_back(std::move(result));
  }
}

}  // namespace

bool LoudnessReport::cancelled() const {
  return code == loudness_codes::kCancelled;
}

bool LoudnessReport::unreadable() const {
  return code == loudness_codes::kWavOpen || code == loudness_codes::kOpenMxf;
}

bool LoudnessReport::every_programme_meets() const {
  if (code != 0 || results.empty()) return false;
  return std::all_of(results.begin(), results.end(),
                     [](const ProgrammeResult& r) { return r.check.meets(); });
}

LoudnessSelection default_loudness_selection(const APP_STATE_INFO& app) {
  LoudnessSelection selection;
  const size_t tracks = app.existing_tracks();
  for (size_t t = 0; t < tracks; ++t) selection.tracks.push_back(t);
  if (tracks >= 2) selection.pairs.push_back({0, 1});
  return selection;
}

std::vector<loudness::Programme> programmes_of(const LoudnessSelection& selection) {
  std::vector<loudness::Programme> programmes;
  for (const size_t t : selection.tracks) programmes.push_back(loudness::mono_programme(t));
  for (const auto& pair : selection.pairs) {
    programmes.push_back(loudness::stereo_programme(pair[0], pair[1]));
  }
  return programmes;
}

LoudnessScope default_loudness_scope(const APP_STATE_INFO& app) {
  return app.inSet && app.outSet ? LoudnessScope::kInOut : LoudnessScope::kWholeFile;
}

bool loudness_available(const APP_STATE_INFO& app) {
  return app.mxfLoaded != 0;
}

std::optional<UserMessage> check_loudness_request(const APP_STATE_INFO& app, LoudnessScope scope,
                                                  const LoudnessSelection& selection) {
  if (!loudness_available(app)) return warning("MXFファイルが読み込まれていません。");
  if (scope == LoudnessScope::kInOut && (!app.inSet || !app.outSet)) {
    return warning("IN点とOUT点を設定してください。");
  }
  if (selection.tracks.empty() && selection.pairs.empty()) {
    return warning("測定するトラックがありません。");
  }
  const size_t tracks = app.existing_tracks();
  for (const size_t t : selection.tracks) {
    if (t >= tracks) return warning(platform::format("Track-%zu はありません。", t + 1));
  }
  for (const auto& pair : selection.pairs) {
    for (const size_t t : pair) {
      if (t >= tracks) return warning(platform::format("Track-%zu はありません。", t + 1));
    }
    if (pair[0] == pair[1])
      return warning("ステレオペアには異なる2つのトラックを指定してください。");
  }
  return std::nullopt;
}

LoudnessReport measure_loaded_file(const APP_STATE_INFO& app, LoudnessScope scope,
                                   const LoudnessSelection& selection, loudness::TargetId target,
                                   platform::JobControl& control) {
  LoudnessReport report;
  report.path = app.mxfPath;
  report.target = target;
  const MXF_TIMECODE_INFO& timecode = app.timecode();
  loudness::MxfLoudnessJob job;
  job.mxfPath = app.mxfPath;
  job.mxf = app.mxfLoaded ? &app.mxf() : nullptr;
  job.programmes = programmes_of(selection);
  report.wholeFile = scope == LoudnessScope::kWholeFile;
  if (report.wholeFile) {
    job.in = loudness::whole_file_in(timecode);
    job.out = loudness::whole_file_out(timecode);
  } else {
    job.in = app.tracks.inFrame;
    job.out = app.tracks.outFrame;
  }
  report.inText = jobs::log_timecode(timecode.fpsCode, timecode.dropFrame, job.in[0]);
  report.outText = jobs::log_timecode(timecode.fpsCode, timecode.dropFrame, job.out[0]);
  judge(report, loudness::measure_mxf_loudness(job, control), app.trackLabelPrefix);
  return report;
}

LoudnessReport measure_wav_file(const std::string& path, loudness::TargetId target,
                                platform::JobControl& control) {
  LoudnessReport report;
  report.wav = true;
  report.path = path;
  report.target = target;
  WAV_FILE_INFO info;
  const loudness::LoudnessOutcome outcome = loudness::measure_wav_loudness(path, control, &info);
  report.channels = info.channels;
  report.bits = info.bits_per_sample;
  judge(report, outcome, "");
  // A file's one programme is named by the file.
  const std::string name = platform::file_name(path);
  for (ProgrammeResult& result : report.results) result.name = name;
  return report;
}

LoudnessReport measure_library_row(const APP_STATE_INFO& app, size_t row, loudness::TargetId target,
                                   platform::JobControl& control) {
  if (row >= app.libraryView.size() || app.libraryView[row] == nullptr) {
    LoudnessReport report;
    report.wav = true;
    report.target = target;
    report.code = loudness_codes::kWavNoPath;
    return report;
  }
  return measure_wav_file(app.libraryView[row]->file_path, target, control);
}

std::optional<UserMessage> loudness_failure_message(const LoudnessReport& report) {
  namespace codes = loudness_codes;
  const std::string name = platform::file_name(report.path);
  std::string text;
  MessageIcon icon = MessageIcon::kError;
  switch (report.code) {
    case 0:
      return std::nullopt;
    case codes::kCancelled:
      text = "ラウドネス測定を中止しました。";
      icon = MessageIcon::kInformation;
      break;
    case codes::kNoPath:
    case codes::kNoBase:
      text = "MXFファイルが読み込まれていません。";
      break;
    case codes::kBadRange:
      text = "測定範囲がファイルの範囲外です。";
      break;
    case codes::kNoProgramme:
      text = "測定するトラックがありません。";
      break;
    case codes::kSampleFormat:
      text = "16ビットまたは24ビットのPCMではないため測定できません。";
      break;
    case codes::kOpenMxf:
      text = platform::format("%s を開けません。", name.c_str());
      break;
    case codes::kFileChanged:
      text = platform::format("%s は解析の後に変更されています。もう一度読み込んでください。",
                              name.c_str());
      break;
    case codes::kReadMxf:
      text = platform::format("%s の読み込みに失敗しました。", name.c_str());
      break;
    case codes::kElement:
      text = platform::format("音声エレメントが正しくないため測定できません。(%llu フレーム目: %s)",
                              static_cast<unsigned long long>(report.faultFrame + 1),
                              std::string(element_fault_text(report.fault)).c_str());
      break;
    case codes::kNoMemory:
    case codes::kWavMeter:
    case codes::kMeter:
      text = "メモリが不足しているため測定できません。";
      break;
    case codes::kWavNoPath:
      text = "WAVファイルが選択されていません。";
      break;
    case codes::kWavOpen:
      text = platform::format("%s を開けません。", name.c_str());
      break;
    case codes::kWavNotUsable:
      text = platform::format("%s はWAVファイルとして読めません。", name.c_str());
      break;
    case codes::kWavFormat:
      text = platform::format(
          "%s は 48kHz 16/24ビットのモノラルまたはステレオのPCMではありません。", name.c_str());
      break;
    case codes::kWavRead:
      text = platform::format("%s の読み込みに失敗しました。", name.c_str());
      break;
    default:
      text = platform::format("ラウドネスを測定できませんでした。(%d)", report.code);
      break;
  }
  return UserMessage{text, kLoudnessCaption, icon, false};
}

}  // namespace tavrin::app
