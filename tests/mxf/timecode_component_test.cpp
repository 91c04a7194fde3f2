// The timecode component and file package steps on hand-built header metadata.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "analysis_bytes.h"
#include "app/info_panel.h"
#include "jobs/mxf_info_block.h"
#include "mxf/analysis.h"
#include "mxf/keys.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "platform/local_time.h"
#include "platform/text.h"
#include "support/mxf_fixture.h"

namespace tavrin {
namespace {

using namespace test;
using platform::MemorySource;

Bytes component(uint64_t start, uint16_t base, uint8_t drop, uint64_t duration) {
  return klv(keys::kTimecodeComponentSet,
             cat({item(0x3C0A, Bytes(16, 0x11)), item(0x1501, be(start, 8)),
                  item(0x1502, be(base, 2)), item(0x1503, {drop}), item(0x0202, be(duration, 8))}));
}

Bytes track(uint32_t num, uint32_t den) {
  return klv(keys::kTimelineTrackSet, item(0x4B01, cat({be(num, 4), be(den, 4)})), 0);
}

int run(const Bytes& header, MxfRecords& r) {
  use_as_header(r, header);
  MemorySource source(header);
  return read_timecode_component(&source, &r.base);
}

TEST(TimecodeComponent, CountsOfADropFrameAndAnHour23Start) {
  MxfRecords r;
  ASSERT_EQ(run(cat({component(1078920, 30, 1, 1800), track(30000, 1001)}), r), 0);
  const MXF_TIMECODE_INFO& t = r.timecode;
  EXPECT_EQ(t.startFrame, 1078920u);
  EXPECT_EQ(t.shiftedStart, 1186812u);  // 11:00:00;00
  EXPECT_EQ(t.shiftedEnd, 1188611u);
  EXPECT_EQ(t.endFrame, 1080719u);  // 10:00:59;29
  EXPECT_EQ(t.duration, 1800u);
  EXPECT_EQ(t.startsInHour23, 0u);
  EXPECT_EQ(t.fpsCode, 2u);
  EXPECT_EQ(t.dropFrame, 1u);
  EXPECT_EQ(t.rateCode, 6u);

  ASSERT_EQ(run(cat({component(2115000, 25, 0, 90000), track(25000, 1000)}), r), 0);
  EXPECT_EQ(t.startFrame, 2115000u);
  EXPECT_EQ(t.startsInHour23, 1u);
  EXPECT_EQ(t.shiftedStart, 45000u);  // 00:30:00:00
  EXPECT_EQ(t.shiftedEnd, 134999u);   // 01:29:59:24
  EXPECT_EQ(t.endFrame, 44999u);      // 00:29:59:24
  EXPECT_EQ(t.rateCode, 1u);
}

TEST(TimecodeComponent, EditRatesCountByValueWhateverTheScaling) {
  const struct {
    uint32_t num, den;
    uint16_t base;
    uint8_t drop;
    uint32_t rateCode;
  } cases[] = {
      {24, 1, 24, 0, 0},       {24000, 1000, 24, 0, 0}, {48000, 2000, 24, 0, 0},
      {25, 1, 25, 0, 1},       {25000, 1000, 25, 0, 1}, {50000, 2000, 25, 0, 1},
      {30, 1, 30, 0, 2},       {60, 1, 60, 0, 3},       {24000, 1001, 24, 0, 4},
      {48000, 2002, 24, 0, 4}, {25000, 1001, 25, 0, 5}, {30000, 1001, 30, 1, 6},
      {60000, 2002, 30, 1, 6}, {60000, 1001, 60, 1, 7},
  };
  for (const auto& c : cases) {
    MxfRecords r;
    r.timecode.rateCode = 6;  // what a 29.97 file loaded before left behind
    ASSERT_EQ(run(cat({component(0, c.base, c.drop, 50), track(c.num, c.den)}), r), 0)
        << c.num << "/" << c.den;
    EXPECT_EQ(r.timecode.rateCode, c.rateCode) << c.num << "/" << c.den;
    EXPECT_EQ(r.timecode.editRateNum, c.num);
    EXPECT_EQ(r.timecode.editRateDen, c.den);
  }
}

TEST(TimecodeComponent, EditRatesWithoutCadenceAreRefusedAfterA2997File) {
  const struct {
    uint32_t num, den;
  } cases[] = {{50, 1}, {0, 0}, {25, 0}, {0, 1}, {12, 1}, {24, 1001}, {4294967295u, 1}};
  for (const auto& c : cases) {
    MxfRecords r;
    ASSERT_EQ(run(cat({component(1078920, 30, 1, 1800), track(30000, 1001)}), r), 0);
    ASSERT_EQ(r.timecode.rateCode, 6u);
    EXPECT_EQ(run(cat({component(0, 25, 0, 50), track(c.num, c.den)}), r), 410)
        << c.num << "/" << c.den;
    EXPECT_EQ(r.timecode.rateCode, 8u) << "no cadence may be carried over";
    EXPECT_EQ(r.timecode.editRateNum, c.num);
    EXPECT_EQ(r.timecode.editRateDen, c.den);
  }
  // A track without an edit rate item has no cadence either.
  MxfRecords r;
  r.timecode.rateCode = 6;
  EXPECT_EQ(
      run(cat({component(0, 25, 0, 50), klv(keys::kTimelineTrackSet, item(0x4B02, be(0, 8)), 0)}),
          r),
      410);
  EXPECT_EQ(r.timecode.rateCode, 8u);
}

TEST(TimecodeComponent, Refusals) {
  MxfRecords r;
  EXPECT_EQ(run(cat({component(0, 25, 0, ~uint64_t{0}), track(25, 1)}), r), 406);
  EXPECT_EQ(run(cat({component(0, 25, 0, 0), track(25, 1)}), r), 406);
  EXPECT_EQ(run(track(25, 1), r), 405);
  EXPECT_EQ(run(component(0, 25, 0, 10), r), 407);
  EXPECT_EQ(run(cat({component(0, 50, 0, 10), track(50, 1)}), r), 409);
  EXPECT_EQ(r.timecode.fpsCode, 50u) << "an unknown base is kept as read";
  const Bytes shortStart =
      klv(keys::kTimecodeComponentSet, cat({item(0x0202, be(10, 8)), item(0x1501, be(5, 4))}));
  EXPECT_EQ(run(cat({shortStart, track(25, 1)}), r), 408);
  EXPECT_EQ(
      run(cat({component(0, 25, 0, 10), klv(keys::kTimelineTrackSet, item(0x4B01, be(25, 4)))}), r),
      408);
}

// Whole analyses: a 25/1 file shows 25 fps everywhere the rate is shown; a file whose edit rate
// has no cadence, analysed after a 29.97 file into the same records, is refused with a message
// that names its rate.
std::string panel_value(const MxfRecords& r, const std::string& group, const std::string& caption) {
  for (const app::PanelFact& f : app::information_panel(&r.base)) {
    if (f.group == group && f.caption == caption) return f.value;
  }
  return "(none)";
}

TEST(TimecodeComponentAnalysis, RateTextsFollowTheEditRateValue) {
  const struct {
    uint32_t num, den;
    const char* rate;
    const char* fps;
  } cases[] = {{25, 1, "25", "25i"},
               {24, 1, "24", "24i"},
               {30, 1, "30", "30i"},
               {50000, 2000, "25", "25i"},
               {30000, 1001, "29.97 DF", "29.97i"}};
  MxfRecords r;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.num) + "/" + std::to_string(c.den));
    MxfFixtureOptions o;
    set_edit_rate(o, c.num, c.den);
    o.frameCount = 10;
    o.trackCount = 2;
    ASSERT_EQ(analysis_code(build_mxf_fixture(o), r), 0);
    EXPECT_EQ(panel_value(r, "Time code", "Rate"), c.rate);
    EXPECT_EQ(panel_value(r, "Video", "FPS"), c.fps);
    EXPECT_EQ(panel_value(r, "Video", "Size"), "1920 x 1080");
    const std::string block = jobs::mxf_info_block("a.mxf", r.base, platform::LocalTime{});
    const std::string logRate = std::string(c.rate).substr(0, std::string(c.rate).find(' '));
    EXPECT_NE(block.find("フレームレート = " + logRate + (c.den == 1001 ? "DF" : "NDF")),
              std::string::npos)
        << block;
  }
}

