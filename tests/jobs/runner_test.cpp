#include "jobs/runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/messages.h"
#include "platform/text.h"

namespace tavrin::jobs {
namespace {

struct Recorder {
  std::vector<JobMessage> messages;
  JobObserver observer() {
    return [this](const JobMessage& m) { messages.push_back(m); };
  }
};

TEST(MessageTable, LooksUpByTheRowOfTheCurrentSection) {
  EXPECT_EQ(section_message(300, 307), "フレームラッピングではないため読込めません。");
  EXPECT_EQ(section_message(0, 2), "MXF_BASE_INFOポインタが無効になっています。");
  EXPECT_EQ(section_message(1000, 1007),
            "マッピングビューを作成できません。\nアプリを再起動してみてください。");
  EXPECT_EQ(section_message(5000, 5005), "IN / OUT タイムコードが不適切な値になっています。");
  // Cells without a message, codes of another row and unknown sections.
  EXPECT_EQ(section_message(200, 208), kUndefinedMessage);
  EXPECT_EQ(section_message(300, 207), kUndefinedMessage);
  EXPECT_EQ(section_message(300, 399), kUndefinedMessage);
  EXPECT_EQ(section_message(1234, 1235), kUndefinedMessage);
  EXPECT_EQ(section_message(0, 1), kUndefinedMessage);
  // Files changed by another program: the same words for both wrapping engines, and a WAV
  // changed before the job is said to leave the MXF file untouched.
  for (const int code : {21, 22, 23}) {
    EXPECT_EQ(section_message(2000, 2000 + code), section_message(3000, 2998 + code)) << code;
    EXPECT_NE(section_message(2000, 2000 + code), kUndefinedMessage) << code;
  }
  EXPECT_NE(section_message(2000, 2022).find("他のプログラム"), std::string_view::npos);
  EXPECT_NE(section_message(3000, 3021).find("ファイルは変更されていません"),
            std::string_view::npos);
  EXPECT_NE(section_message(2000, 2025), kUndefinedMessage);
}

TEST(MessageTable, SectionNamesAndProcessNames) {
  EXPECT_EQ(section_name(200), "Randam Index Table");
  EXPECT_EQ(section_name(3000), "Audio Wrapping by File API");
  EXPECT_EQ(section_name(77), "N/A");
  EXPECT_EQ(process_name(false), "Memory Mapping");
  EXPECT_EQ(process_name(true), "Generic File I/O");
  EXPECT_EQ(job_text(JobKind::kWrapping), "ラッピング");
  EXPECT_EQ(job_text(JobKind::kExport), "BWFファイルの書出し");
}

TEST(FinalTexts, NameTheSectionTheCodeAndTheProcess) {
  EXPECT_EQ(
      compose_analysis_failure("prog.mxf", 300, 307, false),
      "prog.mxf\n\nこのファイルはロードできません。\n\nフレームラッピングではないため読込めませ"
      "ん。\n\n処理セクション: PreFace set\nERR: 307  process: Memory Mapping");
  EXPECT_EQ(
      compose_verification_failure("prog.mxf", 1009),
      "prog.mxf\n\nこのファイルはロードできません。\n\nMXFタイムコードエラーが検出されました。"
      "\r\nログファイルを作成しますか？\n\nsection: TC analysis\nERR: 1009");
  EXPECT_EQ(compose_analysis_cancelled("a.mxf"),
            "a.mxf\n\n解析を中断しました。\nこのままロードしますか？");
  EXPECT_EQ(compose_job_success("a.mxf", JobKind::kWrapping, true),
            "a.mxf\n\nラッピングが完了しました。\n\n\tprocess: Generic File I/O");
  EXPECT_EQ(
      compose_job_cancelled("a.mxf", JobKind::kExport, false),
      "MXFファイル\na.mxf\n\nBWFファイルの書出しを中断しました。\n\n\tprocess: Memory Mapping");
  EXPECT_EQ(
      compose_job_failure("a.mxf", JobKind::kExport, 5000, 5005, true),
      "a.mxf\n\nBWFファイルの書出し中にエラーが発生しました。\nIN / OUT タイムコードが不適切な"
      "値になっています。\n\n\tERR: 5005  process: Generic File I/O");
}

TEST(FinalTexts, ALongFileNameIsCutTo255UnitsWithoutFailing) {
  const std::string name(400, 'n');
  const std::string text = compose_job_success(name + ".mxf", JobKind::kWrapping, false);
  EXPECT_EQ(platform::utf16_units(text), kFinalMessageCapacity - 1);
  EXPECT_EQ(text, std::string(255, 'n'));
  std::string japanese;
  for (int i = 0; i < 300; ++i) japanese += "日";
  const std::string wide = compose_analysis_cancelled(japanese);
  EXPECT_EQ(platform::utf16_units(wide), 255u);
  EXPECT_EQ(wide.size(), 255u * 3);  // cut between characters, never inside one
}

TEST(Runner, PreliminaryChecksFailUnderSectionZero) {
  Recorder recorder;
  JobRequest request;
  request.jobKind = JobKind::kAnalysis;
  request.mxfPath = "/media/prog.mxf";
  run_job(request, recorder.observer());
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].kind, JobMessageKind::kFailed);
  EXPECT_EQ(recorder.messages[0].code, 1);
  EXPECT_NE(recorder.messages[0].text.find("処理セクション: N/A\nERR: 1"), std::string::npos);
}

TEST(Runner, AFailingStepEndsTheAnalysisWithItsSectionAndCode) {
  MxfRecords records;
  const std::vector<uint8_t> notMxf(1000, 0x42);
  platform::MemorySource source(notMxf);
  Recorder recorder;
  JobRequest request;
  request.jobKind = JobKind::kAnalysis;
  request.mxfHandle = &source;
  request.mxfPath = "/media/prog.mxf";
  request.mxf = &records.base;
  request.useFileApi = true;
  run_job(request, recorder.observer());
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(records.base.fileSize, 1000u);
  EXPECT_EQ(records.base.sectionCode.load(), 200);
  EXPECT_EQ(records.timecode.useFileApi, 1u);
  EXPECT_EQ(recorder.messages[0].code, 204);
  EXPECT_EQ(
      recorder.messages[0].text,
      "prog.mxf\n\nこのファイルはロードできません。\n\nランダム・インデックス・テーブルが見つ"
      "かりません。\n\n処理セクション: Randam Index Table\nERR: 204  process: Generic File I/O");
}

TEST(Runner, AnUnknownJobKindEndsWithoutAMessage) {
  Recorder recorder;
  JobRequest request;
  request.jobKind = static_cast<JobKind>(7);
  run_job(request, recorder.observer());
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(Runner, TheWorkerThreadWaitsForTheObserver) {
  Recorder recorder;
  JobRequest request;
  std::atomic<bool> observed{false};
  std::thread worker = start_job(request, [&](const JobMessage&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    observed = true;
  });
  worker.join();
  EXPECT_TRUE(observed);
}

}  // namespace
}  // namespace tavrin::jobs
