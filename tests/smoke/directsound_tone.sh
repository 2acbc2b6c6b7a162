#!/usr/bin/env bash
# Records the null sink's monitor while directsound_tone.exe plays 880 Hz for
# 1.5 s, then checks the recording holds that tone.
set -euo pipefail
player=$1 checker=$2
record=$(mktemp --suffix=.raw)
trap 'rm -f "$record"' EXIT

parec -d null.monitor --latency-msec=20 --raw --format=s16le --rate=48000 --channels=1 >"$record" &
recorder=$!
sleep 0.3
status=0
wine "$player" 880 1500 || status=$?
sleep 0.5
kill -INT "$recorder"
wait "$recorder" 2>/dev/null || true
[ "$status" -eq 0 ] || { echo "directsound_tone failed ($status)"; exit 1; }
"$checker" "$record" 48000 880 1.2
