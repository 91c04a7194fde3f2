// OP1a frame-wrapped MXF files for tests and benchmarks, written the way broadcast writers lay them
// out: a header partition with the header metadata, body partitions that carry index table segments
// and one SDTI-CP content package per frame (system item, picture, one AES3 or BWF sound element
// per track, an optional ANC data element, each padded by a KLV fill), a footer partition and a
// Random Index Pack. Every byte is a fixed function of the options, so two builds of the same
// options are identical, and the sample bytes of each (track, frame) can be recomputed with
// fixture_samples to tell what a wrap changed.
//
// MxfFixtureLayout reports where everything landed, so tests address elements without parsing the
// file themselves. The options also make the unusual and damaged files that real writers produce
// (no system item, empty delta arrays, short BER lengths, lying counts and offsets ...).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::test {

using Ul = std::array<uint8_t, 16>;

// Labels a test may want to put into the essence container list.
inline constexpr Ul kMpeg2FrameWrappedV1 = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01,
                                            0x0D, 0x01, 0x03, 0x01, 0x02, 0x04, 0x60, 0x01};
inline constexpr Ul kMpeg2FrameWrappedV2 = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x02,
                                            0x0D, 0x01, 0x03, 0x01, 0x02, 0x04, 0x60, 0x01};
inline constexpr Ul kAvcFrameWrapped = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x0A,
                                        0x0D, 0x01, 0x03, 0x01, 0x02, 0x10, 0x60, 0x01};
inline constexpr Ul kAes3FrameWrapped = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01,
                                         0x0D, 0x01, 0x03, 0x01, 0x02, 0x06, 0x03, 0x00};
inline constexpr Ul kBwfFrameWrapped = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x01,
                                        0x0D, 0x01, 0x03, 0x01, 0x02, 0x06, 0x01, 0x00};
inline constexpr Ul kAncDataContainer = {0x06, 0x0E, 0x2B, 0x34, 0x04, 0x01, 0x01, 0x09,
                                         0x0D, 0x01, 0x03, 0x01, 0x02, 0x0E, 0x00, 0x00};

// Picture essence coding labels of the video coding table, by row.
Ul picture_coding_row(int row);  // rows 0..6; other rows give row 1

struct FixtureDate {
  uint16_t year = 2024;
  uint8_t month = 5;
  uint8_t day = 17;
  uint8_t hour = 9;
  uint8_t minute = 30;
  uint8_t second = 15;
  uint8_t quarterMs = 0;
};

struct FixtureTimecode {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  int frames = 0;
};

enum class AudioDescriptorKind { kAes3, kWave };
enum class SoundElementKind { kAes3, kBwf };  // byte 14 of the element key: 03 or 01
enum class VideoDescriptorKind { kMpeg, kCdciAvc };

struct MxfFixtureOptions {
  // --- Rate and timecode ---
  uint32_t editRateNum = 30000;
  uint32_t editRateDen = 1001;
  uint16_t roundedTimecodeBase = 30;
  uint8_t dropFrame = 1;
  uint64_t startTimecode = 1078920;  // 10:00:00;00 at 29.97 drop frame, as a frame count
  uint64_t frameCount = 30;
  // Duration of the timecode component: empty = frameCount; unknownDuration writes eight 0xFF.
  std::optional<uint64_t> timecodeDuration;
  bool unknownTimecodeDuration = false;
  // Timecode word of a frame: by default the start timecode plus the frame index (at a 60 frame
  // base two edit units share a label and the second carries the field bit). The map replaces the
  // label of single frames (the drop-frame and field bits are added as usual); the hook sees the
  // finished word and returns the word to write.
  std::map<uint64_t, FixtureTimecode> timecodeOverrides;
  std::function<uint32_t(uint64_t frame, uint32_t word)> timecodeHook;

  // --- Partitions ---
  uint32_t kagSize = 512;
  uint64_t framesPerPartition = 0;  // 0: every frame in one body partition
  uint8_t headerStatus = 0x04;      // partition status byte: 01..04
  uint8_t bodyStatus = 0x04;
  uint8_t footerStatus = 0x04;
  uint16_t packMajorVersion = 1;
  uint16_t packMinorVersion = 3;
  uint8_t operationalPatternQualifier = 0x09;  // byte 14 of the OP1a label

  // --- Preface and identification ---
  uint8_t prefaceVersionMajor = 1;
  uint8_t prefaceVersionMinor = 3;
  // Essence container labels of the Preface and of every partition pack. Empty: the video label
  // (MPEG-2 v1 or AVC), the sound label (AES3 or BWF) and the ANC label when ancElement is set.
  std::vector<Ul> essenceContainers;
  std::vector<Ul> extraEssenceContainers;  // appended to the list above
  bool identification = true;
  std::u16string companyName = u"Fixture Works";
  std::u16string productName = u"Fixture Writer";
  std::u16string versionString = u"1.0.0";
  std::u16string platform = u"Linux";
  FixtureDate creationDate;
  bool modifiedDatePresent = true;
  FixtureDate modifiedDate = {2024, 5, 18, 11, 0, 0, 0};

