#include "app/command_state.h"

namespace tavrin::app {

namespace {

// The facts the enabled states are made of.
struct Facts {
  bool loaded;       // L
  bool listShown;    // S
  bool hasFiles;     // N
  bool in;           // I
  bool out;          // O
  bool oneSelected;  // exactly one library file selected
  bool tracks;       // the loaded file has at least one track
  bool idle;         // no background job runs
  bool undo;         // the last wrap of the loaded file completed and can be taken back
  bool journal;      // a journal of the loaded file was found when last looked at
};

Facts facts_of(const APP_STATE_INFO& app) {
  return Facts{
      app.mxfLoaded != 0,   app.libraryShown != 0,  app.library.count > 0,     app.inSet != 0,
      app.outSet != 0,      app.selectedCount == 1, app.existing_tracks() > 0, !app.jobRunning,
      app.undoOffered != 0, app.journalKept != 0};
}

bool enabled(const Facts& f, int32_t id) {
  switch (id) {
    case kCmdLoadMxf:
      return !f.loaded;
    case kCmdUnloadMxf:
    case kCmdAddWav:
    case kCmdExport:
    case kCmdToggleLibrary:
    case kCmdOpenMxfFolder:
      return f.loaded;
    case kCmdWrap:
      return f.loaded && f.in && f.out;
    case kCmdExit:
    case kCmdSettings:
    case kCmdAbout:
      return true;
    // The track view needs a file; the list also needs files in it.
    case kCmdSelectAll:
    case kCmdDelete:
      return f.loaded && (!f.listShown || f.hasFiles);
    case kCmdToggleAllSwitches:
    case kCmdToggleSelectedSwitches:
      return f.loaded && !f.listShown;
    case kCmdAssign:
      return f.listShown && f.loaded && f.hasFiles && f.oneSelected;
    case kCmdSortName:
    case kCmdSortChannels:
    case kCmdSortBits:
    case kCmdSortSampleRate:
    case kCmdSortStart:
    case kCmdSortEnd:
    case kCmdSortDuration:
    case kCmdSortCreated:
    case kCmdSortUpdated:
    case kCmdSortSize:
      return f.listShown && f.loaded && f.hasFiles;
    case kCmdSetIn:
    case kCmdSetOut:
      return f.loaded && f.tracks;
    case kCmdLoudness:
      return f.loaded && f.tracks && f.idle;
    case kCmdWavLoudness:
      return f.listShown && f.loaded && f.hasFiles && f.oneSelected && f.idle;
    // The flag, not the journal on disk: the states are worked out after every change, and
    // reading the journal is left to the command itself, which says when it has gone.
    case kCmdUndo:
      return f.loaded && f.undo && f.idle;
    case kCmdDiscardJournal:
      return f.loaded && f.journal && f.idle;
    default:
      return false;
  }
}

bool button_enabled(const Facts& f, int32_t id) {
  switch (id) {
    case kButtonLoad:
      return !f.loaded;
    case kButtonWrap:
      return f.loaded && f.in && f.out;
    case kButtonLibrary:
    case kButtonExport:
    case kButtonIn:
    case kButtonOut:
    case kButtonDuration:
      return f.loaded;
    default:
      return false;
  }
}

}  // namespace

bool CommandStates::command(int32_t id) const {
  for (size_t i = 0; i < kCommands.size(); ++i) {
    if (kCommands[i].id == id) return commands[i];
  }
  return false;
}

bool CommandStates::button(int32_t id) const {
  for (size_t i = 0; i < kButtons.size(); ++i) {
    if (kButtons[i].id == id) return buttons[i];
  }
  return false;
}

CommandStates command_state(const APP_STATE_INFO& app) {
  const Facts f = facts_of(app);
  CommandStates states;
  for (size_t i = 0; i < kCommands.size(); ++i) states.commands[i] = enabled(f, kCommands[i].id);
  for (size_t i = 0; i < kButtons.size(); ++i)
    states.buttons[i] = button_enabled(f, kButtons[i].id);
  states.inLabelOpens = f.loaded && f.tracks;
  states.outLabelOpens = f.loaded && f.in && f.tracks;
  return states;
}

bool command_enabled(const APP_STATE_INFO& app, int32_t id) {
  return enabled(facts_of(app), id);
}

}  // namespace tavrin::app
