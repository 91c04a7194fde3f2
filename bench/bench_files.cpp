#include "bench_files.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bench_support.h"
#include "support/analysed_fixture.h"
#include "support/wav_fixture.h"
#include "wav/wav_reader.h"

namespace tavrin::bench {

namespace {

// 4.5 GB over the 17982 frames of ten minutes: 50 Mb/s pictures with 8 tracks of 24-bit audio.
constexpr double kTenMinuteBytesPerFrame = 4.5e9 / 17982.0;

}  // namespace

uint64_t frames_of_minutes(double minutes) {
  return static_cast<uint64_t>(std::llround(minutes * 60.0 * 30000.0 / 1001.0));
}

uint64_t bench_frames(const BenchArgs& args, double defaultMinutes) {
  if (args.frames) return *args.frames;
  if (args.small) return frames_of_minutes(1);
  return frames_of_minutes(args.minutes ? *args.minutes : defaultMinutes);
}

test::MxfFixtureOptions one_hour_options(uint64_t frames) {
  test::MxfFixtureOptions o;  // 29.97 drop frame, 10:00:00;00, 8 AES3 tracks of 24 bit
  o.frameCount = frames;
  o.trackCount = 8;
  o.pictureSize = 4096;
  return o;
}

test::MxfFixtureOptions ten_minute_options(uint64_t frames) {
  test::MxfFixtureOptions o = one_hour_options(1);
  // The content package without the picture decides how large the picture must be.
  const uint64_t rest = test::plan_mxf_fixture(o).contentPackageSize - o.pictureSize;
  const uint64_t picture = static_cast<uint64_t>(kTenMinuteBytesPerFrame) - rest;
  o.pictureSize = static_cast<uint32_t>(picture / 512 * 512 - 20);  // element and key end on 512
  o.frameCount = frames;
  return o;
}

bool write_bench_mxf(const std::string& path, const test::MxfFixtureOptions& options,
                     BenchMxf* out) {
  out->path = path;
  out->options = options;
  const Timer timer;
  if (!test::write_mxf_fixture(path, options, &out->layout)) {
    std::printf("cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("file: %llu frames, %s (%.0f bytes a frame, picture %u), written in %.1f s\n",
              static_cast<unsigned long long>(options.frameCount),
              format_mib(static_cast<double>(out->layout.fileSize)).c_str(),
              static_cast<double>(out->layout.contentPackageSize), options.pictureSize,
              timer.seconds());
  return true;
}

bool load_bench_mxf(BenchMxf* mxf) {
  std::string text;
  const int code = test::analyse_mxf_file(mxf->path, mxf->records.get(), &text);
  if (code != 0) {
    std::printf("the file does not load (code %d): %s\n", code, text.c_str());
    return false;
  }
  return true;
}

uint64_t total_samples(const test::MxfFixtureLayout& layout) {
  uint64_t samples = 0;
  for (const test::FixtureFrame& f : layout.frames) samples += f.samples;
  return samples;
}

std::array<uint32_t, 2> frame_counts(const MXF_TIMECODE_INFO& timecode, uint32_t frame) {
  return {timecode.startFrame + frame, timecode.shiftedStart + frame};
}

bool write_bench_wavs(const std::string& folder, size_t count, uint64_t samples,
                      const MXF_TIMECODE_INFO& timecode, std::vector<WAV_LIBRARY_ENTRY>* out,
                      uint16_t channels, char stem) {
  test::WavParams params;
  params.channels = channels;
  params.bits = 24;
  params.sampleFrames = samples;
  const test::WavLayout layout = test::make_wav(params);
  out->assign(count, WAV_LIBRARY_ENTRY{});
  for (size_t t = 0; t < count; ++t) {
    WAV_LIBRARY_ENTRY& entry = (*out)[t];
    entry.file_name = std::to_string(t + 1);  // (GCC 12 warns falsely on "w" + to_string)
    entry.file_name.insert(0, 1, stem).append(".wav");
    entry.file_path = folder + "/" + entry.file_name;
    if (!test::write_wav(entry.file_path, layout)) {
      std::printf("cannot write %s\n", entry.file_path.c_str());
      return false;
    }
    const int32_t code = read_wav_file_info(entry.file_path, &entry.info, &timecode);
    if (code != kWavAccepted) {
      std::printf("the WAV reader refuses %s (code %d)\n", entry.file_path.c_str(), code);
      return false;
    }
  }
  return true;
}

void prepare_wrap_job(const BenchMxf& mxf, const std::vector<WAV_LIBRARY_ENTRY>& entries,
                      AUDIOTRACK_IO_INFO* job) {
  const MXF_TIMECODE_INFO& timecode = mxf.records->timecode;
  const size_t tracks = mxf.records->audio.trackCount;
  for (size_t t = 0; t < kTrackSlots; ++t) {
    const bool on = t < entries.size() && t < tracks;
    job->wavEntry[t] = on ? &entries[t] : nullptr;
    job->trackSwitch[t] = on ? kTrackOn : t < tracks ? kTrackOff : kTrackAbsent;
  }
  const uint32_t last = static_cast<uint32_t>(mxf.layout.frames.size() - 1);
  job->inFrame = frame_counts(timecode, 0);
  job->outFrame = frame_counts(timecode, last);
}

void prepare_export_job(const BenchMxf& mxf, size_t count, const std::string& folder,
                        const std::string& prefix, AUDIOTRACK_IO_INFO* job) {
  const MXF_TIMECODE_INFO& timecode = mxf.records->timecode;
  const uint32_t last = static_cast<uint32_t>(mxf.layout.frames.size() - 1);
  job->exportIn = frame_counts(timecode, 0);
  job->exportOut = frame_counts(timecode, last);
  job->exportMark.fill(0);
  for (size_t t = 0; t < count && t < kTrackSlots; ++t) job->exportMark[t] = 1;
  job->exportFolder = folder;
  job->exportPrefix = prefix;
  job->exportCounter = 1;
}

std::vector<uint8_t> area_buffer(const std::vector<Area>& areas, uint64_t* total) {
  uint64_t largest = 0;
  *total = 0;
  for (const Area& a : areas) {
    largest = std::max(largest, a.bytes);
    *total += a.bytes;
  }
  return std::vector<uint8_t>(static_cast<size_t>(largest));
}

bool read_areas(int fd, const std::vector<Area>& areas, std::vector<uint8_t>* buffer) {
  for (const Area& a : areas) {
    uint64_t done = 0;
    while (done < a.bytes) {
      const ssize_t got =
          ::pread(fd, buffer->data(), a.bytes - done, static_cast<off_t>(a.offset + done));
      if (got <= 0) return false;
      done += static_cast<uint64_t>(got);
    }
  }
  return true;
}

}  // namespace tavrin::bench
