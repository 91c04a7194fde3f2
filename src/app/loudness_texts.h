// The texts of a loudness measurement: the result table as the window shows it (one row per
// programme with the target's verdict), and the text report the operator can save, written in
// the log encoding through the log writer.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/loudness_run.h"
#include "jobs/log_writer.h"
#include "mxf/records.h"
#include "platform/local_time.h"
#include "platform/text.h"

namespace tavrin::app {

inline constexpr size_t kLoudnessColumns = 7;
using LoudnessCells = std::array<std::string, kLoudnessColumns>;

// "プログラム", "ラウドネス", "ラウドネスレンジ", "トゥルーピーク", "最大モーメンタリー",
// "最大ショートターム", "判定".
const LoudnessCells& loudness_table_headers();

struct LoudnessRow {
  LoudnessCells cells;
  bool meets = false;  // the window may colour a row that fails
};
// One row per programme, in the order measured. Loudness in the target's unit ("-23.0 LUFS"),
// the range in LU, the true peak in dBTP, one decimal; minus infinity as "-inf". The verdict is
// "適合", or "不適合" with the reasons ("ラウドネス超過", "ラウドネス不足", "トゥルーピーク超過").
std::vector<LoudnessRow> loudness_table_rows(const LoudnessReport& report);

// "ARIB TR-B32: -24.0 LKFS ±1.0 LU, トゥルーピーク -1.0 dBTP 以下".
std::string target_description(loudness::TargetId target);
// The line under the table: "すべて適合" or "不適合 N / M".
std::string loudness_summary(const LoudnessReport& report);
// What was measured: "全体 01:00:00;00 - 01:00:59;29 (1800 フレーム)", "IN-OUT ...", or for a
// WAV "ステレオ 24ビット 48000Hz 1234567 サンプル".
std::string measured_span_text(const LoudnessReport& report);

// The report of a successful measurement as UTF-8 text with "\r\n" line ends: for an MXF file the
// "< MXF情報 >" block of its records first, then "< ラウドネス測定 >" with the file, the span,
// the target, the table and the summary.
std::string loudness_report_text(const LoudnessReport& report, const MXF_BASE_INFO* mxf,
                                 const platform::LocalTime& writtenAt);
// Writes that report to `path` in `encoding` (the logs' choice).
jobs::LogWriteResult save_loudness_report(const std::string& path, const LoudnessReport& report,
                                          const MXF_BASE_INFO* mxf, platform::TextEncoding encoding,
                                          const platform::LocalTime& writtenAt);
// The name the save dialog proposes: the measured file's name without its extension and
// "_loudness.txt".
std::string default_report_name(const LoudnessReport& report);

}  // namespace tavrin::app
