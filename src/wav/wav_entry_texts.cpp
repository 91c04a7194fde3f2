#include "wav/wav_entry_texts.h"

#include "platform/local_time.h"
#include "platform/text.h"
#include "timecode/timecode.h"

namespace tavrin {

namespace {

char frame_separator(const MXF_TIMECODE_INFO& timecode) {
  return timecode.dropFrame != 0 ? '.' : ':';
}

std::string date_text(const platform::FileTime& time) {
  const platform::LocalTime t = platform::to_local_time(time);
  return platform::format("%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                          t.second);
}

}  // namespace

std::string wav_position_text(const MXF_TIMECODE_INFO& timecode, uint32_t frame, uint32_t subframe,
                              uint32_t remainder) {
  const tc::Timecode t =
      tc::frames_to_display_timecode(timecode.fpsCode, timecode.dropFrame, frame);
  return platform::format("%02d:%02d:%02d%c%02d +%03d *%04d", t.hours, t.minutes, t.seconds,
                          frame_separator(timecode), t.frames, static_cast<int>(subframe),
                          static_cast<int>(remainder));
}

std::string wav_duration_text(const MXF_TIMECODE_INFO& timecode, uint32_t durationFrames) {
  int64_t frames = static_cast<int32_t>(durationFrames);
  if (frames < 0) frames += tc::frames_per_day(timecode.fpsCode, timecode.dropFrame);
  if (frames < 0) frames = 0;
  const tc::Timecode t =
      tc::frames_to_display_timecode(timecode.fpsCode, timecode.dropFrame, frames);
  return platform::format("%02d:%02d:%02d%c%02d", t.hours, t.minutes, t.seconds,
                          frame_separator(timecode), t.frames);
}

void fill_wav_entry_texts(WAV_LIBRARY_ENTRY& entry, const MXF_TIMECODE_INFO& timecode) {
  const WAV_FILE_INFO& info = entry.info;
  const platform::DirectoryRecord& record = entry.find_data;

  entry.sort_keys[0] = info.channels;
  entry.sort_keys[1] = info.bits_per_sample;
  entry.sort_keys[2] = info.sample_rate;
  entry.sort_keys[3] = info.start_frame;
  entry.sort_keys[4] = info.end_frame;
  entry.sort_keys[5] = static_cast<uint32_t>(info.end_frame - info.start_frame);
  entry.sort_keys[6] = platform::to_windows_file_time(record.creation);
  entry.sort_keys[7] = platform::to_windows_file_time(record.lastWrite);
  entry.sort_keys[8] = record.size;

  std::array<std::string, kLibraryTextCount> texts;
  texts[kTextName] = entry.file_name;
  texts[kTextChannels] = platform::format("%d", static_cast<int>(info.channels));
  texts[kTextBits] = platform::format("%d", static_cast<int>(info.bits_per_sample));
  texts[kTextSampleRate] = platform::format("%d", static_cast<int>(info.sample_rate));
  texts[kTextStart] =
      wav_position_text(timecode, info.start_frame, info.start_subframe, info.start_remainder);
  texts[kTextEnd] =
      wav_position_text(timecode, info.end_frame, info.end_subframe, info.end_remainder);
  texts[kTextDuration] = wav_duration_text(timecode, info.duration_frames);
  texts[kTextCreated] = date_text(record.creation);
  texts[kTextUpdated] = date_text(record.lastWrite);
  texts[kTextSize] = tc::size_text(record.size);
  for (size_t i = 0; i < kLibraryTextCount; ++i) {
    entry.texts[i] = platform::cut_to_capacity(texts[i], kLibraryTextCapacity);
  }
}

}  // namespace tavrin
