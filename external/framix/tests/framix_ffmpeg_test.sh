#!/usr/bin/env bash
# Decodes FIXTURE's video with ffmpeg (one thread, BGR24) and runs the
# comparison test on it: framix_ffmpeg_test.sh AM4_VIDEO TEST FIXTURE
set -euo pipefail
am4_video=$1 test=$2 fixture=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wine "$am4_video" "Z:$fixture" "Z:$work/video.h264"
ffmpeg -loglevel error -threads 1 -i "$work/video.h264" -pix_fmt bgr24 -f rawvideo "$work/reference.bgr"
FRAMIX_REFERENCE="Z:$work/reference.bgr" wine "$test"
