#!/usr/bin/env bash
# Configures the tree with deployment values other than the defaults and checks, by compiling against
# the generated header, that exactly those values reach the code.
# Usage: check_generated_values.sh <source dir> <c++ compiler>
set -euo pipefail
source_dir="${1:?usage: check_generated_values.sh <source dir> <c++ compiler>}"
compiler="${2:?usage: check_generated_values.sh <source dir> <c++ compiler>}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

cmake -S "$source_dir" -B "$scratch" -DTANDREL_BUILD_TESTS=OFF \
  -DTANDREL_BOT_UID=abcdefghijklmnopqrstuvwxyz0= "-DTANDREL_ADMIN_GROUP_IDS=12;15" >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log"; echo "deployment: configure with custom values failed" >&2; exit 1; }

cat >"$scratch/check.cpp" <<'CPP'
#include <string_view>
#include "deployment_config.h"
static_assert(tandrel::ADMIN_GROUP_IDS[0] == 12, "first admin group");
static_assert(tandrel::ADMIN_GROUP_IDS[1] == 15, "second admin group");
static_assert(std::string_view(tandrel::BOT_UID) == "abcdefghijklmnopqrstuvwxyz0=", "bot uid");
CPP
"$compiler" -std=c++17 -fsyntax-only -I"$scratch/generated" "$scratch/check.cpp"
echo "deployment: 12;15 and the custom bot UID reach the generated header"
