#!/usr/bin/env bash
# Checks what ships in dist/: both DLLs export exactly the client's entry points, import only
# Windows system DLLs and carry no time stamp; the package holds package.ini and both DLLs, exactly
# as built. Usage: check_release.sh <dist folder>
set -uo pipefail
dist="${1:?usage: check_release.sh <dist folder>}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
failures=0

# A first run of the native suites may come before script/build has filled dist/: say so and report
# the check as skipped (77). script/test builds dist/ first and sets TANDREL_REQUIRE_DIST, so there a
# missing dist/ fails.
if [ ! -d "$dist" ] && [ "${TANDREL_REQUIRE_DIST:-0}" != 1 ]; then
  echo "release check: $dist has not been built yet; run script/build first, then ctest again" >&2
  exit 77
fi
fail() { echo "release check: $*" >&2; failures=$((failures + 1)); }

system_dlls="kernel32.dll user32.dll gdi32.dll shell32.dll msvcrt.dll advapi32.dll"

check_dll() {
  local dll="$1" triple="$2" format="$3" headers
  [ -f "$dll" ] || { fail "$dll is missing"; return; }
  headers="$("$triple-objdump" -p "$dll")" || { fail "cannot read $dll"; return; }
  grep -q "file format $format" <<<"$("$triple-objdump" -f "$dll")" || fail "$dll is not $format"

  local exports
  exports="$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | sed -n 's/^\s*\[ *[0-9]*\] \(\S*\)$/\1/p' | sort)"
  diff <(echo "$exports") "$here/expected_exports.txt" >/dev/null ||
    fail "$dll exports differ from the client's entry points: $(diff <(echo "$exports") "$here/expected_exports.txt" | grep '^[<>]' | head -5 | tr '\n' ' ')"
  [ "$(grep -c . <<<"$exports")" = 111 ] || fail "$dll exports $(grep -c . <<<"$exports") names, not 111"

  local imported
  for imported in $(sed -n 's/^\s*DLL Name: \(\S*\)$/\1/p' <<<"$headers"); do
    grep -qw "${imported,,}" <<<"$system_dlls" || fail "$dll imports $imported, which is not part of Windows"
  done
  grep -qi pthread <<<"$headers" && fail "$dll refers to pthread functions"
  grep -q 'Time/Date\s*Thu Jan  1 00:00:00 1970' <<<"$headers" || fail "$dll carries a time stamp"
}

check_dll "$dist/TandrelPlugin_win32.dll" i686-w64-mingw32 pei-i386
check_dll "$dist/TandrelPlugin_win64.dll" x86_64-w64-mingw32 pei-x86-64

package="$dist/TandrelPlugin.ts3_plugin"
if [ ! -f "$package" ]; then
  fail "$package is missing"
else
  entries="$(unzip -Z1 "$package")"
  [ "$entries" = "$(printf 'package.ini\nplugins/TandrelPlugin_win32.dll\nplugins/TandrelPlugin_win64.dll')" ] ||
    fail "package entries are: $(echo $entries)"
  unzip -Zv "$package" | grep 'compression method:' | grep -vq 'deflated' && fail "package entries are not all deflated"
  expected_ini=$'Name = Tandrel Plugin\nType = Plugin\nAuthor = Orvelle\nVersion = 1.0\nPlatforms = win32, win64\nDescription = "Tandrel TeamSpeak plugin"'
  [ "$(unzip -p "$package" package.ini | tr -d '\r')" = "$expected_ini" ] || fail "package.ini reads: $(unzip -p "$package" package.ini)"
  for arch in win32 win64; do
    unzip -p "$package" "plugins/TandrelPlugin_$arch.dll" | cmp -s - "$dist/TandrelPlugin_$arch.dll" ||
      fail "the package's TandrelPlugin_$arch.dll differs from dist/"
  done
fi

if [ "$failures" -gt 0 ]; then
  echo "release check: $failures problem(s)" >&2
  exit 1
fi
echo "release check: both DLLs and the package are as they ship"
