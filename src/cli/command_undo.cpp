// mxf-tavrin-cli undo FILE [--journal-dir DIR]
#include <cstdio>
#include <memory>

#include "app/undo.h"
#include "cli/commands.h"
#include "cli/journal_options.h"
#include "cli/options.h"
#include "cli/session.h"
#include "platform/paths.h"

namespace tavrin::cli {

namespace {

struct UndoOptions {
  std::string path;
  std::string journalDir;
};

int run_undo(const UndoOptions& o) {
  const app::UndoOutcome outcome = app::undo_file(platform::absolute_path(o.path), o.journalDir);
  std::printf("%s\n", outcome.message.text.c_str());
  return outcome.restored ? kExitOk : kExitRefused;
}

}  // namespace

Command add_undo(CLI::App& program) {
  auto o = std::make_shared<UndoOptions>();
  CLI::App* command = program.add_subcommand(
      "undo", "take the last wrap of a file back from its undo journal, byte for byte");
  add_mxf_file(*command, &o->path);
  add_journal_dir(*command, &o->journalDir);
  command->footer(
      "Nothing is written unless the journal belongs to this file as the wrap left it and every\n"
      "record is intact. The journal is removed after the restore.");
  return {command, [o] { return run_undo(*o); }};
}

}  // namespace tavrin::cli
