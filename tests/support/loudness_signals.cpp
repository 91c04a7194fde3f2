#include "support/loudness_signals.h"

#include <algorithm>
#include <cmath>

#include "loudness/meter.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"

namespace tavrin::test {

std::vector<float> tone_sequence(const std::vector<Tone>& tones, double frequency) {
  std::vector<float> out;
  double phase = 0;
  const double step = 2.0 * M_PI * frequency / kToneRate;
  for (const Tone& tone : tones) {
    const double amplitude = std::pow(10.0, tone.dbfs / 20.0);
    const auto count = static_cast<size_t>(std::llround(tone.seconds * kToneRate));
    for (size_t i = 0; i < count; ++i) {
      out.push_back(static_cast<float>(amplitude * std::sin(phase)));
      phase = std::fmod(phase + step, 2.0 * M_PI);
    }
  }
  return out;
}

std::vector<float> sine(double amplitude, double frequency, double phaseDegrees, size_t count) {
  std::vector<float> out(count);
  const double start = phaseDegrees * M_PI / 180.0;
  for (size_t i = 0; i < count; ++i) {
    out[i] = static_cast<float>(
        amplitude * std::sin(start + 2.0 * M_PI * frequency * static_cast<double>(i) / kToneRate));
  }
  return out;
}

std::vector<float> both_channels(const std::vector<float>& mono) {
  return interleave(mono, mono);
}

std::vector<float> interleave(const std::vector<float>& left, const std::vector<float>& right) {
  std::vector<float> out(2 * std::min(left.size(), right.size()));
  for (size_t i = 0; i < out.size() / 2; ++i) {
    out[2 * i] = left[i];
    out[2 * i + 1] = right[i];
  }
  return out;
}

namespace {

int32_t to_pcm(float sample, uint16_t bytesPerSample) {
  const double full = bytesPerSample == 2 ? 32768.0 : 8388608.0;
  const double value = std::round(static_cast<double>(sample) * full);
  return static_cast<int32_t>(std::clamp(value, -full, full - 1));
}

}  // namespace

std::vector<uint8_t> pcm_bytes(const std::vector<float>& samples, uint16_t bytesPerSample) {
  std::vector<uint8_t> out;
  out.reserve(samples.size() * bytesPerSample);
  for (const float s : samples) {
    const auto v = static_cast<uint32_t>(to_pcm(s, bytesPerSample));
    for (uint16_t b = 0; b < bytesPerSample; ++b) out.push_back(static_cast<uint8_t>(v >> (8 * b)));
  }
  return out;
}

std::vector<float> quantised(const std::vector<float>& samples, uint16_t bytesPerSample) {
  const double full = bytesPerSample == 2 ? 32768.0 : 8388608.0;
  std::vector<float> out(samples.size());
  for (size_t i = 0; i < samples.size(); ++i) {
    out[i] = static_cast<float>(to_pcm(samples[i], bytesPerSample) / full);
  }
  return out;
}

std::unique_ptr<AnalysedFixture> make_signal_fixture(
    const std::string& path, const MxfFixtureOptions& options,
    const std::vector<std::vector<float>>& signals) {
  auto f = std::make_unique<AnalysedFixture>();
  f->path = path;
  f->options = options;
  f->original = build_mxf_fixture(options, &f->layout);
  const uint16_t width = options.blockAlign;
  uint64_t first = 0;  // the signal's index of the frame's first sample
  for (const FixtureFrame& frame : f->layout.frames) {
    for (size_t t = 0; t < frame.soundValue.size(); ++t) {
      std::vector<float> part(frame.samples, 0.0f);
      if (t < signals.size()) {
        for (uint32_t i = 0; i < frame.samples && first + i < signals[t].size(); ++i) {
          part[i] = signals[t][first + i];
        }
      }
      const std::vector<uint8_t> bytes = pcm_bytes(part, width);
      std::copy(bytes.begin(), bytes.end(),
                f->original.begin() + static_cast<ptrdiff_t>(frame.soundValue[t]));
    }
    first += frame.samples;
  }
  if (!write_file(path, f->original)) return nullptr;
  f->analysisCode = analyse_mxf_file(path, &f->records, &f->failureText);
  return f;
}

std::vector<float> fixture_track_samples(const AnalysedFixture& f, const std::vector<float>& signal,
                                         uint32_t first, uint32_t last) {
  uint64_t start = 0;
  for (uint32_t i = 0; i < first; ++i) start += f.layout.frames[i].samples;
  uint64_t count = 0;
  for (uint32_t i = first; i <= last; ++i) count += f.layout.frames[i].samples;
  std::vector<float> out(count, 0.0f);
  for (uint64_t i = 0; i < count && start + i < signal.size(); ++i) out[i] = signal[start + i];
  return quantised(out, f.options.blockAlign);
}

bool write_signal_wav(const std::string& path, uint16_t channels, uint16_t bits,
                      const std::vector<float>& interleaved) {
  WavParams params;
  params.channels = channels;
  params.bits = bits;
  params.sampleFrames = interleaved.size() / channels;
  WavLayout layout = make_wav(params);
  const int data = layout.find("data");
  if (data < 0) return false;
  WavChunk& chunk = layout.chunks[static_cast<size_t>(data)];
  chunk.payload = pcm_bytes(interleaved, bytes_per_sample(bits));
  chunk.generatedBytes = 0;
  chunk.samples = false;
  return write_wav(path, layout);
}

loudness::LoudnessMeasurement reference_measurement(size_t channels,
                                                    const std::vector<float>& interleaved) {
  loudness::ProgrammeMeter meter(channels, loudness::TruePeakMode::kMeasure);
  meter.add(interleaved.data(), interleaved.size() / channels);
  return meter.result();
}

}  // namespace tavrin::test
