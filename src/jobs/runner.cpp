#include "jobs/runner.h"

#include <cstring>

#include "export/bwf_export.h"
#include "mxf/analysis.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tavrin::jobs {

namespace {

using platform::format;

std::string cut(const std::string& text) {
  return platform::cut_to_capacity(text, kFinalMessageCapacity);
}

std::string message_text(int sectionCode, int code) {
  return std::string(section_message(sectionCode, code));
}

// Preliminary checks of an analysis, reported under section 0.
int preliminary_checks(const JobRequest& request) {
  const MXF_BASE_INFO* mxf = request.mxf;
  if (request.mxfHandle == nullptr) return 1;
  if (mxf == nullptr) return 2;
  if (mxf->partitions == nullptr) return 3;
  if (mxf->timecode == nullptr) return 4;
  if (mxf->indexEntries == nullptr) return 5;
  if (mxf->video == nullptr) return 6;
  if (mxf->audio == nullptr) return 7;
  return 0;
}

platform::JobControl& control_of(const JobRequest& request) {
  static platform::NullJobControl unwatched;
  return request.control != nullptr ? *request.control : unwatched;
}

void run_analysis(const JobRequest& request, const JobObserver& observer) {
  platform::JobControl& control = control_of(request);
  const std::string name = platform::file_name(request.mxfPath);
  auto fail = [&](int sectionCode, int code) {
    observer({JobMessageKind::kFailed, code, std::string(),
              compose_analysis_failure(name, sectionCode, code, request.useFileApi,
                                       request.mxf != nullptr ? request.mxf->timecode : nullptr)});
  };
  if (request.mxf != nullptr && request.mxf->timecode != nullptr) {
    request.mxf->timecode->useFileApi = request.useFileApi ? 1 : 0;
  }
  if (const int code = preliminary_checks(request); code != 0) {
    if (request.mxf != nullptr) request.mxf->sectionCode = 0;
    fail(0, code);
    return;
  }
  MXF_BASE_INFO* mxf = request.mxf;
  const ByteSource* file = request.mxfHandle;

  mxf->sectionCode = 100;
  if (file->valid()) mxf->fileSize = file->size();

  struct Step {
    int section;
    int (*run)(const ByteSource*, MXF_BASE_INFO*);
  };
  auto partitions = [](const ByteSource* f, MXF_BASE_INFO* m) {
    return read_partitions(f, m->fileSize, m);
  };
  const Step steps[] = {
      {200, partitions},
      {300, read_preface},
      {400, read_timecode_component},
      {500, read_file_package},
      {600, read_index_table},
      {700, read_audio_descriptor},
      {800, read_video_descriptor},
  };
  // A read that failed under a step (a failing device) is reported with the step's code for an
  // unusable file, whatever the step made of the bytes it did get.
  constexpr int kUnreadable = 1;
  for (const Step& step : steps) {
    mxf->sectionCode = step.section;
    int code = step.run(file, mxf);
    if (file->read_error() != 0) code = step.section + kUnreadable;
    if (code > 0) {
      fail(step.section, code);
      return;
    }
  }

  mxf->sectionCode = 900;
  read_identification(file, mxf);  // never stops the analysis, unless the file cannot be read
  if (file->read_error() != 0) {
    fail(900, 900 + kUnreadable);
    return;
  }

  mxf->timecode->framesToCheck = mxf->timecode->indexEntryCount;
  control.set_total(mxf->timecode->indexEntryCount);
  control.set_done(0);
  observer({JobMessageKind::kVerificationStarting, 0, std::string(), std::string()});

  mxf->sectionCode = 1000;
  int code = verify_sdti_timecode(file, mxf, control);
  if (file->read_error() != 0 && code != 99) code = 1000 + kUnreadable;
  if (code == 0) {
    observer({JobMessageKind::kSucceeded, 0, std::string(), std::string()});
  } else if (code >= 1001 && code <= 1012) {
    observer(
        {JobMessageKind::kFailed, code, std::string(), compose_verification_failure(name, code)});
  } else if (code == 99) {
    observer({JobMessageKind::kFailed, 99, std::string(), compose_analysis_cancelled(name)});
  } else {
    observer({JobMessageKind::kFailed, code, std::string(), std::string()});
  }
}

void run_processing(const JobRequest& request, const JobObserver& observer) {
  const bool wrapping = request.jobKind == JobKind::kWrapping;
  const int section =
      wrapping ? (request.useFileApi ? 3000 : 2000) : (request.useFileApi ? 5000 : 4000);
  if (request.mxf != nullptr) request.mxf->sectionCode = section;
  if (request.tracks != nullptr) request.tracks->systemError = 0;
  platform::JobControl& control = control_of(request);
  int code = 0;
  switch (section) {
    case 2000:
    case 3000:
      code = wrap_with_journal(request.mxfPath, request.tracks, request.mxf, control,
                               request.useFileApi, request.journal);
      break;
    case 4000:
      code = export_bwf_by_mapping(request.mxfPath, request.tracks, request.mxf, control);
      break;
    default:
      code = export_bwf_by_file_api(request.mxfPath, request.tracks, request.mxf, control);
      break;
  }
  const std::string name = platform::file_name(request.mxfPath);
  const std::string jobText(job_text(request.jobKind));
  if (code == 0) {
    observer({JobMessageKind::kSucceeded, 0, kJobSuccessTitle,
              compose_job_success(name, request.jobKind, request.useFileApi)});
  } else if (code == 99) {
    observer({JobMessageKind::kFailed, 99, jobText,
              compose_job_cancelled(name, request.jobKind, request.useFileApi)});
  } else {
    const int systemError = request.tracks != nullptr ? request.tracks->systemError : 0;
    observer({JobMessageKind::kFailed, code, jobText,
              compose_job_failure(name, request.jobKind, section, code, request.useFileApi,
                                  systemError)});
  }
}

}  // namespace

