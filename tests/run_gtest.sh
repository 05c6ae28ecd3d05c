#!/usr/bin/env bash
# Runs one Google Test program and passes only when every test in it ran and none failed. A program
# ending in .exe runs under Wine (script/wine-run), any other natively.
#
# A program that dies in the middle of a test (a crash, an X error that ends a Wine process, a
# failed check that aborts) does not hide the tests after it: the runner names the test that was
# running, counts it as failed, and starts the program again on the tests after it (the programs'
# main, tests/support/test_main.cpp, leaves out everything up to TANDREL_RESUME_AFTER). A Wine
# process that dies half-way can leave an exit code of 0 behind; without its summary it still fails.
# Usage: run_gtest.sh <test program> [arguments...]
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="$1"
name="$(basename "$program")"
launcher=()
case "$program" in
  *.exe) launcher=("$root/script/wine-run") ;;
esac

output="$(mktemp)"    # this attempt's output
everything="$(mktemp)"  # every attempt's
trap 'rm -f "$output" "$everything"' EXIT

# The test that started last in the output, when nothing says that it ended. (Programs under Wine
# end their lines with CR LF.)
test_left_running() {
  awk '
    { sub(/\r$/, "") }
    /^\[ RUN      \] / { running = $4; next }
    /^\[       OK \] |^\[  FAILED  \] |^\[  SKIPPED \] / { if ($4 == running) running = "" }
    END { print running }
  ' "$output"
}

# The test that started last in the output.
last_started() {
  awk '{ sub(/\r$/, "") } /^\[ RUN      \] / { last = $4 } END { print last }' "$output"
}

died_in=()
resume_after=""
failed=0
while :; do
  TANDREL_RESUME_AFTER="$resume_after" "${launcher[@]}" "$@" 2>&1 | tee "$output"
  status=${PIPESTATUS[0]}
  cat "$output" >>"$everything"
  if grep -aqE '^\[==========\] [0-9]+ tests? from [0-9]+ test suites? ran\.' "$output"; then
    if grep -aq '^\[  FAILED  \]' "$output"; then
      echo "run_gtest: $name reported failures" >&2
      failed=1
    fi
    if [ "$status" -ne 0 ] && [ "$failed" = 0 ]; then
      echo "run_gtest: $name exited with $status after its summary" >&2
      failed=1
    fi
    break
  fi
  failed=1
  running="$(test_left_running)"
  started="$(last_started)"
  if [ -z "$started" ] || [ "$started" = "$resume_after" ]; then
    echo "run_gtest: $name exited with $status before its first test ran" >&2
    break
  fi
  if [ -n "$running" ]; then
    died_in+=("$running")
    echo "run_gtest: $name died in $running (exit status $status); running the tests after it" >&2
  else
    echo "run_gtest: $name died after $started (exit status $status); running the tests after it" >&2
  fi
  resume_after="$started"
done

# One line per test that did not pass, over all attempts.
grep -a '^\[  FAILED  \] [^ ]* (' "$everything" | tr -d '\r' | awk '{ print $4 }' | sort -u | while read -r test; do
  echo "run_gtest: $name: $test failed" >&2
done
for test in "${died_in[@]}"; do
  echo "run_gtest: $name: $test failed: the program died in it" >&2
done
exit "$failed"
