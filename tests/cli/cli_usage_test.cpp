// mxf-tavrin-cli without a command and with --help, and the refusal of a file whose edit rate has
// no cadence: the exit status, where the usage goes, and the rate named in the message.
#include <gtest/gtest.h>

#include <string>

#include "cli_run.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"

namespace tavrin::test {
namespace {

TEST(CliUsage, NoCommandIsAUsageErrorAndHelpIsNot) {
  const CliResult bare = run_cli({});
  EXPECT_EQ(bare.exitStatus, 2);
  EXPECT_TRUE(bare.out.empty()) << bare.out;
  EXPECT_NE(bare.err.find("Usage: mxf-tavrin-cli"), std::string::npos) << bare.err;

  for (const char* flag : {"--help", "-h", "help"}) {
    const CliResult help = run_cli({flag});
    EXPECT_EQ(help.exitStatus, 0) << flag;
    EXPECT_NE(help.out.find("Usage: mxf-tavrin-cli"), std::string::npos) << flag;
    EXPECT_TRUE(help.err.empty()) << flag << ": " << help.err;
  }

  const CliResult unknown = run_cli({"frobnicate"});
  EXPECT_EQ(unknown.exitStatus, 2);
  EXPECT_TRUE(unknown.out.empty());
  EXPECT_NE(unknown.err.find("unknown command: frobnicate"), std::string::npos);
}

TEST(CliUsage, InfoNamesAnEditRateWithoutCadence) {
  TempDir dir;
  MxfFixtureOptions o;
  set_edit_rate(o, 50, 1);
  o.roundedTimecodeBase = 25;  // a field-rate edit rate over a 25 fps timecode
  const std::string path = dir.file("fifty.mxf");
  ASSERT_TRUE(write_mxf_fixture(path, o));
  const CliResult r = run_cli({"info", path, "--json"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_NE(r.out.find("\"code\": 410"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("対応していない編集レート 50/1 "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("%s"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace tavrin::test
