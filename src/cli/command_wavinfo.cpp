// mxf-tavrin-cli wavinfo MXF WAV... [--json] [--skip-check] [--file-api]
#include <cstdio>
#include <iterator>
#include <memory>

#include "app/library_files.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/records_json.h"
#include "cli/session.h"
#include "platform/paths.h"

namespace tavrin::cli {

namespace {

constexpr const char* kColumnHeaders[] = {
    "ファイル名",         "Ch",   "ビット", "サンプル", "開始TC +SF  *fract",
    "終了TC +SF  *fract", "長さ", "作成日", "更新日時", "サイズ"};

struct WavinfoOptions {
  std::string mxf;
  std::vector<std::string> wavs;
  bool json = false;
  bool skipCheck = false;
  bool fileApi = false;
};

// One WAV file given on the command line: its library entry, or its refusal with the message.
JsonValue added_file_json(const app::AddedFile& item) {
  JsonValue texts = JsonValue::array();
  if (item.entry) {
    for (const std::string& text : item.entry->texts) texts.push_back(text);
  }
  return {
      {"file_path", item.entry ? item.entry->file_path : item.path},
      {"file_name", item.entry ? item.entry->file_name : platform::file_name(item.path)},
      {"result", item.result},
      {"message", item.refusal ? item.refusal->text : std::string()},
      {"info", item.entry ? item.entry->info : WAV_FILE_INFO{}},
      {"texts", std::move(texts)},
  };
}

void write_texts(const std::vector<app::AddedFile>& added) {
  for (size_t c = 0; c < std::size(kColumnHeaders); ++c) {
    std::printf("%s%s", c ? "\t" : "", kColumnHeaders[c]);
  }
  std::printf("\n");
  for (const app::AddedFile& item : added) {
    if (item.entry == nullptr) {
      if (item.refusal) print_message(*item.refusal);
      continue;
    }
    for (size_t c = 0; c < item.entry->texts.size(); ++c) {
      std::printf("%s%s", c ? "\t" : "", item.entry->texts[c].c_str());
    }
    std::printf("\n");
  }
}

int run_wavinfo(const WavinfoOptions& o) {
  app::APP_STATE_INFO app;
  LoadedSession session;
  if (!load_file(app, o.mxf, o.fileApi, o.skipCheck, &session)) {
    return session.opened ? kExitRefused : kExitUsage;
  }

  std::vector<std::string> paths;
  for (const std::string& wav : o.wavs) paths.push_back(platform::absolute_path(wav));
  const app::LibraryAdd add = app::add_wav_files(app, paths);

  if (o.json) {
    JsonValue entries = JsonValue::array();
    for (const app::AddedFile& item : add.files) entries.push_back(added_file_json(item));
    std::fputs(json_text(JsonValue{{"entries", std::move(entries)}}).c_str(), stdout);
  } else {
    write_texts(add.files);
  }
  const bool anyRefused = add.added != static_cast<int32_t>(add.files.size());
  return anyRefused ? kExitRefused : kExitOk;
}

}  // namespace

Command add_wavinfo(CLI::App& program) {
  auto o = std::make_shared<WavinfoOptions>();
  CLI::App* command =
      program.add_subcommand("wavinfo", "place WAV/BWF files on the timecode grid of an MXF file");
  command->add_option("MXF", o->mxf, "the MXF file")->required();
  command->add_option("WAV", o->wavs, "the WAV/BWF files")->required();
  command->add_flag("--json", o->json, "the library entries as JSON");
  add_skip_check(*command, &o->skipCheck);
  add_file_api(*command, &o->fileApi);
  return {command, [o] { return run_wavinfo(*o); }};
}

}  // namespace tavrin::cli
