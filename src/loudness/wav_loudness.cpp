#include "loudness/wav_loudness.h"

#include <new>
#include <vector>

#include "loudness/loudness_codes.h"
#include "loudness/meter.h"
#include "loudness/pcm_samples.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "wav/wav_reader.h"

namespace tavrin::loudness {

namespace {

namespace codes = loudness_codes;

LoudnessOutcome failed(int code) {
  LoudnessOutcome outcome;
  outcome.code = code;
  return outcome;
}

}  // namespace

LoudnessOutcome measure_wav_loudness(const std::string& path, platform::JobControl& control,
                                     WAV_FILE_INFO* info) {
  if (path.empty()) return failed(codes::kWavNoPath);
  platform::Status status;
  const platform::File file = platform::File::open(path, platform::Access::kReadExisting,
                                                   platform::Sharing::kRead, &status);
  if (!file.valid()) return failed(codes::kWavOpen);
  const platform::FileSource source(file);
  WAV_FILE_INFO read;
  const int32_t found = read_wav_chunks(source, &read);
  if (info != nullptr) *info = read;
  if (found == tavrin::kWavNotUsable) return failed(codes::kWavNotUsable);
  if (found != tavrin::kWavAccepted) return failed(codes::kWavFormat);
  // The reader has checked 48 kHz and 16/24 bits; the meter takes one or two channels of
  // samples packed without padding.
  const size_t channels = read.channels;
  const size_t width = read.bytes_per_sample;
  if ((channels != 1 && channels != 2) || !pcm_width_supported(width) ||
      read.block_align != channels * width) {
    return failed(codes::kWavFormat);
  }

  const uint64_t sampleFrames = read.data_available / read.block_align;
  const uint64_t blocks = (sampleFrames + kWavBlockFrames - 1) / kWavBlockFrames;
  control.set_total(static_cast<uint32_t>(blocks));
  ProgrammeMeter meter(channels, TruePeakMode::kMeasure);
  if (!meter.valid()) return failed(codes::kWavMeter);
  std::vector<uint8_t> bytes;
  std::vector<float> samples;
  try {
    bytes.resize(kWavBlockFrames * read.block_align);
    samples.resize(kWavBlockFrames * channels);
  } catch (const std::bad_alloc&) {
    return failed(codes::kWavMeter);
  }

  uint64_t done = 0;
  for (uint64_t block = 0; block < blocks; ++block) {
    if (control.cancel_requested()) return failed(codes::kCancelled);
    const uint64_t frames = std::min(kWavBlockFrames, sampleFrames - done);
    const size_t n = static_cast<size_t>(frames * read.block_align);
    const platform::IoResult got =
        file.read_at(read.data_offset + done * read.block_align, bytes.data(), n);
    if (got.bytes != n) return failed(codes::kWavRead);
    pcm_to_float(bytes.data(), static_cast<size_t>(frames * channels), width, samples.data());
    if (!meter.add(samples.data(), static_cast<size_t>(frames))) return failed(codes::kWavMeter);
    done += frames;
    control.set_done(static_cast<uint32_t>(block + 1));
  }

  LoudnessOutcome outcome;
  outcome.programmes = {channels == 2 ? stereo_programme(0, 1) : mono_programme(0)};
  outcome.measurements = {meter.result()};
  outcome.frames = sampleFrames;
  return outcome;
}

}  // namespace tavrin::loudness