TEST(TimecodeComponentAnalysis, UnknownRatesAfterA2997FileAreRefusedByName) {
  const struct {
    uint32_t num, den;
    const char* text;
  } cases[] = {{50, 1, "対応していない編集レート 50/1 "},
               {0, 0, "対応していない編集レート 0/0 "},
               {25, 0, "対応していない編集レート 25/0 "}};
  MxfRecords r;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(analysis_code(build_mxf_fixture(MxfFixtureOptions{}), r), 0);
    ASSERT_EQ(r.timecode.rateCode, 6u);
    MxfFixtureOptions o;
    o.editRateNum = c.num;
    o.editRateDen = c.den;
    o.roundedTimecodeBase = 25;
    o.dropFrame = 0;
    o.frameCount = 10;
    const jobs::JobMessage m = analyse_bytes(build_mxf_fixture(o), r);
    EXPECT_EQ(m.kind, jobs::JobMessageKind::kFailed);
    EXPECT_EQ(m.code, 410);
    EXPECT_EQ(r.base.sectionCode, 400);
    EXPECT_EQ(r.timecode.rateCode, 8u);
    EXPECT_NE(m.text.find(c.text), std::string::npos) << m.text;
    EXPECT_NE(m.text.find("ERR: 410"), std::string::npos) << m.text;
  }
}

