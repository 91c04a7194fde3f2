// mxf-tavrin-cli wavinfo MXF WAV... [--json] [--skip-check] [--file-api]
#include <cstdio>
#include <iterator>
#include <memory>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/records_json.h"
#include "cli/session.h"
#include "platform/paths.h"
#include "wav/wav_library.h"
#include "wav/wav_messages.h"

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

// One WAV file given on the command line: added to the library, or refused with its message.
struct Added {
  std::string path;
  int32_t result = 0;
  std::string message;
  const WAV_LIBRARY_ENTRY* entry = nullptr;
};

void to_json(JsonValue& json, const Added& item) {
  JsonValue texts = JsonValue::array();
  if (item.entry) {
    for (const std::string& text : item.entry->texts) texts.push_back(text);
  }
  json = {
      {"file_path", item.entry ? item.entry->file_path : item.path},
      {"file_name", item.entry ? item.entry->file_name : platform::file_name(item.path)},
      {"result", item.result},
      {"message", item.message},
      {"info", item.entry ? item.entry->info : WAV_FILE_INFO{}},
      {"texts", std::move(texts)},
  };
}

void write_texts(const std::vector<Added>& added) {
  for (size_t c = 0; c < std::size(kColumnHeaders); ++c) {
    std::printf("%s%s", c ? "\t" : "", kColumnHeaders[c]);
  }
  std::printf("\n");
  for (const Added& item : added) {
    if (item.entry == nullptr) {
      std::fprintf(stderr, "[%s] %s\n", std::string(kWavAddCaption).c_str(), item.message.c_str());
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

  std::vector<Added> added;
  bool anyRefused = false;
  for (const std::string& wav : o.wavs) {
    Added item;
    item.path = platform::absolute_path(wav);
    item.result = add_wav_file(item.path, &app.library, &app.timecode());
    if (const auto message = add_message_for(item.result, item.path, WavAddOrigin::kOpenDialog)) {
      item.message = message->text;
      anyRefused = true;
    } else {
      item.entry = &app.library.entries.back();
    }
    added.push_back(item);
  }
  rebuild_wav_index(app.library, app.libraryView);

  if (o.json) {
    std::fputs(json_text(JsonValue{{"entries", added}}).c_str(), stdout);
  } else {
    write_texts(added);
  }
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
