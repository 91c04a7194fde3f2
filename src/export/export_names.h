// The names of the exported track files.
#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// "<folder>/<prefix><trackNumber>.wav"; when a file of that name exists, the counter suffix
// " <counter>.wav" is appended to the whole name ("AUD1.wav 3.wav"), and that second name is taken
// whether it exists or not. The name is built in full: neither the name nor the counter text is
// cut, so a name the file system cannot take fails when the file is created.
std::string export_track_path(const std::string& folder, const std::string& prefix,
                              uint32_t trackNumber, uint32_t counter);

}  // namespace tavrin