Bytes source_package(bool modified) {
  Bytes items = item(0x4405, {0x07, 0xE8, 3, 9, 14, 5, 7, 200});
  if (modified) items = cat({items, item(0x4404, Bytes(8, 0))});
  return klv(keys::kSourcePackageSet, items, 1);
}

TEST(FilePackage, CreationDateAndTheFilesLastWriteTime) {
  MxfRecords r;
  Bytes header = source_package(true);
  use_as_header(r, header);
  r.base.modifiedDate = "before";
  MemorySource memory(header);
  ASSERT_EQ(read_file_package(&memory, &r.base), 0);
  EXPECT_EQ(r.base.creationDate, "2024/03/09  14:05:07");
  EXPECT_EQ(r.base.modifiedDate, "before") << "a buffer has no last-write time";

  const std::string path = ::testing::TempDir() + "file_package_test.mxf";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(header.data()),
             static_cast<std::streamsize>(header.size()));
  platform::Status status;
  platform::File file = platform::File::open(path, platform::Access::kReadExisting,
                                             platform::Sharing::kRead, &status);
  ASSERT_TRUE(file.valid());
  platform::FileSource source(file);
  ASSERT_EQ(read_file_package(&source, &r.base), 0);
  platform::DirectoryRecord record;
  ASSERT_TRUE(platform::stat_file(file, &record).ok());
  const platform::LocalTime t = platform::to_local_time(record.lastWrite);
  EXPECT_EQ(r.base.modifiedDate, platform::format("%04d/%02d/%02d  %02d:%02d:%02d", t.year, t.month,
                                                  t.day, t.hour, t.minute, t.second));

  header = source_package(false);
  use_as_header(r, header);
  r.base.modifiedDate = "kept";
  MemorySource withoutModified(header);
  ASSERT_EQ(read_file_package(&withoutModified, &r.base), 0);
  EXPECT_EQ(r.base.modifiedDate, "kept");
  std::remove(path.c_str());
}

TEST(FilePackage, ShortCreationDateIsDamage) {
  MxfRecords r;
  const Bytes header = klv(keys::kSourcePackageSet, item(0x4405, {0x07, 0xE8, 3}));
  use_as_header(r, header);
  MemorySource source(header);
  EXPECT_EQ(read_file_package(&source, &r.base), 505);
  EXPECT_EQ(read_file_package(&source, nullptr), 502);
}

}  // namespace
}  // namespace tavrin