  // --- Audio ---
  uint32_t trackCount = 8;  // 0..26
  AudioDescriptorKind audioDescriptor = AudioDescriptorKind::kAes3;
  SoundElementKind soundElement = SoundElementKind::kAes3;
  uint32_t quantizationBits = 24;
  uint32_t sampleRate = 48000;
  uint16_t blockAlign = 3;
  uint32_t avgBytesPerSecond = 0;  // 0: sampleRate x blockAlign
  uint32_t cadencePhase = 0;       // frame 0 takes the samples of cadence position cadencePhase

  // --- Video ---
  VideoDescriptorKind videoDescriptor = VideoDescriptorKind::kMpeg;
  std::optional<Ul> pictureCoding;  // empty: row 1 for MPEG, row 5 (XAVC Intra) for CDCI
  uint32_t displayWidth = 1920;
  uint32_t displayHeight = 540;  // field height for interlaced pictures
  uint32_t aspectNum = 16;
  uint32_t aspectDen = 9;
  uint8_t frameLayout = 1;  // 1: separate fields
  uint8_t mpegField4 = 2;   // coded content type: 2 interlaced
  uint16_t mpegField5 = 12;
  uint16_t mpegField6 = 2;
  uint8_t mpegField7 = 0x82;
  uint32_t bitRate = 50000000;
  uint32_t avcBitRate = 300000000;
  // Which dynamic tag table the MPEG descriptor uses: empty = by prefaceVersionMinor (2 or 3).
  std::optional<uint8_t> mpegTagTable;
  // Dynamic tags as another writer numbers the MPEG items, replacing the table above: coded
  // content type, max GOP, B picture count, profile and level, bit rate. Tag 0 leaves the item
  // (and its primer entry) out.
  std::optional<std::array<uint16_t, 5>> mpegDynamicTags;
  bool mpegItemsReversed = false;  // the MPEG items written in the reverse order, bit rate first
  uint16_t avcBitRateTag = 0x800D;

  // --- Content package ---
  // Offsets count from the start of the content package. A block size (an element with the fill
  // behind it) of 0 follows the alignment rule next to it; so does a size that leaves a gap too
  // small for a fill (1..19 bytes) or no room for the element.
  bool systemItem = true;
  uint32_t systemItemAlign = 512;  // the picture starts at a multiple of this from the package
  uint32_t systemBlockSize = 0;
  uint32_t pictureSize = 4096;
  uint32_t pictureAlign = 512;  // the picture element and its fill end on a multiple of this
  // Sound slot (element and fill, the same in every frame): by default the smallest multiple of
  // soundSlotAlign that holds the largest element of the cadence with a fill.
  uint32_t soundSlotSize = 0;
  uint32_t soundSlotAlign = 512;
  uint8_t soundElementNumberBase = 1;         // element number of track 0 in the key (0 or 1)
  std::optional<uint32_t> soundElementCount;  // elements per package; empty = trackCount
  bool soundLength8 = false;                  // 0x87 lengths on the sound elements
  bool ancElement = false;
  uint32_t ancSize = 200;
  uint32_t ancAlign = 512;
  uint32_t ancBlockSize = 0;
  bool ancInMiddle = false;  // between the picture and the sound elements

  // --- Index ---
  bool indexInBody = true;          // one segment (or several, see below) per body partition
  bool indexInHeader = false;       // a complete index in the header partition as well
  bool indexInFooter = false;       // a complete index in the footer partition
  uint64_t maxSegmentDuration = 0;  // 0: as long as one segment can hold
  bool emptyDeltaArray = false;     // SliceCount 0 and no delta entries
  bool constantSizeIndex = false;   // EditUnitByteCount set and no IndexEntryArray
  std::optional<uint32_t> deltaEntryCount;  // pad (repeat the last) or cut the delta entries
  // Two slice offsets per index entry: the picture alone in slice 1 (delta 0 from its slice's
  // offset), the sound and ANC elements in slice 2. Needs a system item.
  bool pictureInOwnSlice = false;

  // --- Faults ---
  bool shortBerLengths = false;  // minimal BER lengths in the header metadata and the RIP
  uint32_t ndeExtra = 0;         // added to the NDE count written
  uint32_t nieExtra = 0;         // added to the NIE count written
  uint32_t prefaceContainerCountExtra = 0;      // added to the Preface EssenceContainers count
  uint32_t packContainerCountExtra = 0;         // added to the partition packs' count
  std::optional<uint64_t> streamOffsetPastEnd;  // this frame's StreamOffset points past the end
  std::optional<size_t> ripOffsetPastEnd;       // this RIP entry points past the end
  bool ripOmitsFooter = false;
  int32_t ripLengthDelta = 0;  // added to the RIP's overall length field
  // In this frame sound elements 1 and 2 change places (the index is not changed).
  std::optional<uint64_t> swapSoundFrame;
};

