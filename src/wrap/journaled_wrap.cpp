#include "wrap/journaled_wrap.h"

#include <algorithm>
#include <atomic>

#include "platform/file_system.h"
#include "wrap/job_range.h"
#include "wrap/wrap_codes.h"
#include "wrap/wrap_plan.h"

namespace tavrin {

namespace {

std::atomic<JournalWriterHook> writerHook{nullptr};

// Passes progress and stop requests through and keeps the frames the engine reported done.
class CountingControl final : public platform::JobControl {
 public:
  explicit CountingControl(platform::JobControl& inner) : inner_(inner) {}
  void set_total(uint32_t frames) override { inner_.set_total(frames); }
  void set_done(uint32_t frames) override {
    done_ = frames;
    inner_.set_done(frames);
  }
  bool cancel_requested() override { return inner_.cancel_requested(); }
  uint32_t done() const { return done_; }

 private:
  platform::JobControl& inner_;
  uint32_t done_ = 0;
};

JournalEnd end_of(int code) {
  if (code == 0) return JournalEnd::kCompleted;
  if (code == wrap_codes::kCancelled) return JournalEnd::kCancelled;
  return JournalEnd::kFailed;
}

}  // namespace

void set_journal_writer_hook(JournalWriterHook hook) {
  writerHook.store(hook);
}

uint64_t header_partition_bytes(const MXF_BASE_INFO& mxf) {
  const INDEX_ENTRY_ARRAY* first = first_index_entry(mxf);
  return first != nullptr ? first->filePosition : 0;
}

uint64_t journal_bytes_needed(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                              const MXF_BASE_INFO* mxf) {
  WrapPlan plan;
  if (plan_wrap(mxfPath, tracks, mxf, kMappingWrapCodes, &plan) != 0) return 0;
  uint64_t samples = 0;
  for (uint64_t k = 0; k < plan.totalFrames; ++k) samples += plan.entry(k).samplesInFrame;
  const uint64_t writes = plan.writes.size();
  // At most one commit per frame: runs and batches hold one frame or more.
  return journal_size(samples * plan.slotBytes * writes, plan.totalFrames * writes,
                      plan.totalFrames);
}

int wrap_with_journal(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks, MXF_BASE_INFO* mxf,
                      platform::JobControl& control, bool useFileApi,
                      const JournalPlacement& placement) {
  auto run = [&](platform::JobControl& c, UndoJournalWriter* journal) {
    return useFileApi ? wrap_audio_by_file_api(mxfPath, tracks, mxf, c, journal)
                      : wrap_audio_by_mapping(mxfPath, tracks, mxf, c, journal);
  };
  if (!placement.enabled) return run(control, nullptr);

  // The job's checks come first: a job the engine refuses leaves every journal as it is.
  WrapPlan plan;
  const WrapCodes& codes = useFileApi ? kFileApiWrapCodes : kMappingWrapCodes;
  if (const int code = plan_wrap(mxfPath, tracks, mxf, codes, &plan); code != 0) return code;
  const int journalFailed =
      useFileApi ? wrap_codes::kFileJournalFailed : wrap_codes::kMapJournalFailed;

  JournalHeader header;
  const size_t base = active_base(*mxf->timecode);
  header.job.inFrame = tracks->inFrame[base];
  header.job.outFrame = tracks->outFrame[base];
  header.job.totalFrames = plan.totalFrames;
  for (const TrackWrite& w : plan.writes) header.job.trackMask |= uint32_t{1} << w.track;
  header.job.engine = useFileApi ? JournalEngine::kFileApi : JournalEngine::kMapping;
  {
    platform::Status status;
    const platform::File file = platform::File::open(mxfPath, platform::Access::kReadExisting,
                                                     platform::Sharing::kAny, &status);
    if (!file.valid()) return useFileApi ? wrap_codes::kFileOpenMxf : wrap_codes::kMapOpenMxf;
    if (!stamp_file(file, header_partition_bytes(*mxf), &header.file).ok()) return journalFailed;
  }

  const std::string finalPath = journal_path(mxfPath, placement.folder);
  const std::string pendingPath = pending_journal_path(finalPath);
  platform::Status status;
  UndoJournalWriter journal = UndoJournalWriter::create(pendingPath, header, &status);
  if (!journal.valid()) return journalFailed;
  if (const JournalWriterHook hook = writerHook.load()) hook(journal);

  CountingControl counting(control);
  int code = run(counting, &journal);

  if (!journal.writing_started()) {
    // Ended before its first write: the file is as it was, and the previous journal stays.
    journal.close({});
    platform::remove_file(pendingPath);
    platform::sync_parent_folder(pendingPath);
    return code;
  }
  JournalClosing closing;
  closing.end = end_of(code);
  closing.framesWritten = counting.done();
  closing.code = code;
  platform::DirectoryRecord after;
  if (platform::stat_file(mxfPath, &after).ok()) {
    closing.sizeAfter = after.size;
    closing.lastWriteAfter = after.lastWrite;
  }
  // A journal that cannot be closed stays pending: it then reads as a job cut off, which undo
  // still restores.
  if (!journal.close(closing).ok()) return code == 0 ? journalFailed : code;
  if (!platform::rename_file(pendingPath, finalPath).ok()) return code == 0 ? journalFailed : code;
  platform::sync_parent_folder(finalPath);
  return code;
}

}  // namespace tavrin
