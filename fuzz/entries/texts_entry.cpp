#include <array>
#include <string>
#include <vector>

#include "fuzz_entries.h"
#include "fuzz_input.h"
#include "jobs/ltc_error_log.h"
#include "jobs/mxf_info_block.h"
#include "jobs/wrap_detail_log.h"
#include "mxf/records.h"
#include "platform/text.h"
#include "timecode/timecode.h"
#include "wav/wav_entry_texts.h"
#include "wrap/track_job.h"

namespace tavrin::fuzz {

std::string FuzzInput::utf8(size_t maxChars) {
  static constexpr char32_t kBases[] = {0x20, 0x3040, 0x4E00, 0x1F600};
  const size_t n = below_or(static_cast<uint32_t>(maxChars));
  std::string out;
  for (size_t i = 0; i < n && !empty(); ++i) {
    const uint8_t b = take<uint8_t>();
    platform::append_utf8(out, kBases[b >> 6] + (b & 0x3Fu));
  }
  return out;
}

namespace {

void fill_timecode(FuzzInput& in, MXF_TIMECODE_INFO& t) {
  t.dropFrame = in.take<uint8_t>();
  t.startFrame = in.take<uint32_t>();
  t.shiftedStart = in.take<uint32_t>();
  t.endFrame = in.take<uint32_t>();
  t.shiftedEnd = in.take<uint32_t>();
  t.duration = in.take<uint32_t>();
  t.fpsCode = in.take<uint8_t>();
  t.editRateNum = in.take<uint32_t>();
  t.editRateDen = in.take<uint32_t>();
  t.rateCode = in.take<uint8_t>();
  t.indexEntryCount = in.take<uint32_t>();
  t.errorCount = in.take<uint32_t>();
  t.startsInHour23 = in.take<uint8_t>();
  t.maxSegmentDuration = in.take<uint32_t>();
}

void fill_records(FuzzInput& in, MxfRecords& r) {
  MXF_BASE_INFO& b = r.base;
  b.fileSize = in.take<uint64_t>();
  b.creationDate = in.utf8(70);
  b.modifiedDate = in.utf8(70);
  b.versionMajor = in.take<uint8_t>();
  b.versionMinor = in.take<uint8_t>();
  b.companyName = in.utf8(70);
  b.productName = in.utf8(70);
  b.versionString = in.utf8(40);
  b.platform = in.utf8(40);
  b.hasAncData = in.take<uint8_t>();
  b.ancElementSize = in.take<uint32_t>();
  fill_timecode(in, r.timecode);
  r.audio.trackCount = in.take<uint8_t>();
  r.audio.sampleRate = in.take<uint32_t>();
  r.audio.avgBytesPerSecond = in.take<uint32_t>();
  r.audio.blockAlign = in.take<uint16_t>();
  r.audio.quantizationBits = in.take<uint32_t>();
  r.audio.cadenceCode = in.take<uint8_t>();
  r.audio.audioElementSize = in.take<uint32_t>();
  for (uint8_t& k : r.video.pictureCoding) k = in.take<uint8_t>();
  r.video.codingName = in.utf8(30);
  r.video.codingIndex = in.take<uint8_t>();
  r.video.displayHeight = in.take<uint32_t>();
  r.video.displayWidth = in.take<uint32_t>();
  r.video.aspectNum = in.take<uint32_t>();
  r.video.aspectDen = in.take<uint32_t>();
  r.video.bitRate = in.take<uint32_t>();
  r.video.mpegField7 = in.take<uint8_t>();
  r.video.mpegField4 = in.take<uint8_t>();
  r.video.mpegField5 = in.take<uint16_t>();
  r.video.mpegField6 = in.take<uint16_t>();
  r.partitionSlot.resize(in.below_or(4));
  for (MXF_PARTITION_INFO& p : r.partitionSlot) {
    p.kind = in.take<uint8_t>();
    p.kagSize = in.take<uint32_t>();
    p.thisPartition = in.take<uint64_t>();
  }
  r.indexEntrySlot.resize(in.below_or(8));
  for (INDEX_ENTRY_ARRAY& e : r.indexEntrySlot) {
    e.filePosition = in.take<uint64_t>();
    e.samplesInFrame = in.take<uint16_t>();
    e.deltaCount = in.take<uint8_t>();
  }
}

WAV_LIBRARY_ENTRY random_entry(FuzzInput& in, const MXF_TIMECODE_INFO& grid) {
  WAV_LIBRARY_ENTRY e;
  e.file_name = in.bytes(40);
  e.file_path = in.bytes(80);
  WAV_FILE_INFO& i = e.info;
  i.format_tag = in.take<uint16_t>();
  i.channels = in.take<uint16_t>();
  i.sample_rate = in.take<uint32_t>();
  i.avg_bytes_per_sec = in.take<uint32_t>();
  i.block_align = in.take<uint16_t>();
  i.bytes_per_sample = in.take<uint16_t>();
  i.bits_per_sample = in.take<uint16_t>();
  i.data_size = in.take<uint32_t>();
  i.data_offset = in.take<uint64_t>();
  i.start_sample = in.take<uint64_t>();
  i.end_sample = in.take<uint64_t>();
  i.start_frame = in.take<uint32_t>();
  i.end_frame = in.take<uint32_t>();
  i.duration_frames = in.take<uint32_t>();
  i.start_subframe = in.take<uint32_t>();
  i.end_subframe = in.take<uint32_t>();
  i.start_remainder = in.take<uint32_t>();
  i.end_remainder = in.take<uint32_t>();
  i.is_bwf = in.take<uint8_t>();
  i.starts_in_hour_23 = in.take<uint8_t>();
  i.data_available = in.take<uint64_t>();
  e.find_data.size = in.take<uint64_t>();
  e.find_data.creation = {in.take<int64_t>(), in.take<int32_t>()};
  e.find_data.lastWrite = {in.take<int64_t>(), in.take<int32_t>()};
  fill_wav_entry_texts(e, grid);
  return e;
}

// What the log writer does with the pieces before they reach the file. The logs' own rows are
// fixed formats of numbers; the parts that carry texts of the input (the path, the records' texts,
// the block) go through the conversion, in one call: a converter costs more to open than the rest.
void convert(const std::vector<std::string>& pieces) {
  std::string all;
  for (const std::string& piece : pieces) all += piece;
  std::string out;
  platform::convert_from_utf8(all, platform::TextEncoding::kCp932, &out);
}

}  // namespace

void build_log_texts(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  MxfRecords records;
  fill_records(in, records);
  const std::string mxfPath = in.bytes(120);
  platform::LocalTime at;
  at.year = in.take<int16_t>();
  at.month = in.take<int8_t>();
  at.day = in.take<int8_t>();
  at.hour = in.take<int8_t>();
  at.minute = in.take<int8_t>();
  at.second = in.take<int8_t>();

  TimecodeErrorList errors;
  for (uint32_t n = in.below_or(12); n > 0; --n) {
    TIMECODE_ERROR_INFO e;
    e.beforeFrame = in.take<uint32_t>();
    e.afterFrame = in.take<uint32_t>();
    e.beforeCount = in.take<uint32_t>();
    e.afterCount = in.take<uint32_t>();
    e.state = in.take<uint8_t>();
    e.position = in.take<uint32_t>();
    errors.push_back(e);
  }
  jobs::ltc_error_log_pieces(mxfPath, records.base, errors, at);

  // The job record: switches and marks of any value, entries on some tracks.
  std::array<WAV_LIBRARY_ENTRY, 4> entries;
  for (WAV_LIBRARY_ENTRY& e : entries) e = random_entry(in, records.timecode);
  AUDIOTRACK_IO_INFO tracks;
  for (size_t t = 0; t < kTrackSlots; ++t) {
    tracks.trackSwitch[t] = in.take<uint8_t>() % 4;
    tracks.exportMark[t] = in.take<uint8_t>() % 4;
    const uint8_t pick = in.take<uint8_t>();
    tracks.wavEntry[t] = pick < entries.size() ? &entries[pick] : nullptr;
  }
  for (size_t i = 0; i < 2; ++i) {
    tracks.inFrame[i] = in.take<uint32_t>();
    tracks.outFrame[i] = in.take<uint32_t>();
  }
  const bool useFileApi = in.flag();
  const std::vector<std::string> detail =
      jobs::wrap_detail_log_pieces(mxfPath, records.base, tracks, useFileApi, at);

  // The text functions on their own, with codes of any value.
  const uint32_t fpsCode = in.take<uint8_t>();
  const uint32_t dropFrame = in.take<uint8_t>();
  const uint32_t rateCode = in.take<uint8_t>();
  const int64_t actual = in.take<int64_t>();
  std::vector<std::string> texts;
  if (!detail.empty()) texts.push_back(detail.back());
  texts.push_back(jobs::log_timecode(fpsCode, dropFrame, in.take<uint32_t>()));
  texts.emplace_back(jobs::rate_name(rateCode));
  texts.emplace_back(jobs::scan_letter(records.video));
  texts.emplace_back(jobs::drop_frame_label(dropFrame, rateCode));
  texts.push_back(tc::timecode_text(fpsCode, dropFrame, actual, tc::TimecodeStyle::kSeparated,
                                    in.below_or(80)));
  texts.push_back(
      tc::timecode_text(fpsCode, dropFrame, actual, tc::TimecodeStyle::kDigits, in.below_or(80)));
  tc::Timecode label{in.take<int32_t>(), in.take<int32_t>(), in.take<int32_t>(),
                     in.take<int32_t>()};
  texts.push_back(tc::timecode_text_with(label, static_cast<char>(in.take<uint8_t>())));
  texts.push_back(
      tc::timecode_text_with(tc::frames_to_display_timecode(fpsCode, dropFrame, actual), '.'));
  texts.push_back(tc::subframe_text(rateCode, in.take<uint64_t>()));
  texts.push_back(tc::size_text(in.take<uint64_t>()));
  MXF_TIMECODE_INFO grid;
  fill_timecode(in, grid);
  texts.push_back(
      wav_position_text(grid, in.take<uint32_t>(), in.take<uint32_t>(), in.take<uint32_t>()));
  texts.push_back(wav_duration_text(grid, in.take<uint32_t>()));
  texts.push_back(jobs::mxf_info_block(mxfPath, records.base, at));
  convert(texts);
}

}  // namespace tavrin::fuzz
