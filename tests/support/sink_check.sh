#!/usr/bin/env bash
# Runs a command while recording the session's null sink (its monitor, 16-bit
# mono at 48000 samples/s), then a checker on the recording:
#   sink_check.sh COMMAND... -- CHECKER [ARGS...]
# The checker is called as CHECKER RECORDING 48000 ARGS...
set -euo pipefail
command=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do command+=("$1"); shift; done
shift
checker=$1
shift
record=$(mktemp --suffix=.raw)
trap 'rm -f "$record"' EXIT

parec -d null.monitor --latency-msec=20 --raw --format=s16le --rate=48000 --channels=1 >"$record" &
recorder=$!
sleep 0.3
status=0
"${command[@]}" || status=$?
sleep 0.5
kill -INT "$recorder"
wait "$recorder" 2>/dev/null || true
[ "$status" -eq 0 ] || { echo "${command[0]} failed ($status)"; exit 1; }
"$checker" "$record" 48000 "$@"
