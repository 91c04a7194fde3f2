#include "app/background_job.h"

#include <memory>

#include "app/analysis_job.h"
#include "app/undo.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tavrin::app {

namespace {

jobs::JobRequest processing_request(APP_STATE_INFO& app, jobs::JobKind kind,
                                    platform::JobControl& control) {
  jobs::JobRequest request;
  request.jobKind = kind;
  request.mxfPath = app.mxfPath;
  request.mxf = &app.mxf();
  request.tracks = &app.tracks;
  request.useFileApi = app.useFileApi != 0;
  request.control = &control;
  request.journal = JournalPlacement{app.journalOff == 0, app.journalFolder};
  return request;
}

// Takes the present size and modification time of the loaded file as its stamp.
void restamp_loaded_file(APP_STATE_INFO& app) {
  platform::DirectoryRecord record;
  if (!app.loadedFile.known || !platform::stat_file(app.mxfPath, &record).ok()) return;
  app.loadedFile.size = record.size;
  app.loadedFile.lastWrite = record.lastWrite;
}

BackgroundJob start_processing(APP_STATE_INFO& app, jobs::JobKind kind,
                               platform::JobControl& control, jobs::JobObserver observer) {
  if (std::optional<UserMessage> refusal = check_loaded_file(app)) {
    return BackgroundJob(std::move(*refusal));
  }
  if (kind == jobs::JobKind::kWrapping) {
    if (std::optional<UserMessage> refusal = check_journal_before_wrap(app)) {
      return BackgroundJob(std::move(*refusal));
    }
    app.undoOffered = 0;  // the journal of the last wrap is about to be replaced
    mark_wrap_start(app);
  }
  app.jobKind = kind;
  const jobs::JobRequest request = processing_request(app, kind, control);
  const bool wrapping = kind == jobs::JobKind::kWrapping;
  return BackgroundJob(std::thread([request, wrapping, &app, observer = std::move(observer)] {
    jobs::run_job(request, [&](const jobs::JobMessage& message) {
      // Whatever the job wrote changed the file's times; the change is this program's own, so
      // it must not refuse the next job. Taken before the message, while nobody else looks.
      if (wrapping) restamp_loaded_file(app);
      if (observer) observer(message);
    });
  }));
}

}  // namespace

BackgroundJob& BackgroundJob::operator=(BackgroundJob&& other) noexcept {
  if (this != &other) {
    join();
    worker_ = std::move(other.worker_);
    refusal_ = std::move(other.refusal_);
  }
  return *this;
}

BackgroundJob::~BackgroundJob() {
  join();
}

void BackgroundJob::join() {
  if (worker_.joinable()) worker_.join();
}

BackgroundJob start_analysis(APP_STATE_INFO& app, const std::string& path,
                             const platform::ByteSource& file, platform::JobControl& control,
                             jobs::JobObserver observer) {
  prepare_analysis(app, path, file);
  const jobs::JobRequest request = analysis_request(app, path, file, control);
  return BackgroundJob(jobs::start_job(request, std::move(observer)));
}

BackgroundJob start_analysis(APP_STATE_INFO& app, platform::JobControl& control,
                             jobs::JobObserver observer) {
  // The source lives on the worker, for exactly as long as the job reads through it.
  auto source = std::make_shared<platform::FileSource>(app.mxfHandle);
  prepare_analysis(app, app.mxfPath, *source);
  const jobs::JobRequest request = analysis_request(app, app.mxfPath, *source, control);
  return BackgroundJob(std::thread(
      [request, source, observer = std::move(observer)] { jobs::run_job(request, observer); }));
}

BackgroundJob start_wrapping(APP_STATE_INFO& app, platform::JobControl& control,
                             jobs::JobObserver observer) {
  return start_processing(app, jobs::JobKind::kWrapping, control, std::move(observer));
}

BackgroundJob start_export(APP_STATE_INFO& app, platform::JobControl& control,
                           jobs::JobObserver observer) {
  return start_processing(app, jobs::JobKind::kExport, control, std::move(observer));
}

std::string loaded_file_changed_text(const std::string& mxfName) {
  return platform::format(
      "%s\n\nMXFファイルが解析の後に変更されています。\nもう一度ロードしてください。",
      mxfName.c_str());
}

std::optional<UserMessage> check_loaded_file(const APP_STATE_INFO& app) {
  if (!app.loadedFile.known) return std::nullopt;  // analysed from memory: nothing to compare
  platform::DirectoryRecord record;
  const bool same = platform::stat_file(app.mxfPath, &record).ok() &&
                    record.size == app.loadedFile.size &&
                    record.lastWrite.seconds == app.loadedFile.lastWrite.seconds &&
                    record.lastWrite.nanoseconds == app.loadedFile.lastWrite.nanoseconds &&
                    record.device == app.loadedFile.device && record.inode == app.loadedFile.inode;
  if (same) return std::nullopt;
  return UserMessage{loaded_file_changed_text(platform::file_name(app.mxfPath)), "MXF Tavrin",
                     MessageIcon::kWarning, false};
}

}  // namespace tavrin::app
