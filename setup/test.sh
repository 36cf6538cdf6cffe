#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test.
# The plain-C++ libraries and their GoogleTest programs are compiled once, under
# AddressSanitizer + UndefinedBehaviorSanitizer; the Qt forms, their tests and the programs are
# compiled plain and link them. Compiles go through ccache (installed with the rest, cache in
# its default place), so a later run, from this folder or a fresh clone elsewhere, compiles
# only what changed. CTest's summary is the last line printed.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/setup/install-deps.sh"

build="$here/build/test"
jobs="$(nproc)"
# Line tables (-g1) are all a sanitizer report or a backtrace from a failed test needs; full
# debug information would cost a fifth more compile time here.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DTALLYFOLD_WERROR=ON -DTALLYFOLD_SANITIZED_TESTS=ON >/dev/null
cmake --build "$build" -j "$jobs"
cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 1500