std::string compose_analysis_failure(const std::string& mxfName, int sectionCode, int code,
                                     bool useFileApi, const MXF_TIMECODE_INFO* timecode) {
  return cut(
      format("%s\n\nこのファイルはロードできません。\n\n%s\n\n処理セクション: %s\nERR: %d  "
             "process: %s",
             mxfName.c_str(), analysis_message(sectionCode, code, timecode).c_str(),
             std::string(section_name(sectionCode)).c_str(), code,
             std::string(process_name(useFileApi)).c_str()));
}

std::string compose_verification_failure(const std::string& mxfName, int code) {
  return cut(format("%s\n\nこのファイルはロードできません。\n\n%s\n\nsection: %s\nERR: %d",
                    mxfName.c_str(), message_text(1000, code).c_str(),
                    std::string(section_name(1000)).c_str(), code));
}

std::string compose_analysis_cancelled(const std::string& mxfName) {
  return cut(format("%s\n\n解析を中断しました。\nこのままロードしますか？", mxfName.c_str()));
}

std::string compose_job_success(const std::string& mxfName, JobKind kind, bool useFileApi) {
  return cut(format("%s\n\n%sが完了しました。\n\n\tprocess: %s", mxfName.c_str(),
                    std::string(job_text(kind)).c_str(),
                    std::string(process_name(useFileApi)).c_str()));
}

std::string compose_job_cancelled(const std::string& mxfName, JobKind kind, bool useFileApi) {
  return cut(format("MXFファイル\n%s\n\n%sを中断しました。\n\n\tprocess: %s", mxfName.c_str(),
                    std::string(job_text(kind)).c_str(),
                    std::string(process_name(useFileApi)).c_str()));
}

std::string compose_job_failure(const std::string& mxfName, JobKind kind, int sectionCode, int code,
                                bool useFileApi, int systemError) {
  std::string message = message_text(sectionCode, code);
  if (systemError != 0) message += format("\n(%s)", std::strerror(systemError));
  return cut(format("%s\n\n%s中にエラーが発生しました。\n%s\n\n\tERR: %d  process: %s",
                    mxfName.c_str(), std::string(job_text(kind)).c_str(), message.c_str(), code,
                    std::string(process_name(useFileApi)).c_str()));
}

void run_job(const JobRequest& request, const JobObserver& observer) {
  switch (request.jobKind) {
    case JobKind::kAnalysis:
      run_analysis(request, observer);
      break;
    case JobKind::kWrapping:
    case JobKind::kExport:
      run_processing(request, observer);
      break;
    default:
      break;  // an unknown kind ends at once, without a message
  }
}

std::thread start_job(const JobRequest& request, JobObserver observer) {
  return std::thread([request, observer = std::move(observer)] { run_job(request, observer); });
}

}  // namespace tavrin::jobs
