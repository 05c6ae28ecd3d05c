#!/usr/bin/env bash
# Runs one Google Test program under Wine and passes only when the program exited with 0, printed its
# closing summary, and reported no failure. A Wine process that dies half-way can leave an exit code
# of 0 behind; without its summary it still fails here.
# Usage: run_gtest.sh <test program> [arguments...]
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
output="$(mktemp)"
trap 'rm -f "$output"' EXIT
"$root/script/wine-run" "$@" 2>&1 | tee "$output"
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  echo "run_gtest: $(basename "$1") exited with $status" >&2
  exit 1
fi
if ! grep -aqE '^\[==========\] [0-9]+ tests? from [0-9]+ test suites? ran\.' "$output"; then
  echo "run_gtest: $(basename "$1") ended without its summary" >&2
  exit 1
fi
if grep -aq '^\[  FAILED  \]' "$output"; then
  echo "run_gtest: $(basename "$1") reported failures" >&2
  exit 1
fi
