// Result codes of the two wrapping engines (0 success, 99 cancelled by the operator). The job
// runner turns each into the message of its table under the engine's section, 2000 for the
// mapping engine and 3000 for the file-I/O engine.
#pragma once

namespace tavrin::wrap_codes {

inline constexpr int kCancelled = 99;

// Wrapping through memory views (section 2000).
inline constexpr int kMapNoPath = 2001;
inline constexpr int kMapNoJob = 2002;
inline constexpr int kMapNoBase = 2003;
inline constexpr int kMapBadRate = 2004;
inline constexpr int kMapBadRange = 2005;
inline constexpr int kMapOpenMxf = 2006;
inline constexpr int kMapMapMxf = 2007;
inline constexpr int kMapOpenWav = 2008;
inline constexpr int kMapMapWav = 2009;
inline constexpr int kMapNoSilence = 2010;
inline constexpr int kMapNoStaging = 2011;
inline constexpr int kMapMxfView = 2012;
inline constexpr int kMapWavView = 2013;
// An element of the run is not the track's sound element: nothing of the job was written.
inline constexpr int kMapLayoutUntouched = 2014;
// The same, after earlier runs had been written: the frames before the stop are new.
inline constexpr int kMapLayoutAfterWrites = 2015;
// Writing the samples to the file failed (a write or the flush: disk full, device gone).
inline constexpr int kMapFlushFailed = 2016;
// A WAV assigned to an ON track breaks the bit rule or has more than two channels.
inline constexpr int kMapWavFormat = 2017;
// A stereo WAV whose second channel would need a track the file does not have.
inline constexpr int kMapStereoLastTrack = 2018;
// The second track of a stereo pair is ON while the first is OFF.
inline constexpr int kMapStereoPair = 2019;
// An edit unit of the range lies outside the index table segment the index gives it.
inline constexpr int kMapSegmentBounds = 2020;
// The undo journal could not be written or flushed: the run it was to cover is not written.
inline constexpr int kMapJournalFailed = 2021;
// The MXF file is no longer the one analysed, or another program shortened it during the job.
inline constexpr int kMapMxfChanged = 2022;
// A WAV assigned to an ON track is not the file that was added (size, time or identity differ).
inline constexpr int kMapWavChanged = 2023;
// A WAV holds fewer sample bytes during the job than when it was added.
inline constexpr int kMapWavShortened = 2024;
// Reading the MXF file failed while the elements of the range were checked.
inline constexpr int kMapReadMxf = 2025;

// Wrapping through positioned reads and writes (section 3000).
inline constexpr int kFileNoPath = 3001;
inline constexpr int kFileNoJob = 3002;
inline constexpr int kFileNoBase = 3003;
inline constexpr int kFileBadRate = 3004;
inline constexpr int kFileBadRange = 3005;
inline constexpr int kFileNoBuffer = 3006;
inline constexpr int kFileOpenMxf = 3007;
inline constexpr int kFileOpenWav = 3008;
inline constexpr int kFileView = 3009;
inline constexpr int kFileLayoutUntouched = 3010;
inline constexpr int kFileLayoutAfterWrites = 3011;
// A write to the MXF file failed or stopped short (disk full, file size limit, device gone).
inline constexpr int kFileWriteFailed = 3012;
// Reading the MXF file failed (the element check could not read an element's header).
inline constexpr int kFileReadMxf = 3013;
// Reading a WAV file failed with an error (not its end).
inline constexpr int kFileReadWav = 3014;
inline constexpr int kFileWavFormat = 3015;
inline constexpr int kFileStereoLastTrack = 3016;
inline constexpr int kFileStereoPair = 3017;
// Flushing the written data to the file failed (fdatasync), or closing the file did.
inline constexpr int kFileFlushFailed = 3018;
inline constexpr int kFileJournalFailed = 3019;
inline constexpr int kFileMxfChanged = 3020;
inline constexpr int kFileWavChanged = 3021;
inline constexpr int kFileWavShortened = 3022;

}  // namespace tavrin::wrap_codes
