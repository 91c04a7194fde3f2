// The loudness measurement as the window and the command line start it: of the loaded MXF file
// over IN..OUT or the whole file (each chosen track alone and each chosen pair), or of a WAV/BWF
// file (from the library, or named on the command line), against the target the operator chose.
// The run happens on the calling thread; the window calls it from its job's worker thread with the
// progress dialog's job control.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "loudness/measurement.h"
#include "loudness/targets.h"
#include "platform/job_control.h"
#include "wav/user_message.h"
#include "wrap/element_check.h"

namespace tavrin::app {

// Caption of every loudness message and the name of the command.
inline constexpr const char* kLoudnessCaption = "ラウドネス測定";

enum class LoudnessScope { kInOut, kWholeFile };

// The tracks measured alone and the pairs measured as stereo programmes, counted from 0.
struct LoudnessSelection {
  std::vector<size_t> tracks;
  std::vector<std::array<size_t, 2>> pairs;
};

// Every existing track alone, and tracks 1 and 2 as a pair when the file has both.
LoudnessSelection default_loudness_selection(const APP_STATE_INFO& app);
// The programmes of a selection: the tracks in the order given, then the pairs.
std::vector<loudness::Programme> programmes_of(const LoudnessSelection& selection);

// IN..OUT when both points are set, otherwise the whole file.
LoudnessScope default_loudness_scope(const APP_STATE_INFO& app);
// The command can run while an MXF file is loaded.
bool loudness_available(const APP_STATE_INFO& app);

// One programme's line of the result.
struct ProgrammeResult {
  loudness::Programme programme;
  std::string name;  // "Track-1", "Track-1+2"; for a WAV, its file name
  loudness::LoudnessMeasurement measurement;
  loudness::TargetCheck check;
};

// One finished measurement, successful or not.
struct LoudnessReport {
  int code = 0;  // 0, 99 cancelled, or a code of loudness/loudness_codes.h
  ElementFault fault = ElementFault::kNone;
  uint64_t faultFrame = 0;  // frame of the range (0 = IN) where the element check failed
  bool wav = false;
  std::string path;       // the MXF or WAV file measured
  bool wholeFile = true;  // MXF: the whole file, or IN..OUT
  std::string inText;     // MXF: timecode texts of the first and last frame measured
  std::string outText;
  uint64_t frames = 0;    // MXF frames or WAV sample frames measured
  uint16_t channels = 0;  // WAV
  uint16_t bits = 0;      // WAV
  loudness::TargetId target = loudness::TargetId::kArib;
  std::vector<ProgrammeResult> results;  // only when code is 0

  bool succeeded() const { return code == 0; }
  bool cancelled() const;
  // The file could not be opened at all (missing, locked, no rights).
  bool unreadable() const;
  // Every programme meets the target (false when nothing was measured).
  bool every_programme_meets() const;
};

// What stops the command before it starts: no file loaded, IN..OUT asked for while a point is
// missing, nothing selected, a track the file does not have or a pair of one track.
std::optional<UserMessage> check_loudness_request(const APP_STATE_INFO& app, LoudnessScope scope,
                                                  const LoudnessSelection& selection);

// Measures the loaded file. The request should have passed check_loudness_request; one that does
// not ends with the measurement's refusal code.
LoudnessReport measure_loaded_file(const APP_STATE_INFO& app, LoudnessScope scope,
                                   const LoudnessSelection& selection, loudness::TargetId target,
                                   platform::JobControl& control);
// Measures a WAV/BWF file (mono: one mono programme; stereo: one stereo programme).
LoudnessReport measure_wav_file(const std::string& path, loudness::TargetId target,
                                platform::JobControl& control);
// Measures the library entry shown at `row` of the list (libraryView order); code kWavNoPath
// when there is no such row.
LoudnessReport measure_library_row(const APP_STATE_INFO& app, size_t row, loudness::TargetId target,
                                   platform::JobControl& control);

// The message for a measurement that did not finish (failure or cancel); empty on success.
std::optional<UserMessage> loudness_failure_message(const LoudnessReport& report);

}  // namespace tavrin::app
