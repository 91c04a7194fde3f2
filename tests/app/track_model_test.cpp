// The rules of the track model: which files go on which tracks, how the switches and the
// selection of the track view change, and what unload leaves behind.
#include <gtest/gtest.h>

#include "app/list_selection.h"
#include "app/mxf_loading.h"
#include "app/track_assignment.h"
#include "app/track_selection.h"
#include "app/track_switches.h"
#include "app_test_support.h"

namespace tavrin::app {
namespace {

using test::add_entry;
using test::load_without_file;

// Track numbers as the operator sees them (1-based) to slot indices.
constexpr size_t track(int number) {
  return static_cast<size_t>(number - 1);
}

TEST(TrackAssignment, MonoOnTheSecondHalfOfAStereoPairTakesThePairOff) {
  APP_STATE_INFO app;
  load_without_file(app, 8);
  WAV_LIBRARY_ENTRY* stereo = add_entry(app, "st.wav", 2);
  WAV_LIBRARY_ENTRY* mono = add_entry(app, "mo.wav", 1);

  ASSERT_FALSE(assign_file(app, stereo, track(3)));
  EXPECT_EQ(app.tracks.wavEntry[track(3)], stereo);
  EXPECT_EQ(app.tracks.wavEntry[track(4)], stereo);
  EXPECT_EQ(app.stereoTrack[track(3)], 1);
  EXPECT_EQ(app.stereoTrack[track(4)], 1);
  EXPECT_EQ(stereo->assigned, 1);

  ASSERT_FALSE(assign_file(app, mono, track(4)));
  EXPECT_EQ(app.tracks.wavEntry[track(3)], nullptr);
  EXPECT_EQ(app.tracks.wavEntry[track(4)], mono);
  EXPECT_EQ(app.stereoTrack[track(3)], 0);
  EXPECT_EQ(app.stereoTrack[track(4)], 0);
  EXPECT_EQ(stereo->assigned, 0);
  EXPECT_EQ(mono->assigned, 1);
}

TEST(TrackAssignment, RefusalsChangeNoTrackButLeaveTheList) {
  APP_STATE_INFO app;
  load_without_file(app, 5, 16);
  WAV_LIBRARY_ENTRY* stereo = add_entry(app, "st.wav", 2, 16);
  WAV_LIBRARY_ENTRY* mono24 = add_entry(app, "m24.wav", 1, 24);
  const auto refused = [&](WAV_LIBRARY_ENTRY* entry, int number, const char* text) {
    SCOPED_TRACE(entry->file_name + " on track " + std::to_string(number));
    const auto before = app.tracks.wavEntry;
    app.libraryShown = 1;
    const auto refusal = assign_file(app, entry, track(number));
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->text.find(text), std::string::npos);
    EXPECT_EQ(refusal->caption, "トラックへのアサイン");
    EXPECT_EQ(refusal->icon, MessageIcon::kWarning);
    EXPECT_EQ(app.tracks.wavEntry, before);
    EXPECT_EQ(app.libraryShown, 0);
  };
  refused(stereo, 2, "ステレオファイルを、偶数トラックに割当てることはできません。");
  refused(stereo, 4, "偶数トラック");
  // Track 5 of 5: the second channel would go to a track that does not exist.
  refused(stereo, 5, "最後のトラック");
  refused(mono24, 1, "24bit");
  EXPECT_EQ(app.tracks.wavEntry[5], nullptr);

  EXPECT_FALSE(assign_file(app, stereo, track(1)));
  EXPECT_EQ(app.tracks.wavEntry[track(2)], stereo);

