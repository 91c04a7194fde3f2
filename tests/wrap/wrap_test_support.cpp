#include "wrap_test_support.h"

#include <algorithm>

#include "wav/wav_reader.h"

namespace tavrin::test {

const char* engine_name(Engine engine) {
  return engine == Engine::kMapping ? "Mapping" : "FileApi";
}

int run_engine(Engine engine, const std::string& path, AUDIOTRACK_IO_INFO* job, MXF_BASE_INFO* mxf,
               platform::JobControl* control) {
  platform::NullJobControl unwatched;
  platform::JobControl& c = control != nullptr ? *control : unwatched;
  return engine == Engine::kMapping ? wrap_audio_by_mapping(path, job, mxf, c)
                                    : wrap_audio_by_file_api(path, job, mxf, c);
}

std::unique_ptr<TestWav> make_test_wav(const std::string& path, const WavLayout& layout,
                                       const MXF_TIMECODE_INFO& timecode) {
  if (!write_wav(path, layout)) return nullptr;
  auto wav = std::make_unique<TestWav>();
  wav->entry.file_path = path;
  wav->entry.file_name = path.substr(path.rfind('/') + 1);
  if (read_wav_file_info(path, &wav->entry.info, &timecode) != kWavAccepted) return nullptr;
  const WAV_FILE_INFO& info = wav->entry.info;
  wav->sampleFrames = info.block_align == 0 ? 0 : info.data_available / info.block_align;
  return wav;
}

std::unique_ptr<TestWav> make_test_wav(const std::string& path, uint16_t channels, uint16_t bits,
                                       uint64_t sampleFrames, const MXF_TIMECODE_INFO& timecode) {
  WavParams params;
  params.channels = channels;
  params.bits = bits;
  params.sampleFrames = sampleFrames;
  return make_test_wav(path, make_wav(params), timecode);
}

void set_range(const SyntheticEssence& f, uint32_t first, uint32_t last, AUDIOTRACK_IO_INFO* job) {
  job->inFrame = {f.count(first), f.shifted_count(first)};
  job->outFrame = {f.count(last), f.shifted_count(last)};
}

void prepare_job(const SyntheticEssence& f, uint32_t first, uint32_t last,
                 AUDIOTRACK_IO_INFO* job) {
  for (size_t t = 0; t < kTrackSlots; ++t) {
    job->wavEntry[t] = nullptr;
    job->trackSwitch[t] = t < f.params.tracks ? kTrackOff : kTrackAbsent;
  }
  set_range(f, first, last, job);
}

TrackExpectation keep() {
  return {};
}
TrackExpectation silence() {
  return {TrackExpectation::kSilence, nullptr, 0};
}
TrackExpectation from_wav(const TestWav& wav, uint16_t channel) {
  return {TrackExpectation::kWav, &wav, channel};
}

std::vector<uint8_t> expected_bytes(std::vector<uint8_t> bytes, const SampleGeometry& geometry,
                                    uint32_t first, uint32_t last,
                                    const std::vector<TrackExpectation>& tracks) {
  const uint32_t slot = geometry.slot;
  uint64_t sample = 0;  // WAV sample frame of the frame's first sample
  for (uint32_t frame = first; frame <= last; ++frame) {
    const uint32_t samples = geometry.samples(frame);
    for (size_t t = 0; t < tracks.size(); ++t) {
      const TrackExpectation& x = tracks[t];
      if (x.kind == TrackExpectation::kKeep) continue;
      uint8_t* value = bytes.data() + geometry.valueOffset(frame, static_cast<uint32_t>(t));
      std::fill(value, value + size_t{samples} * slot, 0);
      if (x.kind != TrackExpectation::kWav) continue;
      const uint16_t bits = x.wav->entry.info.bits_per_sample;
      const uint32_t lead = bits == 16 && geometry.mxfBits == 24 ? 1 : 0;
      for (uint32_t s = 0; s < samples && sample + s < x.wav->sampleFrames; ++s) {
        for (uint16_t b = 0; b < bits / 8; ++b) {
          value[s * slot + lead + b] = sample_byte(sample + s, x.channel, b);
        }
      }
    }
    sample += samples;
  }
  return bytes;
}

std::vector<uint8_t> expected_file(const SyntheticEssence& f, uint32_t first, uint32_t last,
                                   const std::vector<TrackExpectation>& tracks) {
  SampleGeometry geometry;
  geometry.valueOffset = [&f](uint32_t frame, uint32_t track) {
    return f.value_offset(frame, track);
  };
  geometry.samples = [&f](uint32_t frame) { return f.samples(frame); };
  geometry.slot = f.slot();
  geometry.mxfBits = f.params.bits;
  return expected_bytes(f.original, geometry, first, last, tracks);
}

int64_t first_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return static_cast<int64_t>(i);
  }
  return a.size() == b.size() ? -1 : static_cast<int64_t>(n);
}

}  // namespace tavrin::test
