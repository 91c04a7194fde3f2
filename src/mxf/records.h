// The records of the loaded MXF file. The analysis fills them once; every later operation (the
// timecode check, wrapping, export, the logs, the window) reads them and never reads the header
// metadata again. One set exists at a time (MxfRecords); loading another file overwrites it and
// unloading releases the two arrays.
//
// Numbers are host integers after decoding (the file is big-endian). Texts are UTF-8 here; each
// keeps the capacity of its field, counted in UTF-16 code units, and is cut to fit.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

namespace tavrin {

using Key16 = std::array<uint8_t, 16>;

// Capacities of the text fields, in UTF-16 units including the terminator.
inline constexpr size_t kDateTextCapacity = 64;
inline constexpr size_t kCompanyNameCapacity = 64;
inline constexpr size_t kProductNameCapacity = 64;
inline constexpr size_t kVersionStringCapacity = 32;
inline constexpr size_t kPlatformCapacity = 32;
inline constexpr size_t kCodingNameCapacity = 24;

// Delta entries per edit unit the program is built for: the system item, the picture and 24
// sound elements.
inline constexpr size_t kMaxDeltaEntries = 26;
inline constexpr size_t kMaxAudioTracks = 24;

// One partition, as its pack was read through the Random Index Pack.
struct MXF_PARTITION_INFO {
  uint32_t kind = 0;  // 0 header, 1 body, 2 footer
  uint32_t partitionCount = 0;
  Key16 packKey{};
  Key16 operationalPattern{};
  uint32_t packLength = 0;
  uint16_t majorVersion = 0;
  uint16_t minorVersion = 0;
  uint32_t kagSize = 0;
  uint64_t thisPartition = 0;
  uint64_t headerByteCount = 0;
  uint64_t indexByteCount = 0;
  uint32_t indexSid = 0;
  uint64_t bodyOffset = 0;
  uint32_t bodySid = 0;
  // File position that corresponds to essence stream offset 0 of this partition.
  uint64_t essenceBase = 0;
  // First byte behind the partition pack and a KLV fill that directly follows it: where the
  // header metadata, then the index segments, then the essence of the partition begin.
  uint64_t contentStart = 0;
};

struct DeltaEntry {
  int8_t posTableIndex = 0;
  uint8_t slice = 0;
  uint32_t elementDelta = 0;
};

// One edit unit (frame) of the file, in stream order.
struct INDEX_ENTRY_ARRAY {
  uint32_t partition = 0;  // index into the partition array
  uint64_t segmentStart = 0;
  uint64_t segmentDuration = 0;
  int8_t temporalOffset = 0;
  int8_t keyFrameOffset = 0;
  uint8_t flags = 0;
  uint64_t filePosition = 0;  // first byte of the edit unit's first KLV
  uint32_t sliceOffset = 0;   // the last slice offset listed
  uint64_t posTable = 0;
  uint32_t deltaCount = 0;
  uint32_t samplesInFrame = 0;
  std::array<DeltaEntry, kMaxDeltaEntries> deltas{};
};

// One break of the system-item timecode run.
struct TIMECODE_ERROR_INFO {
  uint32_t beforeFrame = 0;
  uint32_t afterFrame = 0;
  uint32_t beforeCount = 0;
  uint32_t afterCount = 0;
  uint32_t state = 0;  // 2 jumped forward, 3 went backwards, 4 stood still
  uint32_t position = 0;
};
// The list of breaks; its owner is whoever runs the verification (the analysis dialog or the
// command line), the verification appends to it.
using TimecodeErrorList = std::list<TIMECODE_ERROR_INFO>;

struct MXF_TIMECODE_INFO {
  uint32_t dropFrame = 0;
  uint32_t startFrame = 0;
  uint32_t shiftedStart = 0;
  uint32_t endFrame = 0;
  uint32_t shiftedEnd = 0;
  uint32_t duration = 0;
  uint32_t fpsCode = 0;
  uint32_t editRateNum = 0;
  uint32_t editRateDen = 0;
  uint32_t rateCode = 0;
  std::vector<uint32_t> timecodeWords;  // exists only while the verification runs
  std::vector<uint32_t> frameNumbers;   // exists only while the verification runs
  uint32_t indexEntryCount = 0;
  uint32_t errorCount = 0;
  uint32_t startsInHour23 = 0;
  uint32_t maxSegmentDuration = 0;
  std::atomic<uint32_t> framesToCheck{0};
  std::atomic<uint32_t> framesChecked{0};
  uint32_t useFileApi = 0;
  TimecodeErrorList* errorList = nullptr;
};

struct MXF_AUDIO_INFO {
  uint8_t trackCount = 0;
  uint32_t sampleRate = 0;
  uint32_t avgBytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint32_t quantizationBits = 0;
  uint8_t cadenceCode = 0;
  uint32_t audioElementSize = 0;
};

struct MXF_VIDEO_INFO {
  Key16 pictureCoding{};
  std::string codingName;
  uint8_t codingIndex = 0;
  uint32_t displayHeight = 0;
  uint32_t displayWidth = 0;
  uint32_t aspectNum = 0;
  uint32_t aspectDen = 0;
  uint32_t bitRate = 0;
  uint8_t mpegField7 = 0;
  uint8_t mpegField4 = 0;
  uint16_t mpegField5 = 0;
  uint16_t mpegField6 = 0;
};

// What the index step found about the content package layout that every reader of the essence
// relies on: the system item first, the picture next, one sound element per track addressed by
// delta entry t + 2, and the key each track's element carries.
struct MXF_LAYOUT_INFO {
  bool checked = false;
  bool systemItem = false;
  uint32_t pictureDelta = 0;
  std::vector<uint32_t> audioDeltas;  // elementDelta of delta entries 2 .. trackCount + 1
  std::vector<Key16> elementKeys;     // per track, the key of its element in the first edit unit
};

struct MXF_BASE_INFO {
  uint64_t fileSize = 0;
  std::string creationDate;
  std::string modifiedDate;
  uint8_t versionMajor = 0;
  uint8_t versionMinor = 0;
  std::string companyName;
  std::string productName;
  std::string versionString;
  std::string platform;
  uint32_t hasAncData = 0;
  uint32_t ancElementSize = 0;
  std::vector<MXF_PARTITION_INFO>* partitions = nullptr;
  MXF_TIMECODE_INFO* timecode = nullptr;
  MXF_AUDIO_INFO* audio = nullptr;
  MXF_VIDEO_INFO* video = nullptr;
  std::vector<INDEX_ENTRY_ARRAY>* indexEntries = nullptr;
  MXF_LAYOUT_INFO* layout = nullptr;
  std::atomic<int32_t> sectionCode{0};
};

// The one set of records of the loaded file, wired together. Not copyable: the base record
// refers to the others.
struct MxfRecords {
  MxfRecords();
  MxfRecords(const MxfRecords&) = delete;
  MxfRecords& operator=(const MxfRecords&) = delete;

  MXF_BASE_INFO base;
  MXF_TIMECODE_INFO timecode;
  MXF_AUDIO_INFO audio;
  MXF_VIDEO_INFO video;
  MXF_LAYOUT_INFO layout;
  std::vector<MXF_PARTITION_INFO> partitionSlot;
  std::vector<INDEX_ENTRY_ARRAY> indexEntrySlot;
};

// Unloading: frees both arrays, clears the audio, video and layout records and, in the base
// record, the ANC facts, the version bytes and the six texts. The timecode record, the file size
// and the section code keep their values until the next load.
void unload_mxf_records(MxfRecords& records);

// The entry of the first edit unit, or null when the index is empty.
const INDEX_ENTRY_ARRAY* first_index_entry(const MXF_BASE_INFO& mxf);

}  // namespace tavrin
