#include "support/analysed_fixture.h"

#include "jobs/runner.h"
#include "platform/byte_source.h"
#include "platform/file.h"
#include "support/temp_dir.h"
#include "wrap/track_job.h"

namespace tavrin::test {

int analyse_mxf_file(const std::string& path, MxfRecords* records, std::string* failureText) {
  platform::Status status;
  const platform::File file = platform::File::open(path, platform::Access::kReadExisting,
                                                   platform::Sharing::kNone, &status);
  if (!file.valid()) return -1;
  const platform::FileSource source(file);
  AUDIOTRACK_IO_INFO tracks;
  jobs::JobRequest request;
  request.jobKind = jobs::JobKind::kAnalysis;
  request.mxfHandle = &source;
  request.mxfPath = path;
  request.mxf = &records->base;
  request.tracks = &tracks;
  int result = -1;
  jobs::run_job(request, [&](const jobs::JobMessage& message) {
    if (message.kind == jobs::JobMessageKind::kVerificationStarting) return;
    result = message.code;
    if (failureText != nullptr) *failureText = message.text;
  });
  return result;
}

std::unique_ptr<AnalysedFixture> make_analysed_fixture(const std::string& path,
                                                       const MxfFixtureOptions& options) {
  auto f = std::make_unique<AnalysedFixture>();
  f->path = path;
  f->options = options;
  f->original = build_mxf_fixture(options, &f->layout);
  if (!write_file(path, f->original)) return nullptr;
  f->analysisCode = analyse_mxf_file(path, &f->records, &f->failureText);
  return f;
}

}  // namespace tavrin::test
