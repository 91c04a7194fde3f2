// Test signals for the loudness measurement: sine tones at stated levels (the kind EBU Tech 3341
// and 3342 describe), their PCM bytes, MXF fixtures whose tracks carry them, WAV files that hold
// them, and the measurement libebur128 makes of the same samples in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "loudness/measurement.h"
#include "support/analysed_fixture.h"

namespace tavrin::test {

inline constexpr double kToneRate = 48000.0;

// A stretch of a 1 kHz sine whose peak is `dbfs` below full scale.
struct Tone {
  double dbfs = -23;
  double seconds = 1;
};
// The tones one after the other at 48 kHz, the phase running on across the steps.
std::vector<float> tone_sequence(const std::vector<Tone>& tones, double frequency = 1000.0);
// `count` samples of a sine of linear peak `amplitude` at `frequency`, starting at `phaseDegrees`.
std::vector<float> sine(double amplitude, double frequency, double phaseDegrees, size_t count);

// Two channels of the same samples, interleaved.
std::vector<float> both_channels(const std::vector<float>& mono);
std::vector<float> interleave(const std::vector<float>& left, const std::vector<float>& right);

// The samples as little-endian PCM of 2 or 3 bytes (rounded, clipped at full scale), and the
// samples those bytes decode to.
std::vector<uint8_t> pcm_bytes(const std::vector<float>& samples, uint16_t bytesPerSample);
std::vector<float> quantised(const std::vector<float>& samples, uint16_t bytesPerSample);

// An MXF fixture whose track t carries trackSignals[t] from the first sample of frame 0 on (silence
// behind the end of a signal, and on tracks without one), written to `path` and analysed.
std::unique_ptr<AnalysedFixture> make_signal_fixture(
    const std::string& path, const MxfFixtureOptions& options,
    const std::vector<std::vector<float>>& trackSignals);
// The samples of file frames first .. last (inclusive) of a track of such a fixture, as the file
// holds them.
std::vector<float> fixture_track_samples(const AnalysedFixture& f, const std::vector<float>& signal,
                                         uint32_t first, uint32_t last);

// A PCM WAV of `channels` interleaved channels holding the samples.
bool write_signal_wav(const std::string& path, uint16_t channels, uint16_t bits,
                      const std::vector<float>& interleaved);

// What libebur128 measures on the samples in memory, fed in one go.
loudness::LoudnessMeasurement reference_measurement(size_t channels,
                                                    const std::vector<float>& interleaved);

}  // namespace tavrin::test
