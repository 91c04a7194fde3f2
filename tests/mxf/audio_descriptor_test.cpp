// The audio descriptor step: track count, the format checks of the first descriptor, and the
// measurement of the first sound element.
#include <gtest/gtest.h>

#include "analysis_bytes.h"
#include "mxf/analysis.h"
#include "mxf/keys.h"
#include "support/mxf_fixture.h"

namespace tavrin {
namespace {

using namespace test;

MxfFixtureOptions small_options() {
  MxfFixtureOptions o;
  o.frameCount = 10;
  return o;
}

TEST(AudioDescriptor, CadenceAndElementSizeOfA2997File) {
  MxfFixtureOptions o = small_options();
  o.trackCount = 8;
  // 1602 samples of 3 bytes (4806) and a fill of value length 230 behind each element.
  o.soundSlotSize = 4806 + 20 + 230 + 20;
  MxfRecords r;
  ASSERT_EQ(analysis_code(build_mxf_fixture(o), r), 0);
  EXPECT_EQ(r.audio.trackCount, 8u);
  EXPECT_EQ(r.audio.cadenceCode, 6u);
  EXPECT_EQ(r.audio.audioElementSize, 5076u);
  EXPECT_EQ(r.audio.sampleRate, 48000u);
  EXPECT_EQ(r.audio.quantizationBits, 24u);
  EXPECT_EQ(r.audio.blockAlign, 3u);
  EXPECT_EQ(r.audio.avgBytesPerSecond, 144000u);

  o.cadencePhase = 1;  // the file starts on the second frame of the cadence: 1601 samples
  MxfRecords second;
  EXPECT_EQ(analysis_code(build_mxf_fixture(o), second), 709);
  EXPECT_EQ(second.audio.cadenceCode, 8u);
}

TEST(AudioDescriptor, RatesDescriptorsAndFormats) {
  MxfFixtureOptions o = small_options();
  set_edit_rate(o, 60000, 1001);
  o.trackCount = 2;
  o.audioDescriptor = AudioDescriptorKind::kWave;
  o.soundElement = SoundElementKind::kBwf;
  o.quantizationBits = 16;
  o.blockAlign = 2;
  o.avgBytesPerSecond = 96000;
  MxfRecords r;
  ASSERT_EQ(analysis_code(build_mxf_fixture(o), r), 0);
  EXPECT_EQ(r.audio.cadenceCode, 7u);  // 801 samples
  EXPECT_EQ(r.audio.trackCount, 2u);
  EXPECT_EQ(r.audio.quantizationBits, 16u);

  MxfFixtureOptions bits = small_options();
  bits.quantizationBits = 20;
  MxfRecords r20;
  EXPECT_EQ(analysis_code(build_mxf_fixture(bits), r20), 707);
  MxfFixtureOptions rate = small_options();
  rate.sampleRate = 44100;
  MxfRecords r441;
  EXPECT_EQ(analysis_code(build_mxf_fixture(rate), r441), 708);
}

TEST(AudioDescriptor, TrackCountOfTheHeaderMetadata) {
  const Bytes descriptor =
      klv(keys::kAes3Descriptor, cat({item(0x3D01, be(24, 4)), item(0x3D0A, be(3, 2))}));
  Bytes header;
  for (int i = 0; i < 256; ++i) header = cat({header, descriptor});
  MxfRecords r;
  use_as_header(r, header);
  platform::MemorySource source(header);
  EXPECT_EQ(read_audio_descriptor(&source, &r.base), 711);
  EXPECT_EQ(r.audio.trackCount, 255u) << "held at the largest count, never wrapped";

  const Bytes none = klv(keys::kMpegVideoDescriptor, item(0x3201, Bytes(16, 0)));
  use_as_header(r, none);
  platform::MemorySource noneSource(none);
  EXPECT_EQ(read_audio_descriptor(&noneSource, &r.base), 706);

  const Bytes shortBits = klv(keys::kWaveDescriptor, item(0x3D01, be(24, 2)));
  use_as_header(r, shortBits);
  platform::MemorySource shortSource(shortBits);
  EXPECT_EQ(read_audio_descriptor(&shortSource, &r.base), 710);
}

}  // namespace
}  // namespace tavrin
