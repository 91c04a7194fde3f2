// BWF export engines: the marked tracks of the loaded MXF file written out as mono BWF files over
// the export range, one file per track, with the time reference of the IN frame.
#pragma once

#include <cstdint>
#include <string>

#include "wrap/track_job.h"

namespace tavrin {

// The control gets the frames of the range as its total and the frames exported as they are done;
// it is asked before every frame whether to stop. A stop closes the files with every frame before
// that one in them and none after (code 99).
int export_bwf_by_mapping(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                          MXF_BASE_INFO* mxf, platform::JobControl& control);
int export_bwf_by_file_api(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                           MXF_BASE_INFO* mxf, platform::JobControl& control);
// Samples in the first n frames counted from midnight at the rate code's cadence.
uint64_t samples_before_frame(uint64_t n, uint32_t rateCode);

// Result codes of the two engines (0 success, 99 cancelled).
namespace export_codes {
inline constexpr int kCancelled = 99;

inline constexpr int kMapNoPath = 4001;
inline constexpr int kMapNoJob = 4002;
inline constexpr int kMapNoBase = 4003;
inline constexpr int kMapBadRate = 4004;
inline constexpr int kMapBadRange = 4005;
inline constexpr int kMapOpenMxf = 4006;
inline constexpr int kMapMapMxf = 4007;
inline constexpr int kMapCreateBwf = 4008;
inline constexpr int kMapView = 4009;
inline constexpr int kMapWriteBwf = 4010;  // a write to or the close of a BWF file failed
inline constexpr int kMapElement = 4011;   // an audio element is not where and what it must be
inline constexpr int kMapTooLong = 4012;   // the range holds more data than a RIFF file can

inline constexpr int kFileNoPath = 5001;
inline constexpr int kFileNoJob = 5002;
inline constexpr int kFileNoBase = 5003;
inline constexpr int kFileBadRate = 5004;
inline constexpr int kFileBadRange = 5005;
inline constexpr int kFileNoBuffer = 5006;
inline constexpr int kFileOpenMxf = 5007;
inline constexpr int kFileCreateBwf = 5008;
inline constexpr int kFileWriteBwf = 5009;  // a write to or the close of a BWF file failed
inline constexpr int kFileElement = 5010;   // an audio element is not where and what it must be
inline constexpr int kFileReadMxf = 5011;   // a read of the MXF file failed or came back short
inline constexpr int kFileTooLong = 5012;   // the range holds more data than a RIFF file can
}  // namespace export_codes

}  // namespace tavrin
