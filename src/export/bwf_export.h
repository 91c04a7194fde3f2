// BWF export engines: the marked tracks of the loaded MXF file written out as mono BWF files over
// the export range, one file per track, with the time reference of the IN frame.
#pragma once

#include <cstdint>
#include <string>

#include "wrap/track_job.h"

namespace tavrin {

int export_bwf_by_mapping(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                          MXF_BASE_INFO* mxf);
int export_bwf_by_file_api(const std::string& mxfPath, AUDIOTRACK_IO_INFO* tracks,
                           MXF_BASE_INFO* mxf);
// Samples in the first n frames counted from midnight at the rate code's cadence.
uint64_t samples_before_frame(uint64_t n, uint32_t rateCode);

}  // namespace tavrin
