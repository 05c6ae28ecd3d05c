#!/usr/bin/env bash
# Runs the probe program through the runner and checks what a crash in one test must give: the run
# fails, names the test the program died in and the one that failed, and still runs the tests after it.
# Usage: check_resume.sh <run_gtest.sh> <probe program>
set -uo pipefail
output="$("$1" "$2" 2>&1)"
status=$?
printf '%s\n' "$output"
fail() { echo "check_resume: $1" >&2; exit 1; }
[ "$status" -ne 0 ] || fail "the run passed although a test died"
grep -qF 'died in Probe.Dies' <<<"$output" || fail "the test the program died in is not named"
grep -qF 'Probe.Dies failed: the program died in it' <<<"$output" || fail "the dead test is not listed"
grep -qF '[       OK ] Probe.AfterTheCrash' <<<"$output" || fail "the test after the crash did not run"
grep -qF 'Probe.FailsAfterTheCrash failed' <<<"$output" || fail "a failure after the crash is not listed"
[ "$(grep -c '^\[ RUN      \] Probe.BeforeTheCrash' <<<"$output")" = 1 ] || fail "a test ran twice"
echo "check_resume: ok"
