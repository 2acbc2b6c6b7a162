#!/usr/bin/env bash
# Runs am4info on FILE under Wine and compares its output and exit status
# ("exit=N" as a last line) with EXPECTED.
set -u
tool=$1 file=$2 expected=$3
actual=$( (wine "$tool" "$file"; echo "exit=$?") | tr -d '\r')
diff <(echo "$actual") "$expected"
