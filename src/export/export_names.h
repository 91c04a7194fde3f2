// The names of the exported track files. An export never replaces a file: when the plain name
// "<prefix><track>.wav" is taken, the counter suffix " <counter>.wav" is appended to the whole name
// ("AUD1.wav 3.wav"), and the counter is raised until a name is free.
#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// The candidate name of attempt `attempt`: attempt 0 is "<folder>/<prefix><trackNumber>.wav",
// attempt k >= 1 that name with " <counter + k - 1>.wav" appended. The name is built in full:
// neither the name nor the counter text is cut, so a name the file system cannot take fails when
// the file is created. Empty when the counter would pass UINT32_MAX.
std::string export_track_candidate(const std::string& folder, const std::string& prefix,
                                   uint32_t trackNumber, uint32_t counter, uint32_t attempt);

// The first candidate that no directory entry holds now (a link that leads nowhere holds its
// name too). The export itself creates its files exclusively and moves on to the next candidate
// when another program took the name in between.
std::string export_track_path(const std::string& folder, const std::string& prefix,
                              uint32_t trackNumber, uint32_t counter);

}  // namespace tavrin
