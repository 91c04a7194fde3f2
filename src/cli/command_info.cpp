// mxf-tavrin-cli info FILE [--json] [--block] [--file-api]
#include <cstdio>
#include <memory>

#include "app/info_panel.h"
#include "cli/commands.h"
#include "cli/journal_options.h"
#include "cli/options.h"
#include "cli/records_json.h"
#include "cli/session.h"
#include "platform/paths.h"

namespace tavrin::cli {

namespace {

struct InfoOptions {
  std::string path;
  bool json = false;
  bool block = false;
  bool fileApi = false;
  std::string journalDir;
};

void write_info_json(const app::APP_STATE_INFO& app, const LoadedSession& session,
                     const std::string& path, const JournalFound& journal) {
  const MXF_BASE_INFO& base = app.mxf();
  const int section = base.sectionCode.load();
  const int code = session.code();
  JsonValue json = {
      {"file",
       {
           {"path", platform::absolute_path(path)},
           {"name", platform::file_name(path)},
           {"fileSize", base.fileSize},
       }},
      {"result",
       {
           {"ok", session.succeeded()},
           {"sectionCode", section},
           {"section", std::string(app::analysis_section_name(section))},
           {"code", code},
           {"message", code == 0 || code == 99 ? std::string()
                                               : app::analysis_reason_text(app, section, code)},
           {"text", session.run.final.text},
       }},
      {"base", base},
      {"partitions", app.records.partitionSlot},
  };
  // Only the parts the analysis reached.
  if (section >= 400) json["timecode"] = app.timecode();
  if (section >= 600 && !app.records.indexEntrySlot.empty()) {
    json["index"] = index_json(app.timecode(), app.records.indexEntrySlot);
  }
  if (app.records.layout.checked) json["layout"] = app.records.layout;
  if (section >= 700) json["audio"] = app.audio();
  if (section >= 800) json["video"] = app.records.video;
  if (section >= 1000) json["timecodeErrors"] = app.errorList;
  if (journal.state != JournalState::kNone) {
    json["journal"] = {{"path", journal.path},
                       {"interrupted", journal.state == JournalState::kInterrupted},
                       {"text", journal_line(journal)}};
  }
  std::fputs(json_text(json).c_str(), stdout);
}

void write_info_text(const app::APP_STATE_INFO& app, const LoadedSession& session,
                     const JournalFound& journal) {
  std::printf("%s\n", analysis_text(session).c_str());
  if (journal.state != JournalState::kNone) std::printf("%s\n", journal_line(journal).c_str());
  const bool analysed = app.mxf().sectionCode.load() >= 800;
  for (const app::PanelFact& fact : app::information_panel(analysed ? &app.mxf() : nullptr)) {
    std::printf("%s: %s\n", fact.caption.c_str(), fact.value.c_str());
  }
}

int run_info(const InfoOptions& o) {
  app::APP_STATE_INFO app;
  const LoadedSession session = analyse_file(app, o.path, o.fileApi, false, false);
  if (!session.opened) {
    std::fprintf(stderr, "%s: %s\n", o.path.c_str(), session.openError.c_str());
    return kExitUsage;
  }
  const JournalFound journal = find_journal(platform::absolute_path(o.path), o.journalDir);
  if (journal.state == JournalState::kInterrupted && (o.json || o.block)) {
    std::fprintf(stderr, "%s\n", journal_line(journal).c_str());
  }
  if (o.block) {
    std::fputs(app::mxf_info_block_text(app).c_str(), stdout);
  } else if (o.json) {
    write_info_json(app, session, o.path, journal);
  } else {
    write_info_text(app, session, journal);
  }
  if (session.succeeded()) return kExitOk;
  if (session.code() == 1009) return kExitBreaks;
  if (session.code() == 99) return kExitCancelled;
  return kExitRefused;
}

}  // namespace

Command add_info(CLI::App& program) {
  auto o = std::make_shared<InfoOptions>();
  CLI::App* command =
      program.add_subcommand("info", "analyse an MXF file and show what the program found");
  add_mxf_file(*command, &o->path);
  command->add_flag("--json", o->json, "every record the analysis filled, as JSON");
  command->add_flag("--block", o->block, "the \"< MXF情報 >\" block of the logs");
  add_file_api(*command, &o->fileApi);
  add_journal_dir(*command, &o->journalDir);
  return {command, [o] { return run_info(*o); }};
}

}  // namespace tavrin::cli
