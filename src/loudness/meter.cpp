#include "loudness/meter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

namespace tavrin::loudness {

struct ProgrammeMeter::State {
  explicit State(ebur128_state* s) : st(s) {}
  ~State() { ebur128_destroy(&st); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ebur128_state* st;
};

ProgrammeMeter::ProgrammeMeter(size_t channels, TruePeakMode truePeak)
    : channels_(channels), truePeak_(truePeak == TruePeakMode::kMeasure) {
  if (channels != 1 && channels != 2) return;
  int mode = EBUR128_MODE_M | EBUR128_MODE_I;
  if (truePeak_) mode |= EBUR128_MODE_TRUE_PEAK;
  ebur128_state* st = ebur128_init(static_cast<unsigned>(channels), kSampleRate, mode);
  if (st == nullptr) return;
  state_ = std::make_unique<State>(st);
  // BS.1770: left and right weigh 1.0. A mono programme is its one channel at weight 1.0.
  if (ebur128_set_channel(state_->st, 0, EBUR128_LEFT) != EBUR128_SUCCESS ||
      (channels == 2 && ebur128_set_channel(state_->st, 1, EBUR128_RIGHT) != EBUR128_SUCCESS)) {
    failed_ = true;
  }
}

namespace {

// BS.1770: loudness = -0.691 + 10 log10(weighted mean square), as libebur128 reports it.
double loudness_to_energy(double loudness) {
  return loudness > -HUGE_VAL ? std::pow(10.0, (loudness + 0.691) / 10.0) : 0.0;
}
double energy_to_loudness(double energy) {
  return energy > 0 ? 10.0 * std::log10(energy) - 0.691 : -HUGE_VAL;
}

}  // namespace

ProgrammeMeter::ProgrammeMeter() = default;
ProgrammeMeter::~ProgrammeMeter() = default;
ProgrammeMeter::ProgrammeMeter(ProgrammeMeter&&) noexcept = default;
ProgrammeMeter& ProgrammeMeter::operator=(ProgrammeMeter&&) noexcept = default;

bool ProgrammeMeter::add(const float* samples, size_t frames) {
  if (!valid()) return false;
  // The momentary and short-term loudness are read at every 100 ms of programme time, counted
  // from its first sample, however the samples arrive.
  while (frames > 0) {
    const size_t n = std::min(frames, untilStep_);
    if (ebur128_add_frames_float(state_->st, samples, n) != EBUR128_SUCCESS) {
      failed_ = true;
      return false;
    }
    samples += n * channels_;
    frames -= n;
    untilStep_ -= n;
    if (untilStep_ == 0) {
      untilStep_ = kStepFrames;
      // The K-weighted energy of the last 100 ms from libebur128. The 400 ms and 3 s windows are
      // the means of the last 4 and 30 of these (before the first 3 s, with the steps not yet
      // taken counting as silence, as libebur128's own windows do); asking libebur128 for the 3 s
      // window itself would sum 144000 samples every 100 ms.
      double step = -HUGE_VAL;
      if (ebur128_loudness_window(state_->st, 100, &step) != EBUR128_SUCCESS) {
        failed_ = true;
        return false;
      }
      stepEnergy_[steps_ % kShortTermSteps] = loudness_to_energy(step);
      ++steps_;
      double momentaryEnergy = 0;
      double shortTermEnergy = 0;
      for (size_t i = 0; i < kShortTermSteps; ++i) {
        const double e = stepEnergy_[(steps_ + kShortTermSteps - 1 - i) % kShortTermSteps];
        if (i < kMomentarySteps) momentaryEnergy += e;
        shortTermEnergy += e;
      }
      const double momentary = energy_to_loudness(momentaryEnergy / kMomentarySteps);
      const double shortTerm = energy_to_loudness(shortTermEnergy / kShortTermSteps);
      // The short-term window is full from the 30th step (3 s) on.
      if (steps_ >= kShortTermSteps) shortTerm_.push_back(shortTerm);
      maxMomentary_ = anyStep_ ? std::max(maxMomentary_, momentary) : momentary;
      maxShortTerm_ = anyStep_ ? std::max(maxShortTerm_, shortTerm) : shortTerm;
      anyStep_ = true;
    }
  }
  return true;
}

LoudnessMeasurement ProgrammeMeter::result() const {
  LoudnessMeasurement m;
  m.integrated = -HUGE_VAL;
  m.truePeak = -HUGE_VAL;
  m.maxMomentary = anyStep_ ? maxMomentary_ : -HUGE_VAL;
  m.maxShortTerm = anyStep_ ? maxShortTerm_ : -HUGE_VAL;
  if (!state_) return m;
  ebur128_state* state = state_->st;
  if (ebur128_loudness_global(state, &m.integrated) != EBUR128_SUCCESS) m.integrated = -HUGE_VAL;
  m.range = loudness_range(shortTerm_);
  if (truePeak_) {
    double peak = 0;
    for (size_t c = 0; c < channels_; ++c) {
      double channelPeak = 0;
      if (ebur128_true_peak(state, static_cast<unsigned>(c), &channelPeak) == EBUR128_SUCCESS) {
        peak = std::max(peak, channelPeak);
      }
    }
    m.truePeak = peak_to_db(peak);
  }
  return m;
}

double peak_to_db(double linear) {
  return linear > 0 ? 20.0 * std::log10(linear) : -HUGE_VAL;
}

}  // namespace tavrin::loudness

namespace tavrin::loudness {

double loudness_range(std::vector<double> shortTerm) {
  // EBU Tech 3342: the absolute gate at -70 LUFS, then the relative gate 20 LU below the power
  // mean of what passed it.
  constexpr double kAbsoluteGate = -70.0;
  constexpr double kRelativeGate = -20.0;
  std::erase_if(shortTerm, [](double l) { return !(l >= kAbsoluteGate); });
  if (shortTerm.empty()) return 0;
  double power = 0;
  for (const double l : shortTerm) power += std::pow(10.0, l / 10.0);
  const double gate =
      10.0 * std::log10(power / static_cast<double>(shortTerm.size())) + kRelativeGate;
  std::erase_if(shortTerm, [gate](double l) { return l < gate; });
  if (shortTerm.empty()) return 0;
  std::sort(shortTerm.begin(), shortTerm.end());
  // A percentile p is the value of nearest rank: the k-th smallest with k = N p rounded (at
  // least the first).
  const auto at = [&](double fraction) {
    const auto rank =
        static_cast<size_t>(std::floor(static_cast<double>(shortTerm.size()) * fraction + 0.5));
    return shortTerm[std::clamp<size_t>(rank, 1, shortTerm.size()) - 1];
  };
  return at(0.95) - at(0.10);
}

}  // namespace tavrin::loudness
