#include "cli/journal_options.h"

#include "app/undo.h"
#include "platform/text.h"

namespace tavrin::cli {

CLI::Option* add_journal_dir(CLI::App& command, std::string* folder) {
  return command
      .add_option("--journal-dir", *folder,
                  "folder of the undo journal (default: beside the MXF file)")
      ->type_name("DIR")
      ->check(CLI::ExistingDirectory);
}

std::string journal_line(const JournalFound& journal) {
  const char* path = journal.path.c_str();
  const uint32_t written = journal.closing.framesWritten;
  switch (journal.state) {
    case JournalState::kNone:
      return {};
    case JournalState::kInterrupted:
      return app::interrupted_wrap_line(journal) + " (journal " + journal.path + ")";
    case JournalState::kCompleted:
      return platform::format("completed wrap of %u frames can be undone (journal %s)", written,
                              path);
    case JournalState::kCancelled:
      return platform::format("cancelled wrap, %u frames written, can be undone (journal %s)",
                              written, path);
    case JournalState::kFailed:
      return platform::format("failed wrap, %u frames written, can be undone (journal %s)", written,
                              path);
    case JournalState::kUnreadable:
      return platform::format("unreadable undo journal %s", path);
  }
  return {};
}

}  // namespace tavrin::cli
