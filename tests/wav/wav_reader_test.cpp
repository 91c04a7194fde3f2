// Reading WAV/BWF files: the chunk search, the format checks and the data fields.
#include <gtest/gtest.h>

#include "platform/byte_source.h"
#include "platform/file.h"
#include "support/wav_fixture.h"
#include "wav/wav_reader.h"
#include "wav_test_grid.h"

namespace tavrin {
namespace {

using test::WavLayout;
using test::WavParams;

int32_t read_layout(const WavLayout& layout, WAV_FILE_INFO* info) {
  const std::vector<uint8_t> bytes = test::wav_bytes(layout);
  const platform::MemorySource source(bytes);
  return read_wav_chunks(source, info);
}

int32_t read_params(const WavParams& params, WAV_FILE_INFO* info) {
  return read_layout(test::make_wav(params), info);
}

TEST(WavReader, ReadsTheFormatAndWhereTheSamplesLie) {
  WavParams params;
  params.channels = 2;
  params.bits = 24;
  params.sampleFrames = 4800;
  params.timeReference = 0x1'0000'2030ULL;  // uses the high half
  const WavLayout layout = test::make_wav(params);
  WAV_FILE_INFO info;
  ASSERT_EQ(read_layout(layout, &info), kWavAccepted);
  EXPECT_EQ(info.format_tag, 1);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.sample_rate, 48000u);
  EXPECT_EQ(info.avg_bytes_per_sec, 288000u);
  EXPECT_EQ(info.block_align, 6);
  EXPECT_EQ(info.bytes_per_sample, 3);
  EXPECT_EQ(info.bits_per_sample, 24);
  EXPECT_EQ(info.data_size, 4800u * 6);
  EXPECT_EQ(info.data_offset, layout.payload_offset(layout.find("data")));
  EXPECT_EQ(info.data_available, info.data_size);
  EXPECT_EQ(info.start_sample, 0x1'0000'2030ULL);
  EXPECT_EQ(info.is_bwf, 1u);
}

TEST(WavReader, BytesPerSampleIsHalfTheBlockOnlyForTwoChannels) {
  WAV_FILE_INFO info;
  WavParams mono;
  mono.channels = 1;
  mono.bits = 16;
  ASSERT_EQ(read_params(mono, &info), kWavAccepted);
  EXPECT_EQ(info.bytes_per_sample, 2);
  WavParams six;  // any channel count is accepted; the block is taken as it stands
  six.channels = 6;
  six.bits = 24;
  ASSERT_EQ(read_params(six, &info), kWavAccepted);
  EXPECT_EQ(info.channels, 6);
  EXPECT_EQ(info.bytes_per_sample, 18);
}

TEST(WavReader, RefusesOtherRatesAndWidthsButNotOtherFormatTags) {
  WAV_FILE_INFO info;
  for (uint16_t bits : {8, 32}) {
    WavParams params;
    params.bits = bits;
    EXPECT_EQ(read_params(params, &info), kWavWrongFormat) << bits;
  }
  for (uint32_t rate : {44100u, 96000u}) {
    WavParams params;
    params.sampleRate = rate;
    EXPECT_EQ(read_params(params, &info), kWavWrongFormat) << rate;
  }
  WavParams extensible;
  extensible.extensible = true;
  extensible.bits = 24;
  ASSERT_EQ(read_params(extensible, &info), kWavAccepted);
  EXPECT_EQ(info.format_tag, 0xFFFE);
  WavParams floating;  // the tag is never tested
  floating.formatTag = 3;
  EXPECT_EQ(read_params(floating, &info), kWavAccepted);
}

TEST(WavReader, ChunksAfterTheStartOfTheSamplesAreNotSeen) {
  WAV_FILE_INFO info;
  WavLayout fmtLate = test::make_wav(WavParams{});
  fmtLate.move(static_cast<size_t>(fmtLate.find("fmt ")), fmtLate.chunks.size());
  EXPECT_EQ(read_layout(fmtLate, &info), kWavNotUsable);

  WavParams bwf;
  bwf.timeReference = 96000;
  WavLayout bextLate = test::make_wav(bwf);
  bextLate.move(static_cast<size_t>(bextLate.find("bext")), bextLate.chunks.size());
  ASSERT_EQ(read_layout(bextLate, &info), kWavAccepted);
  EXPECT_EQ(info.is_bwf, 0u);
  EXPECT_EQ(info.start_sample, 0u);
}

TEST(WavReader, ShortFmtAndBextChunksAreSearchedThrough) {
  WAV_FILE_INFO info;
  WavLayout layout = test::make_wav(WavParams{});
  // A fmt chunk of 14 bytes (too short to count) in front of the real one.
  test::WavChunk shortFmt = test::fmt_chunk(WavParams{});
  shortFmt.payload.resize(14);
  shortFmt.payload[4] = 0x44;  // 44.1 kHz, which would refuse the file if it were read
  shortFmt.payload[5] = 0xAC;
  layout.chunks.insert(layout.chunks.begin(), shortFmt);
  layout.chunks.insert(layout.chunks.begin(), test::bext_chunk(5000, 345));
  ASSERT_EQ(read_layout(layout, &info), kWavAccepted);
  EXPECT_EQ(info.is_bwf, 0u);
  EXPECT_EQ(info.start_sample, 0u);

  // The payload of a chunk that is not read is searched like any other bytes: a fmt chunk
  // hidden in a JUNK chunk counts.
  WavLayout hidden = test::make_wav(WavParams{});
  const std::vector<uint8_t> fmtBytes = [] {
    WavLayout only;
    only.riffHeader = false;
    only.chunks.push_back(test::fmt_chunk(WavParams{}));
    return test::wav_bytes(only);
  }();
  hidden.chunks.erase(hidden.chunks.begin() + hidden.find("fmt "));
  test::WavChunk junk = test::filler_chunk("JUNK", 0);
  junk.payload = {1, 2, 3};
  junk.payload.insert(junk.payload.end(), fmtBytes.begin(), fmtBytes.end());
  hidden.chunks.insert(hidden.chunks.begin(), junk);
  EXPECT_EQ(read_layout(hidden, &info), kWavAccepted);
}

TEST(WavReader, AReadPayloadIsSkippedButItsLastThreeBytesAreSearched) {
  WAV_FILE_INFO info;
  // "FORM" inside the extension of a 40-byte fmt chunk is never tested ...
  WavParams extensible;
  extensible.extensible = true;
  WavLayout skipped = test::make_wav(extensible);
  auto& fmt = skipped.chunks[static_cast<size_t>(skipped.find("fmt "))].payload;
  std::copy_n("FORM", 4, fmt.begin() + 24);
  EXPECT_EQ(read_layout(skipped, &info), kWavAccepted);
  // ... but in a JUNK chunk it refuses the file ...
  WavLayout searched = test::make_wav(WavParams{});
  test::WavChunk junk = test::filler_chunk("JUNK", 0);
  junk.payload = {'x', 'F', 'O', 'R', 'M', 0, 0, 0, 0};
  searched.chunks.insert(searched.chunks.begin(), junk);
  EXPECT_EQ(read_layout(searched, &info), kWavNotUsable);
  // ... and a code that begins in the last three bytes of a read payload is found.
  WavLayout straddling = test::make_wav(WavParams{});
  const int f = straddling.find("fmt ");
  test::WavChunk& fmt2 = straddling.chunks[static_cast<size_t>(f)];
  fmt2.payload.insert(fmt2.payload.end(), {'F', 'O', 'R'});
  fmt2.pad = false;
  straddling.chunks.insert(straddling.chunks.begin() + f + 1, test::filler_chunk("M\0\0\0", 0));
  EXPECT_EQ(read_layout(straddling, &info), kWavNotUsable);
}

TEST(WavReader, DamagedFilesAreRefusedWithoutLooping) {
  WAV_FILE_INFO info;
  WavLayout noData = test::make_wav(WavParams{});
  noData.chunks.erase(noData.chunks.begin() + noData.find("data"));
  noData.chunks.push_back(test::filler_chunk("JUNK", 7, 'd'));  // odd, padded, "ddd..." tail
  EXPECT_EQ(read_layout(noData, &info), kWavNotUsable);

  WavLayout noRiff = test::make_wav(WavParams{});
  noRiff.riffId = "RIFX";
  EXPECT_EQ(read_layout(noRiff, &info), kWavNotUsable);
  WavLayout form = test::make_wav(WavParams{});
  form.riffId = "FORM";
  EXPECT_EQ(read_layout(form, &info), kWavNotUsable);

  // A code whose size field is cut by the end of the file.
  std::vector<uint8_t> cut = test::wav_bytes(noData);
  cut.insert(cut.end(), {'d', 'a', 't', 'a', 1, 2});
  const platform::MemorySource source(cut);
  EXPECT_EQ(read_wav_chunks(source, &info), kWavNotUsable);

  for (const std::vector<uint8_t>& tiny :
       {std::vector<uint8_t>{}, std::vector<uint8_t>{'R', 'I', 'F'}, std::vector<uint8_t>(11)}) {
    const platform::MemorySource small(tiny);
    EXPECT_EQ(read_wav_chunks(small, &info), kWavNotUsable);
  }
}

TEST(WavReader, AFmtWithoutASampleFrameSizeIsRefused) {
  WAV_FILE_INFO info;
  WavParams zeroBlock;
  zeroBlock.blockAlign = 0;
  EXPECT_EQ(read_params(zeroBlock, &info), kWavNotUsable);
  WavParams zeroChannels;
  zeroChannels.channels = 0;
  zeroChannels.blockAlign = 6;
  EXPECT_EQ(read_params(zeroChannels, &info), kWavNotUsable);
}

TEST(WavReader, ADataSizeBeyondTheFileKeepsTheHeaderAndRecordsWhatIsThere) {
  WavParams params;
  params.channels = 1;
  params.bits = 16;
  params.sampleFrames = 1000;
  WavLayout layout = test::make_wav(params);
  layout.chunks[static_cast<size_t>(layout.find("data"))].sizeField = 96000 * 2;
  const test::Grid grid = test::grid24();
  test::ScratchDir dir;
  const std::string path = dir.file("long.wav");
  ASSERT_TRUE(test::write_wav(path, layout));
  WAV_FILE_INFO info;
  ASSERT_EQ(read_wav_file_info(path, &info, grid.get()), kWavAccepted);
  EXPECT_EQ(info.data_size, 96000u * 2);
  EXPECT_EQ(info.data_available, 2000u);
  EXPECT_EQ(info.end_sample, 96000u);  // the operator sees what the header says
  EXPECT_EQ(info.end_frame, 48u);
}

TEST(WavReader, RefusalsBeforeAndAtOpening) {
  const test::Grid grid = test::grid24();
  test::ScratchDir dir;
  const std::string path = dir.file("a.wav");
  ASSERT_TRUE(test::write_wav(path, test::make_wav(WavParams{})));
  WAV_FILE_INFO info;
  EXPECT_EQ(read_wav_file_info("", &info, grid.get()), kWavNoPath);
  EXPECT_EQ(read_wav_file_info(path, nullptr, grid.get()), kWavNoRecord);
  EXPECT_EQ(read_wav_file_info(path, &info, nullptr), kWavNoRecord);
  const test::Grid unknownRate(8, 0, 0);
  EXPECT_EQ(read_wav_file_info(dir.file("missing.wav"), &info, unknownRate.get()),
            kWavRateCodeUnknown);
  EXPECT_EQ(read_wav_file_info(dir.file("missing.wav"), &info, grid.get()), kWavCannotOpen);
  EXPECT_EQ(read_wav_file_info(dir.path(), &info, grid.get()), kWavCannotOpen);
  {
    // Another opener that reads it: no sharing means this reader is refused.
    platform::Status status;
    const platform::File holder = platform::File::open(path, platform::Access::kReadExisting,
                                                       platform::Sharing::kRead, &status);
    ASSERT_TRUE(holder.valid());
    EXPECT_EQ(read_wav_file_info(path, &info, grid.get()), kWavCannotOpen);
  }
  EXPECT_EQ(read_wav_file_info(path, &info, grid.get()), kWavAccepted);
}

}  // namespace
}  // namespace tavrin
