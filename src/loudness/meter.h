// One programme's loudness meter: libebur128 set up for one channel (a mono programme) or two
// (left and right), fed with samples in [-1, 1), asked for the momentary and short-term loudness
// every 100 ms of programme time, and read out at the end.
//
// The loudness range is the statistic of EBU Tech 3342 over those short-term values, every 100 ms
// from the first full 3 s window on: values below -70 LUFS and those more than 20 LU below their
// power mean are left out, and the range is the distance from the 10th to the 95th percentile of
// the rest. libebur128's own range takes a short-term value once a second; on short programmes and
// on programmes with sudden changes its result then depends on where those seconds fall and
// differs from meters that sample at 10 Hz, as ffmpeg's ebur128 filter does, by whole LU.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "loudness/measurement.h"

namespace tavrin::loudness {

// Samples per 100 ms step at the only rate the program handles.
inline constexpr uint32_t kSampleRate = 48000;
inline constexpr size_t kStepFrames = kSampleRate / 10;

enum class TruePeakMode { kMeasure, kSkip };

class ProgrammeMeter {
 public:
  ProgrammeMeter();
  // A meter of `channels` channels (1 or 2); invalid when libebur128 cannot set it up. With
  // kSkip the true peak is not measured (the caller takes it from other meters of the same
  // samples) and reads as minus infinity.
  ProgrammeMeter(size_t channels, TruePeakMode truePeak);
  ~ProgrammeMeter();
  ProgrammeMeter(ProgrammeMeter&&) noexcept;
  ProgrammeMeter& operator=(ProgrammeMeter&&) noexcept;
  ProgrammeMeter(const ProgrammeMeter&) = delete;
  ProgrammeMeter& operator=(const ProgrammeMeter&) = delete;

  bool valid() const { return state_ != nullptr && !failed_; }
  size_t channels() const { return channels_; }

  // Feeds `frames` sample frames (interleaved when stereo). False once libebur128 has refused.
  bool add(const float* samples, size_t frames);
  // The measurement of everything fed so far.
  LoudnessMeasurement result() const;

 private:
  struct State;  // libebur128's state, destroyed with the meter
  std::unique_ptr<State> state_;
  size_t channels_ = 0;
  bool truePeak_ = false;
  bool failed_ = false;
  size_t untilStep_ = kStepFrames;  // frames still to come before the next 100 ms step
  double maxMomentary_ = 0;
  double maxShortTerm_ = 0;
  bool anyStep_ = false;
  static constexpr size_t kMomentarySteps = 4;   // 400 ms
  static constexpr size_t kShortTermSteps = 30;  // 3 s
  size_t steps_ = 0;
  std::array<double, kShortTermSteps> stepEnergy_{};  // the last 30 steps' energies, a ring
  std::vector<double> shortTerm_;  // LUFS, every 100 ms from the first full window on
};

// 20 log10 of a linear peak; minus infinity for 0.
double peak_to_db(double linear);

// The loudness range of EBU Tech 3342 over short-term loudness values (LUFS); 0 when none passes
// the gates.
double loudness_range(std::vector<double> shortTerm);

}  // namespace tavrin::loudness
