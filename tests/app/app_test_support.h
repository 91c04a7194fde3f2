// Working sets for the tests of the operations: a file that counts as loaded without any bytes
// behind it, library entries made in memory, and the analysis dialog as a load runs it in tests.
#pragma once

#include <cstdint>
#include <string>

#include "app/analysis_job.h"
#include "app/app_state.h"
#include "app/mxf_loading.h"
#include "platform/byte_source.h"
#include "platform/job_control.h"
#include "timecode/timecode.h"
#include "wav/wav_library.h"

namespace tavrin::app::test {

// The timecode record of a file at fpsCode `fps` (no drop frame) that starts at `start` and lasts
// `duration` frames, with the two counting bases as the analysis sets them.
inline void set_media(MXF_TIMECODE_INFO& t, uint32_t fps, tc::Timecode start, uint32_t duration) {
  t.fpsCode = fps;
  t.dropFrame = 0;
  t.rateCode = fps;
  t.duration = duration;
  tc::Timecode label = start;
  t.startFrame = static_cast<uint32_t>(tc::timecode_to_frames(fps, 0, label));
  t.startsInHour23 = start.hours == 23 ? 1 : 0;
  t.shiftedStart = static_cast<uint32_t>(tc::timecode_plus_one_hour(fps, 0, start));
  t.shiftedEnd = t.shiftedStart + duration - 1;
  t.endFrame = static_cast<uint32_t>(tc::count_plus_hours(fps, 0, t.shiftedEnd, 1, '-'));
}

// A loaded file of `tracks` tracks of `bits` bits, 10:00:00:00 + 300 frames at 30 fps unless the
// timecode record was set before; loaded the way complete_load leaves it.
inline void load_without_file(APP_STATE_INFO& app, uint32_t tracks, uint32_t bits = 24) {
  if (app.timecode().duration == 0) set_media(app.timecode(), 2, {10, 0, 0, 0}, 300);
  app.audio().trackCount = tracks;
  app.audio().quantizationBits = bits;
  app.mxfPath = "/media/programme.mxf";
  app.analysisOk = 1;
  complete_load(app);
}

// An entry of the library made in memory (no file behind it), appended in list order.
inline WAV_LIBRARY_ENTRY* add_entry(APP_STATE_INFO& app, const std::string& name, uint16_t channels,
                                    uint16_t bits = 24) {
  WAV_LIBRARY_ENTRY& entry = app.library.entries.emplace_back();
  entry.info.channels = channels;
  entry.info.bits_per_sample = bits;
  entry.sort_keys[0] = channels;  // the channel key; the others stay 0
  entry.sort_keys[1] = bits;
  entry.file_name = name;
  entry.file_path = "/audio/" + name;
  entry.library = &app.library;
  ++app.library.count;
  rebuild_wav_index(app.library, app.libraryView);
  return &entry;
}

// The analysis dialog of a load in tests: the whole analysis on the calling thread, a skipped
// check answered `keepAfterSkip`.
inline AnalysisDialog analysis_dialog(bool keepAfterSkip = true) {
  return [keepAfterSkip](APP_STATE_INFO& app) {
    platform::FileSource source(app.mxfHandle);
    platform::NullJobControl unwatched;
    const AnalysisRun run = run_analysis(app, app.mxfPath, source, unwatched);
    decide_analysis(app, run, [keepAfterSkip](const UserMessage&) { return keepAfterSkip; });
  };
}

}  // namespace tavrin::app::test
