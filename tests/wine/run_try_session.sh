#!/usr/bin/env bash
# Runs a scripted session through the simulated client and fails when the client exits with an
# error or the session's output lacks the expected line.
# Usage: run_try_session.sh <wine-run> <client exe> <session file> <expected line>
set -uo pipefail
wine_run="$1" client="$2" session="$3" expected="$4"
output="$("$wine_run" "$client" <"$session")"
status=$?
printf '%s\n' "$output"
if [ "$status" -ne 0 ]; then
  echo "try session: the simulated client exited with $status" >&2
  exit 1
fi
grep -qF -- "$expected" <<<"$output" || { echo "try session: no line with '$expected'" >&2; exit 1; }
