#!/usr/bin/env bash
# Checks what ships in dist/: both DLLs export exactly the client's entry points, import only
# Windows system DLLs and carry no time stamp; the Linux library exports exactly the same names,
# needs no library but the C library's, no newer glibc than 2.27 and has no unique symbols (which
# would keep it loaded after dlclose); the package holds package.ini and the three libraries, exactly
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

# The distributions the Linux client runs on: Ubuntu 18.04 and Debian 10 have glibc 2.27 and 2.28.
newest_glibc=2.27
# The C library and the parts of it that older glibc kept apart; no C++ runtime, no toolkit.
allowed_needed="libc.so.6 libm.so.6 libpthread.so.0 libdl.so.2"

check_linux_library() {
  local library="$1" dynamic symbols
  [ -f "$library" ] || { fail "$library is missing"; return; }
  grep -q 'Class:\s*ELF64' <<<"$(readelf -h "$library")" && grep -q 'Machine:\s*Advanced Micro Devices X86-64' <<<"$(readelf -h "$library")" ||
    fail "$library is not a 64-bit x86 ELF library"
  dynamic="$(readelf -W -d "$library")" || { fail "cannot read $library"; return; }
  symbols="$(readelf -W --dyn-syms "$library")"

  local exports
  # Defined symbols that another module can bind to: global or weak, any section but UND.
  exports="$(awk '$5 == "GLOBAL" || $5 == "WEAK" || $5 == "UNIQUE"' <<<"$symbols" | awk '$7 != "UND" {sub(/@.*/, "", $8); print $8}' | sort -u)"
  diff <(echo "$exports") "$here/expected_exports.txt" >/dev/null ||
    fail "$library exports differ from the client's entry points: $(diff <(echo "$exports") "$here/expected_exports.txt" | grep '^[<>]' | head -5 | tr '\n' ' ')"
  [ "$(grep -c . <<<"$exports")" = 111 ] || fail "$library exports $(grep -c . <<<"$exports") names, not 111"

  local needed
  for needed in $(sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' <<<"$dynamic"); do
    grep -qw -- "$needed" <<<"$allowed_needed" || fail "$library needs $needed, which a client's system may lack"
  done
  grep -q '(NEEDED).*libc\.so\.6' <<<"$dynamic" || fail "$library does not name the C library it uses"

  local newest
  newest="$(grep -o 'GLIBC_[0-9][0-9.]*' <<<"$symbols" | sed 's/GLIBC_//' | sort -V | tail -n 1)"
  [ -n "$newest" ] || fail "$library requires no glibc version at all: the symbol versions were not read"
  if [ -n "$newest" ] && [ "$(printf '%s\n%s\n' "$newest" "$newest_glibc" | sort -V | tail -n 1)" != "$newest_glibc" ]; then
    fail "$library needs glibc $newest, newer than $newest_glibc: $(grep "GLIBC_$newest" <<<"$symbols" | awk '{print $8}' | tr '\n' ' ')"
  fi
  grep -q ' UNIQUE ' <<<"$symbols" &&
    fail "$library has unique symbols, which keep it loaded after dlclose: $(grep ' UNIQUE ' <<<"$symbols" | awk '{print $8}' | head -5 | tr '\n' ' ')"
  grep -q 'NODELETE' <<<"$dynamic" && fail "$library is marked never to be unloaded (NODELETE)"
  grep -q 'TEXTREL' <<<"$dynamic" && fail "$library has text relocations"
}
check_linux_library "$dist/TandrelPlugin_linux_amd64.so"

package="$dist/TandrelPlugin.ts3_plugin"
if [ ! -f "$package" ]; then
  fail "$package is missing"
else
  entries="$(unzip -Z1 "$package")"
  [ "$entries" = "$(printf 'package.ini\nplugins/TandrelPlugin_win32.dll\nplugins/TandrelPlugin_win64.dll\nplugins/TandrelPlugin_linux_amd64.so')" ] ||
    fail "package entries are: $(echo $entries)"
  unzip -Zv "$package" | grep 'compression method:' | grep -vq 'deflated' && fail "package entries are not all deflated"
  expected_ini=$'Name = Tandrel Plugin\nType = Plugin\nAuthor = Orvelle\nVersion = 1.0\nPlatforms = win32, win64, linux_amd64\nDescription = "Tandrel TeamSpeak plugin"'
  [ "$(unzip -p "$package" package.ini | tr -d '\r')" = "$expected_ini" ] || fail "package.ini reads: $(unzip -p "$package" package.ini)"
  for library in TandrelPlugin_win32.dll TandrelPlugin_win64.dll TandrelPlugin_linux_amd64.so; do
    unzip -p "$package" "plugins/$library" | cmp -s - "$dist/$library" ||
      fail "the package's $library differs from dist/"
  done
fi

if [ "$failures" -gt 0 ]; then
  echo "release check: $failures problem(s)" >&2
  exit 1
fi
echo "release check: both DLLs, the Linux library and the package are as they ship"
