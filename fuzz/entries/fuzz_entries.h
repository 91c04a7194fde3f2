// What each fuzz target does with one input, kept apart from libFuzzer so that the regression test
// replays every stored finding through exactly the same code with the normal compiler. Each entry
// takes arbitrary bytes and must return: no crash, no read out of bounds, no loop without end, no
// leak, no allocation the input cannot justify.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin::fuzz {

// The whole analysis of an MXF file held in memory, timecode verification included, and for a
// file that loads the "< MXF情報 >" block and the LTC error log built from its records. Inputs of
// odd length verify through positioned reads, even ones through views.
void analyse_mxf_bytes(const uint8_t* data, size_t size);

// The first byte chooses the loaded file's grid (rate code, drop flag; codes above 7 included),
// the rest is a WAV file: read with read_wav_file_info, placed on the grid, and for an accepted
// file the library entry's texts.
void read_wav_bytes(const uint8_t* data, size_t size);

// Random records (the MXF records, the error list, the job record with its WAV entries, any rate
// and fps codes, any local time, any path bytes) through every log and text builder, and the
// pieces through the conversion to Shift_JIS the log writer makes.
void build_log_texts(const uint8_t* data, size_t size);

}  // namespace tavrin::fuzz
