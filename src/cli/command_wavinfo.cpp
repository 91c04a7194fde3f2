// mxf-tavrin-cli wavinfo MXF WAV... [--json] [--skip-check]
#include <cstdio>
#include <iterator>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/session.h"
#include "platform/paths.h"
#include "wav/wav_library.h"
#include "wav/wav_messages.h"

namespace tavrin::cli {

namespace {

constexpr const char* kColumnHeaders[] = {
    "ファイル名", "Ch",   "ビット", "サンプル", "開始TC +SF  *fract", "終了TC +SF  *fract",
    "長さ",       "作成日", "更新日時", "サイズ"};

void write_info_fields(JsonWriter& json, const WAV_FILE_INFO& i) {
  json.begin_object();
  json.field("format_tag", i.format_tag);
  json.field("channels", i.channels);
  json.field("sample_rate", i.sample_rate);
  json.field("avg_bytes_per_sec", i.avg_bytes_per_sec);
  json.field("block_align", i.block_align);
  json.field("bytes_per_sample", i.bytes_per_sample);
  json.field("bits_per_sample", i.bits_per_sample);
  json.field("data_size", i.data_size);
  json.field("data_offset", i.data_offset);
  json.field("start_sample", i.start_sample);
  json.field("end_sample", i.end_sample);
  json.field("start_frame", i.start_frame);
  json.field("end_frame", i.end_frame);
  json.field("duration_frames", i.duration_frames);
  json.field("start_subframe", i.start_subframe);
  json.field("end_subframe", i.end_subframe);
  json.field("start_remainder", i.start_remainder);
  json.field("end_remainder", i.end_remainder);
  json.field("is_bwf", i.is_bwf);
  json.field("starts_in_hour_23", i.starts_in_hour_23);
  json.field("data_available", i.data_available);
  json.end_object();
}

struct Added {
  std::string path;
  int32_t result = 0;
  std::string message;
  const WAV_LIBRARY_ENTRY* entry = nullptr;
};

}  // namespace

int run_wavinfo(int argc, char** argv) {
  ArgSpec accepted;
  accepted.flags = {"--json", "--skip-check", "--file-api"};
  Args args;
  std::string error;
  if (!parse_args(argc, argv, 2, accepted, &args, &error) || args.positional.size() < 2) {
    std::fprintf(stderr, "usage: mxf-tavrin-cli wavinfo MXF WAV... [--json] [--skip-check]\n%s\n",
                 error.c_str());
    return kExitUsage;
  }
  app::APP_STATE_INFO app;
  LoadedSession session;
  if (!load_file(app, args.positional[0], args.has("--file-api"), args.has("--skip-check"),
                 &session)) {
    return session.opened ? kExitRefused : kExitUsage;
  }

  std::vector<Added> added;
  for (size_t i = 1; i < args.positional.size(); ++i) {
    Added item;
    item.path = platform::absolute_path(args.positional[i]);
    item.result = add_wav_file(item.path, &app.library, &app.timecode());
    if (const auto message = add_message_for(item.result, item.path, WavAddOrigin::kOpenDialog)) {
      item.message = message->text;
    } else {
      item.entry = &app.library.entries.back();
    }
    added.push_back(item);
  }
  rebuild_wav_index(app.library, app.libraryView);

  bool anyRefused = false;
  if (args.has("--json")) {
    JsonWriter json;
    json.begin_object().key("entries").begin_array();
    for (const Added& item : added) {
      json.begin_object();
      json.field("file_path", item.entry ? item.entry->file_path : item.path);
      json.field("file_name", item.entry ? item.entry->file_name : platform::file_name(item.path));
      json.field("result", item.result);
      json.field("message", item.message);
      json.key("info");
      write_info_fields(json, item.entry ? item.entry->info : WAV_FILE_INFO{});
      json.key("texts").begin_array();
      if (item.entry) {
        for (const std::string& text : item.entry->texts) json.value(text);
      }
      json.end_array();
      json.end_object();
      anyRefused |= item.result != 0;
    }
    json.end_array().end_object();
    std::fputs(json.str().c_str(), stdout);
  } else {
    for (size_t c = 0; c < std::size(kColumnHeaders); ++c) {
      std::printf("%s%s", c ? "\t" : "", kColumnHeaders[c]);
    }
    std::printf("\n");
    for (const Added& item : added) {
      if (item.entry == nullptr) {
        std::fprintf(stderr, "[%s] %s\n", std::string(kWavAddCaption).c_str(),
                     item.message.c_str());
        anyRefused = true;
        continue;
      }
      for (size_t c = 0; c < item.entry->texts.size(); ++c) {
        std::printf("%s%s", c ? "\t" : "", item.entry->texts[c].c_str());
      }
      std::printf("\n");
    }
  }
  return anyRefused ? kExitRefused : kExitOk;
}

}  // namespace tavrin::cli
