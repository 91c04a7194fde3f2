// The whole analysis over every truncation of a small fixture file and over seeded random byte
// mutations of it: each run ends with a final message, never with a crash, a hang, a read out of
// bounds or an allocation the file cannot justify (the sanitizer build runs this too).
#include <gtest/gtest.h>

#include <random>

#include "analysis_bytes.h"
#include "support/mxf_fixture.h"

namespace tavrin {
namespace {

using namespace test;

Bytes small_file() {
  MxfFixtureOptions o;
  set_edit_rate(o, 60000, 1001);  // 801 samples: small sound elements
  o.frameCount = 3;
  o.trackCount = 2;
  o.quantizationBits = 16;
  o.blockAlign = 2;
  o.avgBytesPerSecond = 96000;
  o.pictureSize = 64;
  o.ancElement = true;
  o.ancSize = 16;
  o.kagSize = 1;
  o.systemItemAlign = o.pictureAlign = o.soundSlotAlign = o.ancAlign = 1;
  return build_mxf_fixture(o);
}

bool ends(const Bytes& bytes) {
  MxfRecords r;
  return analyse_bytes(bytes, r).kind != jobs::JobMessageKind::kVerificationStarting;
}

TEST(AnalysisRobustness, EveryTruncation) {
  const Bytes file = small_file();
  MxfRecords r;
  ASSERT_EQ(analysis_code(file, r), 0) << "the untouched file loads";
  for (size_t n = 0; n < file.size(); ++n) {
    ASSERT_TRUE(ends(Bytes(file.begin(), file.begin() + static_cast<ptrdiff_t>(n)))) << n;
  }
}

TEST(AnalysisRobustness, SeededByteMutations) {
  const Bytes file = small_file();
  std::mt19937 random(20240517);
  std::uniform_int_distribution<size_t> position(0, file.size() - 1);
  std::uniform_int_distribution<int> count(1, 4);
  std::uniform_int_distribution<int> value(0, 255);
  int loaded = 0;
  for (int run = 0; run < 3000; ++run) {
    Bytes mutated = file;
    for (int k = count(random); k > 0; --k) {
      // Half the changes set a byte to an extreme, which is what breaks lengths and counts.
      const int v = value(random);
      mutated[position(random)] = static_cast<uint8_t>(v < 64 ? 0xFF : v < 128 ? 0x00 : v);
    }
    MxfRecords r;
    const jobs::JobMessage m = analyse_bytes(mutated, r);
    ASSERT_NE(m.kind, jobs::JobMessageKind::kVerificationStarting) << "run " << run;
    loaded += m.kind == jobs::JobMessageKind::kSucceeded;
  }
  EXPECT_GT(loaded, 0) << "some mutations hit bytes the analysis does not read";
}

}  // namespace
}  // namespace tavrin
