#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors (the engine and its
# tests a second time under AddressSanitizer + UndefinedBehaviorSanitizer) and runs every
# test. CTest's summary is the last line printed.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/setup/install-deps.sh"

build="$here/build/test"
jobs="$(nproc)"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTALLYFOLD_WERROR=ON -DTALLYFOLD_SANITIZED_TESTS=ON >/dev/null
cmake --build "$build" -j "$jobs"
cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 1500
