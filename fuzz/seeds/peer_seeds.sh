#!/usr/bin/env bash
# Writes small MXF and WAV files with ffmpeg (an independent writer) into DIR for the seed corpus.
# Without ffmpeg the folder stays empty and the corpus holds the fixture writers' files only.
set -u
dir="$1"
mkdir -p "$dir"
command -v ffmpeg >/dev/null 2>&1 || exit 0
ff() { ffmpeg -v error -y -nostdin "$@" || echo "peer_seeds: ffmpeg failed for ${*: -1}" >&2; }
video() { echo "-f lavfi -i testsrc=size=$1:rate=$2:duration=$3"; }
tone="-f lavfi -i sine=frequency=1000:sample_rate=48000"
# MPEG-2 422 with two 24-bit tracks, 29.97 drop frame and 25 frames per second.
ff $(video 352x288 30000/1001 0.2) $tone -t 0.2 -map 0:v -map 1:a -map 1:a \
  -c:v mpeg2video -pix_fmt yuv422p -b:v 2M -c:a pcm_s24le -timecode '10:00:00;00' \
  -f mxf "$dir/mpeg2_2997.mxf"
ff $(video 352x288 25 0.2) $tone -t 0.2 -map 0:v -map 1:a \
  -c:v mpeg2video -pix_fmt yuv422p -b:v 2M -c:a pcm_s16le -f mxf "$dir/mpeg2_25.mxf"
# WAV and BWF files: mono 24-bit, stereo 16-bit, and a BWF with a time reference.
ff $tone -t 0.05 -c:a pcm_s24le "$dir/mono24.wav"
ff $tone -t 0.05 -ac 2 -c:a pcm_s16le "$dir/stereo16.wav"
ff $tone -t 0.05 -c:a pcm_s24le -write_bext 1 -metadata time_reference=1728000000 \
  "$dir/bwf24.wav"
exit 0
