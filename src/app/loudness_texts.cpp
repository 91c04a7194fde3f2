#include "app/loudness_texts.h"

#include <cmath>

#include "jobs/mxf_info_block.h"
#include "platform/paths.h"

namespace tavrin::app {

namespace {

std::string number(double value, const char* unit) {
  if (std::isnan(value)) return std::string("- ") + unit;
  if (std::isinf(value)) return std::string(value < 0 ? "-inf " : "inf ") + unit;
  // A value that rounds to zero from below is shown as 0.0, not -0.0.
  const double shown = std::round(value * 10.0) / 10.0;
  return platform::format("%.1f %s", shown == 0 ? 0.0 : shown, unit);
}

std::string verdict_text(const loudness::TargetCheck& check) {
  if (check.meets()) return "適合";
  std::string reasons;
  auto add = [&](const char* reason) {
    if (!reasons.empty()) reasons += ", ";
    reasons += reason;
  };
  if (check.loudness == loudness::LoudnessVerdict::kTooLoud) add("ラウドネス超過");
  if (check.loudness == loudness::LoudnessVerdict::kTooQuiet) add("ラウドネス不足");
  if (!check.truePeakOk) add("トゥルーピーク超過");
  return "不適合 (" + reasons + ")";
}

// Pads a cell with spaces to `width` columns of a monospace font (East Asian wide characters take
// two columns).
std::string padded(const std::string& text, size_t width) {
  size_t columns = 0;
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
    columns += length >= 3 ? 2 : 1;
    i += length;
  }
  return columns >= width ? text + " " : text + std::string(width - columns, ' ');
}

}  // namespace

const LoudnessCells& loudness_table_headers() {
  static const LoudnessCells kHeaders = {"プログラム",
                                         "ラウドネス",
                                         "ラウドネスレンジ",
                                         "トゥルーピーク",
                                         "最大モーメンタリー",
                                         "最大ショートターム",
                                         "判定"};
  return kHeaders;
}

std::vector<LoudnessRow> loudness_table_rows(const LoudnessReport& report) {
  const std::string unit(loudness::target_of(report.target).unit);
  std::vector<LoudnessRow> rows;
  for (const ProgrammeResult& r : report.results) {
    const loudness::LoudnessMeasurement& m = r.measurement;
    LoudnessRow row;
    row.cells = {r.name,
                 number(m.integrated, unit.c_str()),
                 number(m.range, "LU"),
                 number(m.truePeak, "dBTP"),
                 number(m.maxMomentary, unit.c_str()),
                 number(m.maxShortTerm, unit.c_str()),
                 verdict_text(r.check)};
    row.meets = r.check.meets();
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string target_description(loudness::TargetId id) {
  const loudness::LoudnessTarget& t = loudness::target_of(id);
  const std::string name(t.name);
  const std::string unit(t.unit);
  return platform::format("%s: %.1f %s ±%.1f LU, トゥルーピーク %.1f dBTP 以下", name.c_str(),
                          t.integrated, unit.c_str(), t.tolerance, t.maxTruePeak);
}

std::string loudness_summary(const LoudnessReport& report) {
  size_t failing = 0;
  for (const ProgrammeResult& r : report.results) failing += r.check.meets() ? 0 : 1;
  if (report.results.empty()) return "測定結果なし";
  if (failing == 0) return "すべて適合";
  return platform::format("不適合 %zu / %zu", failing, report.results.size());
}

std::string measured_span_text(const LoudnessReport& report) {
  if (report.wav) {
    return platform::format("%s %uビット 48000Hz %llu サンプル",
                            report.channels == 2 ? "ステレオ" : "モノラル", report.bits,
                            static_cast<unsigned long long>(report.frames));
  }
  return platform::format("%s %s - %s (%llu フレーム)", report.wholeFile ? "全体" : "IN-OUT",
                          report.inText.c_str(), report.outText.c_str(),
                          static_cast<unsigned long long>(report.frames));
}

std::string loudness_report_text(const LoudnessReport& report, const MXF_BASE_INFO* mxf,
                                 const platform::LocalTime& writtenAt) {
  std::string text;
  if (!report.wav && mxf != nullptr) text += jobs::mxf_info_block(report.path, *mxf, writtenAt);
  text += "< ラウドネス測定 >\r\n";
  text += platform::format("ファイル: %s\r\n", report.path.c_str());
  text += platform::format("測定日時: %d/%02d/%02d  %02d:%02d:%02d\r\n", writtenAt.year,
                           writtenAt.month, writtenAt.day, writtenAt.hour, writtenAt.minute,
                           writtenAt.second);
  text += "測定範囲: " + measured_span_text(report) + "\r\n";
  text += "基準: " + target_description(report.target) + "\r\n";
  text += "測定方式: ITU-R BS.1770-4 (ゲート付き), ラウドネスレンジ EBU Tech 3342\r\n\r\n";
  constexpr size_t kWidths[kLoudnessColumns] = {14, 14, 18, 16, 20, 20, 0};
  const LoudnessCells& headers = loudness_table_headers();
  std::string line;
  for (size_t c = 0; c < kLoudnessColumns; ++c) {
    line += kWidths[c] ? padded(headers[c], kWidths[c]) : headers[c];
  }
  text += line + "\r\n";
  for (const LoudnessRow& row : loudness_table_rows(report)) {
    line.clear();
    for (size_t c = 0; c < kLoudnessColumns; ++c) {
      line += kWidths[c] ? padded(row.cells[c], kWidths[c]) : row.cells[c];
    }
    text += line + "\r\n";
  }
  text += "\r\n判定: " + loudness_summary(report) + "\r\n";
  return text;
}

jobs::LogWriteResult save_loudness_report(const std::string& path, const LoudnessReport& report,
                                          const MXF_BASE_INFO* mxf, platform::TextEncoding encoding,
                                          const platform::LocalTime& writtenAt) {
  return jobs::write_log(path, {loudness_report_text(report, mxf, writtenAt)}, encoding);
}

std::string default_report_name(const LoudnessReport& report) {
  std::string name = platform::file_name(report.path);
  const std::string extension = platform::extension_of(name);
  if (!extension.empty() && name.size() > extension.size()) {
    name.resize(name.size() - extension.size());
  }
  return (name.empty() ? std::string("loudness") : name) + "_loudness.txt";
}

}  // namespace tavrin::app
