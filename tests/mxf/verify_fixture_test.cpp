// The timecode check on whole fixture files after the program's own analysis: the breaks written
// into the system items are found, by both read methods alike, at every partition geometry, and a
// file cut short gives breaks instead of a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "mxf/analysis.h"
#include "mxf/verify_timecode.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "support/analysed_fixture.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

struct Found {
  int code = -1;
  TimecodeErrorList errors;
};

// Verifies the file at `path` again, with the records of an analysis, by one read method.
Found verify_again(const std::string& path, MxfRecords& records, bool useFileApi) {
  Found found;
  platform::Status status;
  const platform::File file =
      platform::File::open(path, platform::Access::kReadExisting, platform::Sharing::kAny, &status);
  if (!file.valid()) return found;
  const platform::FileSource source(file);
  records.timecode.errorList = &found.errors;
  records.timecode.useFileApi = useFileApi ? 1 : 0;
  platform::NullJobControl unwatched;
  found.code = verify_sdti_timecode(&source, &records.base, unwatched);
  records.timecode.errorList = nullptr;
  return found;
}

struct Row {
  uint32_t position, beforeFrame, afterFrame, state;
  bool operator==(const Row&) const = default;
};

std::vector<Row> rows(const TimecodeErrorList& errors) {
  std::vector<Row> out;
  for (const TIMECODE_ERROR_INFO& r : errors) {
    out.push_back({r.position, r.beforeFrame, r.afterFrame, r.state});
  }
  return out;
}

void PrintTo(const Row& r, std::ostream* os) {
  *os << "{pos " << r.position << ", " << r.beforeFrame << " -> " << r.afterFrame << ", state "
      << r.state << "}";
}

// 29.97 drop frame from 10:00:59;20 (across the labels that minute 1 skips), 30 frames whose labels
// stand still after frame 7, jump five frames after frame 15 and step back six after frame 21.
test::MxfFixtureOptions three_breaks() {
  test::MxfFixtureOptions o;
  test::set_start_timecode(o, 10, 0, 59, 20);
  o.frameCount = 30;
  auto label_offset = [](uint64_t i) -> int64_t {
    if (i == 8) return -1;
    if (i >= 9 && i <= 15) return -1;
    if (i >= 16 && i <= 21) return 4;
    if (i >= 22) return -3;
    return 0;
  };
  for (uint64_t i = 0; i < o.frameCount; ++i) {
    if (label_offset(i) == 0) continue;
    o.timecodeOverrides[i] = test::count_to_timecode(
        30, true,
        static_cast<uint64_t>(static_cast<int64_t>(o.startTimecode + i) + label_offset(i)));
  }
  return o;
}

class VerifyFixture : public ::testing::Test {
 protected:
  std::unique_ptr<test::AnalysedFixture> analysed(const test::MxfFixtureOptions& options) {
    auto f = test::make_analysed_fixture(dir.file("fixture.mxf"), options);
    EXPECT_NE(f, nullptr);
    return f;
  }
  // Both read methods on the same file: the same code and the same records.
  Found both(test::AnalysedFixture& f, const std::string& path) {
    Found byView = verify_again(path, f.records, false);
    const Found byFile = verify_again(path, f.records, true);
    EXPECT_EQ(byView.code, byFile.code);
    EXPECT_EQ(rows(byView.errors), rows(byFile.errors));
    return byView;
  }
  test::TempDir dir;
};

TEST_F(VerifyFixture, ThreeBreaksAtDropFrameAreFoundByBothMethods) {
  auto f = analysed(three_breaks());
  ASSERT_EQ(f->analysisCode, verify_codes::kBreaksFound) << f->failureText;
  EXPECT_EQ(f->records.timecode.errorCount, 3u);
  const uint32_t c = static_cast<uint32_t>(f->options.startTimecode);
  const Found found = both(*f, f->path);
  EXPECT_EQ(found.code, verify_codes::kBreaksFound);
  EXPECT_EQ(
      rows(found.errors),
      (std::vector<Row>{{7, c + 7, c + 7, 4}, {15, c + 14, c + 20, 2}, {21, c + 25, c + 19, 3}}));
}

TEST_F(VerifyFixture, CleanFilesAtEveryGeometryAndRate) {
  struct Case {
    const char* name;
    void (*adjust)(test::MxfFixtureOptions&);
    uint32_t startsInHour23 = 0;
  };
  const Case cases[] = {
      {"KAG 512, one body partition", [](test::MxfFixtureOptions&) {}},
      {"KAG 1", [](test::MxfFixtureOptions& o) { o.kagSize = 1; }},
      {"KAG 256, several partitions",
       [](test::MxfFixtureOptions& o) {
         o.kagSize = 256;
         o.framesPerPartition = 7;
       }},
      {"59.94 in pairs", [](test::MxfFixtureOptions& o) { test::set_edit_rate(o, 60000, 1001); }},
      {"25 with ANC data",
       [](test::MxfFixtureOptions& o) {
         test::set_edit_rate(o, 25, 1);
         o.ancElement = true;
       }},
      {"across midnight",
       [](test::MxfFixtureOptions& o) {
         test::set_start_timecode(o, 23, 59, 59, 0);
         o.frameCount = 60;
       },
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::MxfFixtureOptions options;
    c.adjust(options);
    auto f = analysed(options);
    ASSERT_EQ(f->analysisCode, 0) << f->failureText;
    EXPECT_EQ(f->records.timecode.startsInHour23, c.startsInHour23);
    const Found found = both(*f, f->path);
    EXPECT_EQ(found.code, 0);
    EXPECT_TRUE(found.errors.empty());
  }
}

TEST_F(VerifyFixture, AFileCutShortGivesBreaksByBothMethods) {
  test::MxfFixtureOptions options;
  options.frameCount = 40;
  auto f = analysed(options);
  ASSERT_EQ(f->analysisCode, 0) << f->failureText;
  // Cut inside the timecode word of frame 30: frames 30 .. 39 have none.
  const uint64_t cut = f->layout.frames[30].contentPackage + kTimecodeWordOffset + 1;
  const std::string path = dir.file("cut.mxf");
  ASSERT_TRUE(test::write_file(path, test::truncated(f->original, cut)));

  const Found found = both(*f, path);
  EXPECT_EQ(found.code, verify_codes::kBreaksFound);
  const uint32_t c = static_cast<uint32_t>(options.startTimecode);
  std::vector<Row> expected = {{29, c + 29, 0, 3}};
  for (uint32_t i = 30; i < 39; ++i) expected.push_back({i, 0, 0, 4});
  EXPECT_EQ(rows(found.errors), expected);
}

}  // namespace
}  // namespace tavrin
