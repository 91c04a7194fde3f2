#include "export/export_job.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "export/bwf_export.h"
#include "export/export_names.h"
#include "wrap/job_range.h"

namespace tavrin {

using namespace export_codes;

const ExportCodes kMappingExportCodes = {kMapNoPath,   kMapNoJob,   kMapNoBase,    kMapBadRate,
                                         kMapBadRange, kMapOpenMxf, kMapCreateBwf, kMapWriteBwf,
                                         kMapElement,  kMapTooLong};
const ExportCodes kFileApiExportCodes = {kFileNoPath,   kFileNoJob,   kFileNoBase,    kFileBadRate,
                                         kFileBadRange, kFileOpenMxf, kFileCreateBwf, kFileWriteBwf,
                                         kFileElement,  kFileTooLong};

int plan_export(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks, const MXF_BASE_INFO* mxf,
                const ExportCodes& codes, ExportPlan* plan) {
  if (mxfPath.empty()) return codes.noPath;
  if (tracks == nullptr) return codes.noJob;
  if (mxf == nullptr || mxf->timecode == nullptr || mxf->audio == nullptr ||
      mxf->indexEntries == nullptr || mxf->layout == nullptr) {
    return codes.noBase;
  }
  const MXF_TIMECODE_INFO& timecode = *mxf->timecode;
  if (timecode.rateCode > 7) return codes.badRate;

  JobRange range;
  if (!resolve_job_range(timecode, tracks->exportIn, tracks->exportOut, mxf->indexEntries->size(),
                         &range)) {
    return codes.badRange;
  }
  const uint64_t rel = range.firstEntry;
  const uint64_t total = range.totalFrames;

  plan->entries = mxf->indexEntries;
  plan->layout = mxf->layout;
  plan->blockAlign = mxf->audio->blockAlign;
  plan->firstEntry = static_cast<size_t>(rel);
  plan->totalFrames = static_cast<uint32_t>(total);

  plan->dataSize = 0;
  for (uint64_t i = 0; i < total; ++i) plan->dataSize += plan->sample_bytes(plan->entry(i));
  if (plan->dataSize > kBwfMaxDataSize) return codes.tooLong;
  // The IN frame's first sample counted from midnight; the plain start is used in both bases, so
  // an IN after midnight in a file that starts in hour 23 lies more than 24 hours on.
  plan->timeReference =
      samples_before_frame(uint64_t{timecode.startFrame} + rel, timecode.rateCode);
  plan->header =
      build_bwf_header(static_cast<uint32_t>(plan->dataSize), plan->timeReference, *mxf->audio);

  // Only tracks the file has are exported.
  plan->tracks.clear();
  const size_t trackCount = std::min<size_t>(mxf->audio->trackCount, kTrackSlots);
  for (size_t t = 0; t < trackCount; ++t) {
    if (tracks->exportMark[t] == 1) plan->tracks.push_back(t);
  }
  return 0;
}

int create_track_files(AUDIOTRACK_IO_INFO* tracks, const ExportPlan& plan, const ExportCodes& codes,
                       std::vector<ExportFile>* files) {
  files->clear();
  files->reserve(plan.tracks.size());
  for (const size_t t : plan.tracks) {
    ExportFile& file = files->emplace_back();
    file.track = t;
    bool created = false;
    for (uint32_t attempt = 0; !created; ++attempt) {
      const std::string path =
          export_track_candidate(tracks->exportFolder, tracks->exportPrefix,
                                 static_cast<uint32_t>(t + 1), tracks->exportCounter, attempt);
      if (path.empty()) break;  // every counter value is taken
      created = file.writer.create(path, kBwfHeaderSize);
      if (!created && file.writer.error() != EEXIST) break;
    }
    if (!created) {
      tracks->systemError = file.writer.error() != 0 ? file.writer.error() : EEXIST;
      files->pop_back();
      return codes.createBwf;
    }
    if (!file.writer.append(plan.header.data(), plan.header.size())) {
      tracks->systemError = file.writer.error();
      return codes.writeBwf;
    }
  }
  return 0;
}

int finish_track_files(std::vector<ExportFile>& files, const ExportCodes& codes,
                       AUDIOTRACK_IO_INFO* tracks) {
  int error = 0;
  for (ExportFile& file : files) {
    if (!file.writer.finish() && error == 0) error = file.writer.error();
  }
  if (error == 0) return 0;
  if (tracks != nullptr) tracks->systemError = error;
  return codes.writeBwf;
}

bool frame_span(const ExportPlan& plan, const INDEX_ENTRY_ARRAY& e, uint64_t fileSize,
                FrameSpan* span) {
  const uint64_t needed = kElementHeaderSize + plan.sample_bytes(e);
  bool any = false;
  for (const size_t t : plan.tracks) {
    const uint64_t position = audio_element_position(e, t);
    if (position > fileSize || fileSize - position < needed) return false;
    if (!any || position < span->begin) span->begin = position;
    if (!any || position + needed > span->end) span->end = position + needed;
    any = true;
  }
  if (!any) span->begin = span->end = 0;
  return true;
}

ElementFault check_frame_elements(const ExportPlan& plan, const INDEX_ENTRY_ARRAY& e,
                                  const uint8_t* bytes, const FrameSpan& span, uint64_t fileSize) {
  for (const size_t t : plan.tracks) {
    const uint64_t position = audio_element_position(e, t);
    const ElementFault fault = check_audio_element(bytes + (position - span.begin), position,
                                                   fileSize, *plan.layout, t, plan.sample_bytes(e));
    if (fault != ElementFault::kNone) return fault;
  }
  return ElementFault::kNone;
}

bool SampleGather::add_frame(const ExportPlan& plan, const INDEX_ENTRY_ARRAY& e,
                             const uint8_t* bytes, const FrameSpan& span,
                             const std::vector<ExportFile>& files) {
  const size_t n = static_cast<size_t>(plan.sample_bytes(e));
  if (!stage_.empty() && stage_.front().size() - staged_ < n) return false;
  for (size_t f = 0; f < files.size(); ++f) {
    const uint64_t value = audio_element_position(e, files[f].track) + kElementHeaderSize;
    const uint8_t* from = bytes + (value - span.begin);
    if (stage_.empty()) {
      pieces_[f].push_back({from, n});
    } else {
      std::memcpy(stage_[f].data() + staged_, from, n);
    }
  }
  staged_ += n;
  ++frames_;
  return true;
}

bool SampleGather::flush(std::vector<ExportFile>& files) {
  bool ok = true;
  for (size_t f = 0; f < files.size() && ok; ++f) {
    if (!stage_.empty()) {
      ok = staged_ == 0 || files[f].writer.append(stage_[f].data(), staged_);
    } else {
      ok = pieces_[f].empty() || files[f].writer.append_pieces(pieces_[f]);
    }
  }
  for (std::vector<platform::ByteRange>& p : pieces_) p.clear();
  staged_ = 0;
  frames_ = 0;
  return ok;
}

}  // namespace tavrin
