#!/usr/bin/env bash
# Records the null sink's monitor while sound_manager_play.exe plays a
# fixture's sound, then checks the tones that came out.
#   sound_manager_tones.sh PLAYER FIXTURE UNMUTE_MS TONE_SEQUENCE [CHECK ARGS...]
set -euo pipefail
player=$1 fixture=$2 unmute_ms=$3 checker=$4
shift 4
record=$(mktemp --suffix=.raw)
trap 'rm -f "$record"' EXIT

parec -d null.monitor --latency-msec=20 --raw --format=s16le --rate=48000 --channels=1 >"$record" &
recorder=$!
sleep 0.3
status=0
wine "$player" "$fixture" "$unmute_ms" || status=$?
sleep 0.3
kill -INT "$recorder"
wait "$recorder" 2>/dev/null || true
[ "$status" -eq 0 ] || { echo "sound_manager_play failed ($status)"; exit 1; }
"$checker" "$record" 48000 "$@"
