#!/usr/bin/env bash
# Decode rate of framix.dll against ffmpeg on one thread, same H.264 stream,
# same run: a 60 s 720 x 576 file at 25 pictures/s, groups of 10.
#   external/framix/bench/framix_bench.sh   (after scripts/build; BUILD_DIR as for scripts/build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${BUILD_DIR:-$root/build}
bin=$build/win/bin
rounds=${ROUNDS:-5}
source "$root/scripts/session.sh"
session_start

work=$(mktemp -d)
trap 'rm -rf "$work"; session_stop' EXIT
BUILD_DIR=$build "$root/tools/make_am4" --seconds 60 --size 720x576 --fps 25 --group 10 -o "$work/bench.am4"
wine "$bin/am4_video.exe" "Z:$work/bench.am4" "Z:$work/bench.h264"

# Turns alternate so that other load on the machine falls on both alike;
# the best turn of each counts. ffmpeg's figure is its own timing of its
# decode loop (rtime), framix_bench's excludes Wine's start-up likewise.
ffmpeg_best= framix_best=0
for _ in $(seq $rounds); do
  t=$(ffmpeg -hide_banner -benchmark -threads 1 -i "$work/bench.h264" -pix_fmt bgr24 -f null - 2>&1 |
      sed -n 's/.*rtime=\([0-9.]*\)s.*/\1/p')
  if [ -z "$ffmpeg_best" ] || awk "BEGIN{exit !($t < $ffmpeg_best)}"; then ffmpeg_best=$t; fi
  report=$(wine "$bin/framix_bench.exe" "Z:$work/bench.am4" | tr -d '\r')
  rate=$(sed -n 's/^framix_pictures_per_s //p' <<<"$report")
  if awk "BEGIN{exit !($rate > $framix_best)}"; then framix_best=$rate; fi
done
pictures=$(sed -n 's/^pictures //p' <<<"$report")
conversion=$(sed -n 's/^conversion_pictures_per_s //p' <<<"$report")
awk -v n="$pictures" -v t="$ffmpeg_best" -v f="$framix_best" -v c="$conversion" 'BEGIN {
  r = n / t
  printf "pictures            %d\n", n
  printf "ffmpeg -threads 1   %.1f pictures/s\n", r
  printf "framix.dll          %.1f pictures/s\n", f
  printf "ratio framix/ffmpeg %.2f\n", f / r
  printf "(I420 to BGR alone  %.1f pictures/s)\n", c
}'
