// What both wrapping engines share: the checks of the job, the elements every frame writes and
// where their samples come from, the WAV files, the check of an element before it is written,
// and the placement of WAV samples in an element's value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"
#include "wrap/element_check.h"
#include "wrap/track_job.h"

namespace tavrin {

// The codes one engine reports for the failures both engines share.
struct WrapCodes {
  int noPath;
  int noJob;
  int noBase;
  int badRate;
  int badRange;
  int openWav;
  int layoutUntouched;
  int layoutAfterWrites;
  int wavFormat;
  int stereoLastTrack;
  int stereoPair;
  int mxfChanged;
  int wavChanged;
  int wavShortened;
  int readMxf;
};
extern const WrapCodes kMappingWrapCodes;
extern const WrapCodes kFileApiWrapCodes;

// One WAV file as a job reads it: from dataOffset on, at most dataBytes bytes.
struct WavSource {
  const WAV_LIBRARY_ENTRY* entry = nullptr;
  size_t track = 0;  // the track whose slot holds the entry
  uint16_t channels = 0;
  uint16_t bytesPerSample = 0;  // of one channel
  uint16_t blockAlign = 0;      // of one sample frame, all channels
  bool widen = false;           // 16-bit samples into 24-bit slots
  uint64_t dataOffset = 0;
  // Bytes of sample data the job may read: the data chunk's size, cut to what the file holds.
  // Set when the file is opened; every sample behind it is silence.
  uint64_t dataBytes = 0;
  platform::File file;
};

// One element written in every frame of the range: track `track` takes channel `channel` of
// source `source`, or silence when `source` is kSilence.
struct TrackWrite {
  static constexpr int kSilence = -1;
  size_t track = 0;
  int source = kSilence;
  uint16_t channel = 0;
};

struct WrapPlan {
  const std::vector<INDEX_ENTRY_ARRAY>* entries = nullptr;
  const MXF_LAYOUT_INFO* layout = nullptr;
  uint32_t slotBytes = 0;  // blockAlign of the MXF audio: bytes of one sample of one track
  size_t firstEntry = 0;   // the index entry of the IN frame
  uint32_t totalFrames = 0;
  uint32_t maxSamplesInFrame = 0;  // over the frames of the range
  std::vector<TrackWrite> writes;  // in increasing track order
  std::vector<WavSource> sources;

  const INDEX_ENTRY_ARRAY& entry(uint64_t frame) const { return (*entries)[firstEntry + frame]; }
  uint64_t sample_bytes(const INDEX_ENTRY_ARRAY& e) const {
    return uint64_t{slotBytes} * e.samplesInFrame;
  }
};

// What a wrapping job does to one existing track.
enum class TrackUseKind {
  kUntouched,        // OFF (and not the second track of a stereo file on an ON track)
  kSilence,          // ON without a WAV
  kWav,              // takes channel `channel` of `entry`
  kSecondHalfAlone,  // ON, holding the second half of a stereo file whose first track is OFF
};
struct TrackUse {
  TrackUseKind kind = TrackUseKind::kUntouched;
  const WAV_LIBRARY_ENTRY* entry = nullptr;
  uint16_t channel = 0;
};

// The use of each of the first min(trackCount, 24) tracks. An ON track takes silence or its WAV;
// a two-channel WAV on an ON track t also fills track t + 1 with its second channel, whatever the
// switch of t + 1 (and whatever t + 1 holds); when t is OFF, the slot after it holding the same
// file is its second half and is not wrapped on its own. A two-channel WAV on the last track
// leaves its second channel without a track: the engines refuse it.
std::vector<TrackUse> track_uses(const AUDIOTRACK_IO_INFO& tracks, size_t trackCount);

// Checks the job in the order the engines report it — path, job record, records of the loaded
// file, rate code, the range in the active counting base (and the index holding each of its
// frames) — then the assignments of the ON tracks: the bit rule and the channel count of each
// WAV, a stereo WAV's second track inside the file, no second half of a stereo pair switched ON
// alone. Fills `plan` and stores totalFrames in the job record. Returns 0 or the engine's code.
int plan_wrap(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks, const MXF_BASE_INFO* mxf,
              const WrapCodes& codes, WrapPlan* plan);

// Opens every WAV of the plan read-only with read sharing and fixes the bytes it may read: the
// sample data the reader found when the file was added. A file that is no longer the one added
// (its size, last-write time or identity differ from the entry's directory record) or that holds
// less of that data than it did is refused with codes.wavChanged: its samples would be read with
// another file's header, or be silence the operator never chose. Returns 0, codes.openWav or
// codes.wavChanged.
int open_wav_sources(WrapPlan* plan, const WrapCodes& codes);

// The size of the open MXF file when it is still the size of the file the job was planned on:
// the size the analysis saw (when the records hold one). Returns 0, codes.mxfChanged when the
// file has another size, or `failCode` when its size cannot be read.
int check_mxf_size(const platform::File& mxf, const MXF_BASE_INFO& records, const WrapCodes& codes,
                   int failCode, uint64_t* size);

// Reads the key and length of every element of every frame of the range the job writes and
// checks each, before the first byte is written: a fault anywhere in IN..OUT refuses the job
// with the file untouched. Returns 0, codes.layoutUntouched, codes.readMxf or codes.mxfChanged.
int check_range_elements(const WrapPlan& plan, const platform::File& mxf, uint64_t fileSize,
                         const WrapCodes& codes);

// Reads the elements one frame writes and checks each. The elements are read in order of their
// offsets, neighbours close enough together in one positioned read (a read costs more than the
// bytes between two headers), so a frame's audio block is mostly one read. With `values`, each
// element's value is read with its header and, once every element of the frame has passed,
// `value(k)` points at the value of plan.writes[k] until the next call.
class FrameElementReader {
 public:
  // Returns 0, `layoutCode` for a fault, codes.readMxf for a failed read, or codes.mxfChanged
  // when the file delivers less than its size promised (it was shortened).
  int check(const WrapPlan& plan, const platform::File& mxf, uint64_t fileSize, uint64_t frame,
            bool values, const WrapCodes& codes, int layoutCode);
  const uint8_t* value(size_t k) const { return bytes_.data() + at_[k] + kElementHeaderSize; }
  // The offset of the key of plan.writes[k] in the file.
  uint64_t position(size_t k) const { return positions_[k]; }

