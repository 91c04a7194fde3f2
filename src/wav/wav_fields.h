// Every field of WAV_FILE_INFO by its name, for the command line's JSON and for test output.
#pragma once

#include "wav/wav_records.h"

namespace tavrin {

// Calls visit(name, value) for each field in the record's order; values keep their types.
template <typename Visit>
void visit_wav_file_info(const WAV_FILE_INFO& info, Visit&& visit) {
  visit("format_tag", info.format_tag);
  visit("channels", info.channels);
  visit("sample_rate", info.sample_rate);
  visit("avg_bytes_per_sec", info.avg_bytes_per_sec);
  visit("block_align", info.block_align);
  visit("bytes_per_sample", info.bytes_per_sample);
  visit("bits_per_sample", info.bits_per_sample);
  visit("data_size", info.data_size);
  visit("data_offset", info.data_offset);
  visit("start_sample", info.start_sample);
  visit("end_sample", info.end_sample);
  visit("start_frame", info.start_frame);
  visit("end_frame", info.end_frame);
  visit("duration_frames", info.duration_frames);
  visit("start_subframe", info.start_subframe);
  visit("end_subframe", info.end_subframe);
  visit("start_remainder", info.start_remainder);
  visit("end_remainder", info.end_remainder);
  visit("is_bwf", info.is_bwf);
  visit("starts_in_hour_23", info.starts_in_hour_23);
  visit("data_available", info.data_available);
}

}  // namespace tavrin
