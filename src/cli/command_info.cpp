// mxf-tavrin-cli info FILE [--json] [--block] [--file-api]
#include <cstdio>

#include "app/info_panel.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/records_json.h"
#include "cli/session.h"
#include "jobs/messages.h"
#include "jobs/mxf_info_block.h"
#include "platform/local_time.h"
#include "platform/paths.h"

namespace tavrin::cli {

namespace {

void write_info_json(const app::APP_STATE_INFO& app, const LoadedSession& session,
                     const std::string& path) {
  const MXF_BASE_INFO& base = app.mxf();
  const int section = base.sectionCode.load();
  const int code = session.code();
  JsonWriter json;
  json.begin_object();
  json.key("file").begin_object();
  json.field("path", platform::absolute_path(path));
  json.field("name", platform::file_name(path));
  json.field("fileSize", base.fileSize);
  json.end_object();

  json.key("result").begin_object();
  json.field("ok", session.succeeded());
  json.field("sectionCode", section);
  json.field("section", jobs::section_name(section));
  json.field("code", code);
  json.field("message", code == 0 || code == 99
                            ? std::string()
                            : jobs::analysis_message(section, code, base.timecode));
  json.field("text", session.run.final.text);
  json.end_object();

  json.key("base");
  write_base_json(json, base);
  json.key("partitions");
  write_partitions_json(json, app.records.partitionSlot);
  if (section >= 400) {
    json.key("timecode");
    write_timecode_json(json, app.timecode());
  }
  if (section >= 600 && !app.records.indexEntrySlot.empty()) {
    json.key("index");
    write_index_json(json, app.timecode(), app.records.indexEntrySlot);
  }
  if (app.records.layout.checked) {
    json.key("layout");
    write_layout_json(json, app.records.layout);
  }
  if (section >= 700) {
    json.key("audio");
    write_audio_json(json, app.audio());
  }
  if (section >= 800) {
    json.key("video");
    write_video_json(json, app.records.video);
  }
  if (section >= 1000) {
    json.key("timecodeErrors");
    write_timecode_errors_json(json, app.errorList);
  }
  json.end_object();
  std::fputs(json.str().c_str(), stdout);
}

void write_info_text(const app::APP_STATE_INFO& app, const LoadedSession& session) {
  std::printf("%s\n", analysis_text(session).c_str());
  const bool analysed = app.mxf().sectionCode.load() >= 800;
  for (const app::PanelFact& fact : app::information_panel(analysed ? &app.mxf() : nullptr)) {
    std::printf("%s: %s\n", fact.caption.c_str(), fact.value.c_str());
  }
}

}  // namespace

int run_info(int argc, char** argv) {
  ArgSpec accepted;
  accepted.flags = {"--json", "--block", "--file-api"};
  Args args;
  std::string error;
  if (!parse_args(argc, argv, 2, accepted, &args, &error) || args.positional.size() != 1) {
    std::fprintf(stderr, "usage: mxf-tavrin-cli info FILE [--json] [--block] [--file-api]\n%s\n",
                 error.c_str());
    return kExitUsage;
  }
  const std::string& path = args.positional[0];
  app::APP_STATE_INFO app;
  const LoadedSession session = analyse_file(app, path, args.has("--file-api"), false, false);
  if (!session.opened) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), session.openError.c_str());
    return kExitUsage;
  }
  if (args.has("--block")) {
    std::fputs(jobs::mxf_info_block(app.mxfPath, app.mxf(), platform::local_time_now()).c_str(),
               stdout);
  } else if (args.has("--json")) {
    write_info_json(app, session, path);
  } else {
    write_info_text(app, session);
  }
  if (session.succeeded()) return kExitOk;
  if (session.code() == 1009) return kExitBreaks;
  if (session.code() == 99) return kExitCancelled;
  return kExitRefused;
}

}  // namespace tavrin::cli
