#!/usr/bin/env bash
# Makes a Wine prefix for the settings-window suites: the given system DPI, and windows that Wine
# manages itself (the virtual display has no window manager, which would make every hide wait for
# a withdraw notice that never comes).
#   prepare_prefix.sh <prefix folder> <dpi>
set -euo pipefail
prefix="$1"
dpi="$2"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
export TANDREL_WINEPREFIX="$prefix"
"$root/script/wine-run" --init-prefix
"$root/script/wine-run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
"$root/script/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
WINEPREFIX="$prefix" wineserver -w
