// The undo journal's options, shared by wrap, undo and info: where the journal lives
// (--journal-dir) and the one line that tells what journal a file has.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "wrap/undo_restore.h"

namespace tavrin::cli {

// --journal-dir DIR: the folder of the journal instead of the MXF file's own (an existing folder).
CLI::Option* add_journal_dir(CLI::App& command, std::string* folder);

// "interrupted wrap of N frames", "completed wrap of N frames" ... with the journal's path; empty
// when there is no journal.
std::string journal_line(const JournalFound& journal);

}  // namespace tavrin::cli
