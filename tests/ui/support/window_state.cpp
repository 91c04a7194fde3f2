#include "support/window_state.h"

#include <cstdlib>

#include "wav/wav_entry_texts.h"

namespace tavrin::test {

void fake_loaded_file(app::APP_STATE_INFO& app, uint32_t tracks, const std::string& path) {
  app.mxfPath = path;
  app.mxfLoaded = 1;
  app.analysisOk = 1;
  app.audio().trackCount = tracks;
  app.audio().quantizationBits = 24;
  app.audio().sampleRate = 48000;
  MXF_TIMECODE_INFO& tc = app.timecode();
  tc.fpsCode = 1;
  tc.rateCode = 1;
  tc.dropFrame = 0;
  tc.startFrame = 10 * 3600 * 25;
  tc.endFrame = tc.startFrame + 1499;
  app.tracks.trackSwitch.fill(kTrackAbsent);
  for (size_t t = 0; t < app.existing_tracks(); ++t) app.tracks.trackSwitch[t] = kTrackOff;
  app.selectedTrack.fill(0);
  app.selectedTrack[0] = 1;
  app.currentTrack = 0;
}

WAV_LIBRARY_ENTRY& fake_library_entry(app::APP_STATE_INFO& app, const std::string& name,
                                      uint16_t channels) {
  WAV_LIBRARY_ENTRY& entry = app.library.entries.emplace_back();
  entry.file_name = name;
  entry.file_path = "/media/audio/" + name;
  entry.info.channels = channels;
  entry.info.bits_per_sample = 24;
  entry.info.sample_rate = 48000;
  entry.info.start_frame = app.timecode().startFrame;
  entry.info.end_frame = app.timecode().startFrame + 100;
  entry.library = &app.library;
  fill_wav_entry_texts(entry, app.timecode());
  entry.texts[kTextName] = name;
  entry.index = app.library.count++;
  app.libraryView.push_back(&entry);
  return entry;
}

void fake_assign(app::APP_STATE_INFO& app, WAV_LIBRARY_ENTRY& entry, size_t track,
                 uint8_t trackSwitch) {
  app.tracks.wavEntry[track] = &entry;
  app.tracks.trackSwitch[track] = trackSwitch;
  if (entry.info.channels == 2 && track + 1 < kTrackSlots) {
    app.tracks.wavEntry[track + 1] = &entry;
    app.tracks.trackSwitch[track + 1] = trackSwitch;
    app.stereoTrack[track] = 1;
    app.stereoTrack[track + 1] = 1;
  }
  entry.assigned = 1;
}

bool has_colour(const QImage& image, const QRect& area, const QColor& colour, int tolerance) {
  const QRect inside = area.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (std::abs(pixel.red() - colour.red()) <= tolerance &&
          std::abs(pixel.green() - colour.green()) <= tolerance &&
          std::abs(pixel.blue() - colour.blue()) <= tolerance) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace tavrin::test