// Sets editRate, roundedTimecodeBase, dropFrame (1001 rates at 30 or 60) and a start of
// 10:00:00:00 at that base.
void set_edit_rate(MxfFixtureOptions& options, uint32_t num, uint32_t den);
// Sets startTimecode from a label at the options' base and drop flag.
void set_start_timecode(MxfFixtureOptions& options, int hours, int minutes, int seconds,
                        int frames);

// Frame count of a label and label of a frame count, counting drop frame at bases 30 and 60 when
// `drop` is set.
uint64_t timecode_to_count(uint16_t base, bool drop, const FixtureTimecode& tc);
FixtureTimecode count_to_timecode(uint16_t base, bool drop, uint64_t count);

// SMPTE 12M word as the system item carries it (read little-endian: frames in the low byte), with
// the drop-frame flag (0x40) and the field flag (0x8000).
uint32_t smpte_timecode_word(const FixtureTimecode& tc, bool dropFlag, bool fieldFlag);

struct FixtureDeltaEntry {
  int8_t posTableIndex = 0;
  uint8_t slice = 0;
  uint32_t elementDelta = 0;
};

struct FixturePartition {
  int kind = 0;               // 0 header, 1 body, 2 footer
  uint64_t offset = 0;        // of the partition pack key
  uint64_t contentStart = 0;  // behind the pack and the fill that follows it
  uint64_t headerByteCount = 0;
  uint64_t indexByteCount = 0;
  uint64_t bodyOffset = 0;
  uint32_t indexSid = 0;
  uint32_t bodySid = 0;
  uint64_t essenceBase = 0;  // contentStart + headerByteCount + indexByteCount - bodyOffset
  uint64_t firstFrame = 0;
  uint64_t frameCount = 0;
  std::vector<uint64_t> indexSegments;  // offsets of the segment keys
};

// Absolute file offsets of one content package and its elements. kNone marks an absent element.
inline constexpr uint64_t kNone = UINT64_MAX;
struct FixtureFrame {
  uint64_t contentPackage = 0;
  uint64_t systemItem = kNone;
  uint64_t picture = 0;
  std::vector<uint64_t> soundKey;    // per track (of the elements written)
  std::vector<uint64_t> soundValue;  // per track
  uint64_t anc = kNone;
  uint32_t samples = 0;       // samples per track in this frame
  uint32_t timecodeWord = 0;  // as written at content package + 61
};

struct MxfFixtureLayout {
  uint64_t fileSize = 0;
  std::vector<FixturePartition> partitions;  // in file order: header, bodies, footer
  std::vector<FixtureFrame> frames;
  uint64_t headerMetadataStart = 0;
  uint64_t prefaceOffset = 0;  // of the set keys
  uint64_t identificationOffset = kNone;
  uint64_t timecodeComponentOffset = 0;
  uint64_t sourcePackageOffset = 0;
  uint64_t videoDescriptorOffset = 0;
  std::vector<uint64_t> audioDescriptorOffsets;
  uint64_t ripOffset = 0;
  // Geometry shared by every content package (offsets from its start).
  uint64_t contentPackageSize = 0;
  uint32_t sliceOffset = 0;
  uint32_t soundSlotSize = 0;             // a sound element with its fill
  uint32_t ancBlockSize = 0;              // the ANC element with its fill
  std::vector<FixtureDeltaEntry> deltas;  // as written in every segment
};

// The whole file in memory.
std::vector<uint8_t> build_mxf_fixture(const MxfFixtureOptions& options,
                                       MxfFixtureLayout* layout = nullptr);
// The same bytes written to `path` in large blocks, never holding the file in memory. False when
// the file cannot be written.
bool write_mxf_fixture(const std::string& path, const MxfFixtureOptions& options,
                       MxfFixtureLayout* layout = nullptr);
// Only the layout, without producing the bytes.
MxfFixtureLayout plan_mxf_fixture(const MxfFixtureOptions& options);

// Samples per track of a frame, following the five-frame cadence of the edit rate from
// cadencePhase at frame 0.
uint32_t fixture_samples_in_frame(const MxfFixtureOptions& options, uint64_t frame);
// The original sample bytes of a track in a frame: `samples` samples of `blockAlign` bytes.
std::vector<uint8_t> fixture_samples(uint32_t track, uint64_t frame, uint32_t samples,
                                     uint16_t blockAlign);
void fill_fixture_samples(uint8_t* out, uint32_t track, uint64_t frame, uint32_t samples,
                          uint16_t blockAlign);
// The timecode word written for a frame (default label, overrides and hook applied).
uint32_t fixture_timecode_word(const MxfFixtureOptions& options, uint64_t frame);

// The first `size` bytes (all of them when size is larger).
std::vector<uint8_t> truncated(std::vector<uint8_t> bytes, size_t size);

}  // namespace tavrin::test
