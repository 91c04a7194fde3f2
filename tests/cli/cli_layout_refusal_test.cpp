// `wrap` on files whose content package layout the engines cannot address: the analysis refuses
// each in the index step with its code and message, the job never starts, and the file keeps
// every byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_run.h"
#include "jobs/messages.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"

namespace tavrin::test {
namespace {

TEST(CliLayoutRefusal, WrapWritesNothingToAFileTheEnginesCannotAddress) {
  const struct {
    const char* what;
    void (*change)(MxfFixtureOptions&);
    int code;
  } cases[] = {
      {"no system item", [](MxfFixtureOptions& o) { o.systemItem = false; }, 610},
      {"SliceCount 0 and no delta entries", [](MxfFixtureOptions& o) { o.emptyDeltaArray = true; },
       612},
      {"constant-size index", [](MxfFixtureOptions& o) { o.constantSizeIndex = true; }, 613},
      {"ANC element in the middle",
       [](MxfFixtureOptions& o) {
         o.ancElement = true;
         o.ancInMiddle = true;
       },
       612},
      {"fewer sound elements than descriptors",
       [](MxfFixtureOptions& o) { o.soundElementCount = 3; }, 612},
      {"8-byte sound element lengths", [](MxfFixtureOptions& o) { o.soundLength8 = true; }, 612},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MxfFixtureOptions o;
    o.frameCount = 12;
    o.trackCount = 4;
    o.pictureSize = 1000;
    c.change(o);
    const std::string mxf = dir.file("layout.mxf");
    ASSERT_TRUE(write_mxf_fixture(mxf, o));
    const std::vector<uint8_t> original = read_file(mxf);
    const CliResult r = run_cli(
        {"wrap", mxf, "--in", "10000003", "--out", "10:00:00;10", "--silence", "1,2,3,4", "--yes"});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.err.find("ERR: " + std::to_string(c.code)), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(std::string(jobs::section_message(600, c.code))), std::string::npos);
    EXPECT_TRUE(read_file(mxf) == original);
  }
}

}  // namespace
}  // namespace tavrin::test