 private:
  std::vector<uint64_t> positions_;  // per write: the key's offset in the file
  std::vector<size_t> order_;        // writes by increasing offset
  std::vector<size_t> at_;           // per write: where its header lies in bytes_
  std::vector<uint8_t> bytes_;
};

// WAV bytes one run or batch reads at most, over all its WAVs: bounds what a run keeps mapped or
// a batch holds in memory, while keeping them long, so that a journaled job flushes its journal a
// few times per file rather than every few seconds of programme, and the disk writes back one
// batch while the next is read and journaled.
inline constexpr uint64_t kRunWavBytes = uint64_t{64} << 20;

// Frames whose WAV samples fit `bytes` (at the longest frame of the range), at least 1.
uint64_t frames_within_wav_bytes(const WrapPlan& plan, uint64_t bytes);

// Checks every element the frames first … first + frames - 1 will write, through `reader`; with a
// journal, adds each element's current samples to it, taken from the same reads. Returns 0 or the
// first code FrameElementReader::check gives.
int check_frames_into_journal(FrameElementReader& reader, const WrapPlan& plan,
                              const platform::File& mxf, uint64_t fileSize, uint64_t first,
                              uint64_t frames, UndoJournalWriter* journal, const WrapCodes& codes,
                              int layoutCode);

// Position of the key of `track`'s element in edit unit `e`; false when the edit unit has no
// delta entry for the track.
bool written_element_position(const INDEX_ENTRY_ARRAY& e, size_t track, uint64_t* position);

// The check of one element before anything of its run or batch is written. `header` holds the
// kElementHeaderSize bytes at `position`, or is null when they lie past the end of the file.
ElementFault check_written_element(const WrapPlan& plan, const INDEX_ENTRY_ARRAY& e, size_t track,
                                   const uint8_t* header, uint64_t position, uint64_t fileSize);

// Fills the `samples` slots of an element value at `out` (samples x slotBytes bytes) with
// channel `channel` of the sample frames at `source`, of which `available` bytes are WAV data
// (null or 0 for none): each sample at offset 0 of its slot, or at offset 1 when widening, every
// other byte of the slot zero; a sample the data does not hold in full is silence.
void place_samples(const WavSource& wav, uint16_t channel, const uint8_t* source,
                   uint64_t available, uint32_t samples, uint32_t slotBytes, uint8_t* out);

// The code of a layout fault: nothing written yet, or frames already written.
inline int layout_code(const WrapCodes& codes, bool wroteAny) {
  return wroteAny ? codes.layoutAfterWrites : codes.layoutUntouched;
}

}  // namespace tavrin