  // A 16-bit file on 24-bit audio is widened by the engines: accepted.
  APP_STATE_INFO wide;
  load_without_file(wide, 2, 24);
  WAV_LIBRARY_ENTRY* mono16 = add_entry(wide, "m16.wav", 1, 16);
  EXPECT_FALSE(assign_file(wide, mono16, track(2)));
  EXPECT_EQ(wide.tracks.wavEntry[track(2)], mono16);
}

TEST(TrackAssignment, StereoCopiesTheSwitchOfItsFirstTrackAndMonoKeepsTheTargetSwitch) {
  APP_STATE_INFO app;
  load_without_file(app, 4);
  WAV_LIBRARY_ENTRY* stereo = add_entry(app, "st.wav", 2);
  WAV_LIBRARY_ENTRY* mono = add_entry(app, "mo.wav", 1);
  app.tracks.trackSwitch[track(1)] = kTrackOn;
  ASSERT_FALSE(assign_file(app, stereo, track(1)));
  EXPECT_EQ(app.tracks.trackSwitch[track(2)], kTrackOn);
  ASSERT_FALSE(assign_file(app, mono, track(3)));
  EXPECT_EQ(app.tracks.trackSwitch[track(3)], kTrackOff);
}

TEST(TrackAssignment, TheAssignedFlagHoldsWhileAnyTrackHoldsTheFile) {
  APP_STATE_INFO app;
  load_without_file(app, 8);
  WAV_LIBRARY_ENTRY* mono = add_entry(app, "mo.wav", 1);
  ASSERT_FALSE(assign_file(app, mono, track(1)));
  ASSERT_FALSE(assign_file(app, mono, track(5)));
  app.selectedTrack.fill(0);
  app.selectedTrack[track(1)] = 1;
  unassign_selected_tracks(app);
  EXPECT_EQ(app.tracks.wavEntry[track(1)], nullptr);
  EXPECT_EQ(mono->assigned, 1);
  app.selectedTrack[track(5)] = 1;
  unassign_selected_tracks(app);
  EXPECT_EQ(mono->assigned, 0);
}

TEST(TrackAssignment, UnassigningEitherHalfOfAStereoPairTakesBothOff) {
  for (const int selected : {3, 4}) {
    SCOPED_TRACE("track " + std::to_string(selected) + " selected");
    APP_STATE_INFO app;
    load_without_file(app, 8);
    WAV_LIBRARY_ENTRY* stereo = add_entry(app, "st.wav", 2);
    WAV_LIBRARY_ENTRY* mono = add_entry(app, "mo.wav", 1);
    ASSERT_FALSE(assign_file(app, stereo, track(3)));
    ASSERT_FALSE(assign_file(app, mono, track(5)));
    app.tracks.trackSwitch[track(3)] = kTrackOn;
    app.tracks.trackSwitch[track(4)] = kTrackOn;
    app.currentTrack = static_cast<int32_t>(track(4));
    app.selectedTrack.fill(0);
    app.selectedTrack[track(selected)] = 1;
    app.selectedTrack[track(4)] = 1;

    unassign_selected_tracks(app);
    EXPECT_EQ(app.tracks.wavEntry[track(3)], nullptr);
    EXPECT_EQ(app.tracks.wavEntry[track(4)], nullptr);
    EXPECT_EQ(app.stereoTrack[track(3)], 0);
    EXPECT_EQ(app.stereoTrack[track(4)], 0);
    EXPECT_EQ(stereo->assigned, 0);
    EXPECT_EQ(app.tracks.wavEntry[track(5)], mono);  // not selected
    // Only the current track stays selected; the switches are not touched.
    EXPECT_EQ(app.selectedTrack[track(3)], 0);
    EXPECT_EQ(app.selectedTrack[track(4)], 1);
    EXPECT_EQ(app.tracks.trackSwitch[track(3)], kTrackOn);
  }
}

TEST(TrackAssignment, TheAssignCommandTakesTheOneSelectedFileAndADoubleClickItsRow) {
  APP_STATE_INFO app;
  load_without_file(app, 4);
  WAV_LIBRARY_ENTRY* first = add_entry(app, "a.wav", 1);
  WAV_LIBRARY_ENTRY* second = add_entry(app, "b.wav", 1);
  app.currentTrack = 0;

  // Ctrl+click moved the focus to row 0 and left row 1 alone selected.
  apply_list_selection(app, {1}, 0);
  app.libraryShown = 1;
  EXPECT_FALSE(assign_focused_file(app));
  EXPECT_EQ(app.tracks.wavEntry[0], second);
  EXPECT_EQ(first->assigned, 0);
  EXPECT_EQ(app.libraryShown, 0);

  // A focused row that is not selected is never assigned; nor is anything with two selected.
  app.tracks.wavEntry[0] = nullptr;
  second->assigned = 0;
  apply_list_selection(app, {}, 0);
  assign_focused_file(app);
  apply_list_selection(app, {0, 1}, 0);
  assign_focused_file(app);
  EXPECT_EQ(app.tracks.wavEntry[0], nullptr);

  // A double click assigns the row clicked, whatever else is selected.
  app.libraryShown = 1;
  EXPECT_FALSE(assign_library_row(app, 0));
  EXPECT_EQ(app.tracks.wavEntry[0], first);
  EXPECT_EQ(app.libraryShown, 0);
  app.libraryShown = 1;
  EXPECT_FALSE(assign_library_row(app, 7));  // no such row: only the list goes
  EXPECT_EQ(app.tracks.wavEntry[0], first);
  EXPECT_EQ(app.libraryShown, 0);
}

TEST(TrackSwitches, SelectedTracksAllTakeTheOppositeOfTheCurrentTrack) {
  APP_STATE_INFO app;
  load_without_file(app, 8);
  app.tracks.trackSwitch[track(1)] = kTrackOn;
  app.tracks.trackSwitch[track(2)] = kTrackOff;
  app.tracks.trackSwitch[track(3)] = kTrackOn;
  app.currentTrack = 0;
  app.selectedTrack.fill(0);
  for (const int n : {1, 2, 3}) app.selectedTrack[track(n)] = 1;
  toggle_selected_switches(app);
  for (const int n : {1, 2, 3}) EXPECT_EQ(app.tracks.trackSwitch[track(n)], kTrackOff) << n;

  // A stereo pair, one half selected, ends like the selected half; unselected tracks stay.
  WAV_LIBRARY_ENTRY* stereo = add_entry(app, "st.wav", 2);
  ASSERT_FALSE(assign_file(app, stereo, track(5)));
  app.tracks.trackSwitch[track(7)] = kTrackOn;
  app.selectedTrack[track(6)] = 1;
  toggle_selected_switches(app);
  for (const int n : {1, 2, 3, 5, 6}) EXPECT_EQ(app.tracks.trackSwitch[track(n)], kTrackOn) << n;
  EXPECT_EQ(app.tracks.trackSwitch[track(4)], kTrackOff);
  EXPECT_EQ(app.tracks.trackSwitch[track(7)], kTrackOn);
}

TEST(TrackSwitches, AllSwitchesFollowTrackOneAndStereoHalvesFollowEachOther) {
  APP_STATE_INFO app;
  load_without_file(app, 6);
  app.tracks.trackSwitch[track(3)] = kTrackOn;
  toggle_all_switches(app);  // track 1 OFF: all ON, whatever the others were
  for (int n = 1; n <= 6; ++n) EXPECT_EQ(app.tracks.trackSwitch[track(n)], kTrackOn) << n;
  EXPECT_EQ(app.tracks.trackSwitch[track(7)], kTrackAbsent);
  app.tracks.trackSwitch[track(4)] = kTrackOff;
  toggle_all_switches(app);
  for (int n = 1; n <= 6; ++n) EXPECT_EQ(app.tracks.trackSwitch[track(n)], kTrackOff) << n;

  WAV_LIBRARY_ENTRY* stereo = add_entry(app, "st.wav", 2);
  ASSERT_FALSE(assign_file(app, stereo, track(3)));
  toggle_track_switch(app, static_cast<int32_t>(track(4)));
  EXPECT_EQ(app.tracks.trackSwitch[track(3)], kTrackOn);
  EXPECT_EQ(app.tracks.trackSwitch[track(4)], kTrackOn);
  toggle_track_switch(app, static_cast<int32_t>(track(1)));
  EXPECT_EQ(app.tracks.trackSwitch[track(1)], kTrackOn);
  EXPECT_EQ(app.tracks.trackSwitch[track(2)], kTrackOff);
  toggle_track_switch(app, static_cast<int32_t>(track(8)));  // no such track
  EXPECT_EQ(app.tracks.trackSwitch[track(8)], kTrackAbsent);
}

std::string selection(const APP_STATE_INFO& app) {
  std::string s;
  for (size_t t = 0; t < app.existing_tracks(); ++t) s += app.selectedTrack[t] ? 'x' : '.';
  return s;
}

TEST(TrackSelection, ShiftSelectsTowardsTheCurrentTrackInBothDirections) {
  APP_STATE_INFO app;
  load_without_file(app, 8);
  click_track(app, 2, ClickModifier::kNone);
  click_track(app, 5, ClickModifier::kShift);  // after: current .. clicked
  EXPECT_EQ(selection(app), "..xxxx..");
  EXPECT_EQ(app.currentTrack, 5);
  click_track(app, 7, ClickModifier::kNone);
  click_track(app, 4, ClickModifier::kShift);  // before: clicked .. current - 1
  EXPECT_EQ(selection(app), "....xxxx");
  EXPECT_EQ(app.currentTrack, 4);
  click_track(app, 0, ClickModifier::kShift);  // earlier selections stay
  EXPECT_EQ(selection(app), "xxxxxxxx");
  EXPECT_EQ(app.currentTrack, 0);
}

TEST(TrackSelection, CtrlFlipsOtherTracksButNeverTheCurrentOne) {
  APP_STATE_INFO app;
  load_without_file(app, 4);
  click_track(app, 1, ClickModifier::kCtrl);
  EXPECT_EQ(selection(app), "xx..");
  click_track(app, 0, ClickModifier::kCtrl);  // the current track
  EXPECT_EQ(selection(app), "xx..");
  EXPECT_EQ(app.currentTrack, 0);
  click_track(app, 1, ClickModifier::kCtrl);
  EXPECT_EQ(selection(app), "x...");
  click_track(app, 9, ClickModifier::kNone);  // no such track
  EXPECT_EQ(selection(app), "x...");
  select_all_tracks(app);
  EXPECT_EQ(selection(app), "xxxx");
  EXPECT_EQ(app.selectedTrack[4], 0);
}

TEST(TrackSelection, MovingTheCursorStopsAtBothEndsAndKeepsItInView) {
  APP_STATE_INFO app;
  load_without_file(app, 6);
  app.visibleRows = 3;
  select_all_tracks(app);
  move_current(app, MoveDirection::kUp);  // at the first track: nothing changes
  EXPECT_EQ(app.currentTrack, 0);
  EXPECT_EQ(selection(app), "xxxxxx");
  for (int i = 0; i < 3; ++i) move_current(app, MoveDirection::kDown);
  EXPECT_EQ(app.currentTrack, 3);
  EXPECT_EQ(selection(app), "...x..");
  EXPECT_EQ(app.firstVisibleTrack, 1);
  for (int i = 0; i < 2; ++i) move_current(app, MoveDirection::kDown);
  click_track(app, 1, ClickModifier::kCtrl);
  move_current(app, MoveDirection::kDown);  // at the last track: nothing changes
  EXPECT_EQ(app.currentTrack, 5);
  EXPECT_EQ(selection(app), ".x...x");
  for (int i = 0; i < 5; ++i) move_current(app, MoveDirection::kUp);
  EXPECT_EQ(app.firstVisibleTrack, 0);
}

TEST(WorkingSet, AFileOfTwentySixTracksIsWorkedAsTwentyFour) {
  APP_STATE_INFO app;
  load_without_file(app, 26);
  WAV_LIBRARY_ENTRY* stereo = add_entry(app, "st.wav", 2);
  ASSERT_EQ(app.existing_tracks(), 24u);
  for (size_t t = 0; t < kTrackSlots; ++t) EXPECT_EQ(app.tracks.trackSwitch[t], kTrackOff);
  toggle_all_switches(app);
  select_all_tracks(app);
  EXPECT_EQ(selection(app), std::string(24, 'x'));
  EXPECT_FALSE(assign_file(app, stereo, track(23)));  // tracks 23 and 24
  EXPECT_TRUE(assign_file(app, stereo, track(24)));
  click_track(app, 24, ClickModifier::kNone);  // track 25 is not shown
  EXPECT_EQ(app.currentTrack, 0);
  app.currentTrack = 23;
  move_current(app, MoveDirection::kDown);
  EXPECT_EQ(app.currentTrack, 23);
  toggle_track_switch(app, 25);
  toggle_selected_switches(app);
  unassign_selected_tracks(app);
  EXPECT_EQ(stereo->assigned, 0);
  // The record beside the slots is untouched.
  EXPECT_EQ(app.tracks.wavBufferIndex, 4u);
  EXPECT_EQ(app.tracks.exportCounter, 0u);
}

TEST(WorkingSet, WrappingNeedsASwitchOnAndTheBackupAnswered) {
  APP_STATE_INFO app;
  load_without_file(app, 4);
  int asked = 0;
  const auto yes = [&asked](const UserMessage& question) {
    ++asked;
    EXPECT_TRUE(question.yesNo);
    EXPECT_EQ(question.caption, "MXF Tavrin");
    return true;
  };
  WrapCheck check = check_wrap(app, yes);
  EXPECT_FALSE(check.start);
  EXPECT_EQ(asked, 0);
  ASSERT_EQ(check.messages.size(), 1u);
  EXPECT_EQ(check.messages[0].text, "トラックスイッチが全てOFFになっています。");
  EXPECT_EQ(app.jobKind, jobs::JobKind::kWrapping);

  toggle_track_switch(app, 3);
  check = check_wrap(app, yes);
  EXPECT_TRUE(check.start);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(check.messages.empty());  // the question is asked, not shown again
  check = check_wrap(app, [](const UserMessage&) { return false; });
  EXPECT_FALSE(check.start);

  prepare_export(app);
  EXPECT_EQ(app.jobKind, jobs::JobKind::kExport);
}

TEST(WorkingSet, UnloadLeavesTheEmptyState) {
  APP_STATE_INFO app;
  load_without_file(app, 8);
  WAV_LIBRARY_ENTRY* stereo = add_entry(app, "st.wav", 2);
  ASSERT_FALSE(assign_file(app, stereo, track(1)));
  app.tracks.trackSwitch[track(1)] = kTrackOn;
  app.tracks.exportMark[track(3)] = 1;
  click_track(app, 4, ClickModifier::kNone);
  click_track(app, 6, ClickModifier::kCtrl);
  apply_list_selection(app, {0}, 0);
  app.inSet = app.outSet = app.exportInSet = app.exportOutSet = 1;
  app.inFrames = {5, 5};
  app.tracks.inFrame = app.tracks.outFrame = app.tracks.exportIn = app.tracks.exportOut = {5, 5};
  app.libraryShown = 1;
  app.firstVisibleTrack = 3;

  unload(app);
  for (size_t t = 0; t < kTrackSlots; ++t) {
    EXPECT_EQ(app.tracks.trackSwitch[t], kTrackAbsent) << t;
    EXPECT_EQ(app.tracks.exportMark[t], kTrackAbsent) << t;
    EXPECT_EQ(app.tracks.wavEntry[t], nullptr) << t;
    EXPECT_EQ(app.stereoTrack[t], 0) << t;
    EXPECT_EQ(app.selectedTrack[t], t == 0 ? 1 : 0) << t;
  }
  EXPECT_EQ(app.mxfLoaded, 0);
  EXPECT_TRUE(app.mxfPath.empty());
  EXPECT_EQ(app.library.count, 0);
  EXPECT_TRUE(app.libraryView.empty());
  EXPECT_EQ(app.libraryShown, 0);
  EXPECT_EQ(app.currentTrack, 0);
  EXPECT_EQ(app.firstVisibleTrack, 0);
  EXPECT_EQ(app.inSet + app.outSet + app.exportInSet + app.exportOutSet, 0);
  const std::array<uint32_t, 2> zero{};
  EXPECT_EQ(app.inFrames, zero);
  EXPECT_EQ(app.tracks.inFrame, zero);
  EXPECT_EQ(app.tracks.outFrame, zero);
  EXPECT_EQ(app.tracks.exportIn, zero);
  EXPECT_EQ(app.tracks.exportOut, zero);
  EXPECT_EQ(app.existing_tracks(), 0u);
  const StatusTexts texts = status_texts(app);
  EXPECT_EQ(texts.path, "パス情報はありません。");
  EXPECT_EQ(texts.files, "WAV/BWFファイル :  0個    0個を選択中");
}

}  // namespace
}  // namespace tavrin::app
