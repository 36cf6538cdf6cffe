#!/usr/bin/env bash
# Builds the Debian package from a Release build of this tree: installs what is missing, builds
# the two programs and the manual pages (no tests, no benchmarks) in build/package, makes the
# package with CPack and checks it with lintian. Prints the package's path last.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/setup/install-deps.sh"

build="$here/build/package"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTALLYFOLD_BUILD_TESTS=OFF -DTALLYFOLD_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB -B "$build/deb" >/dev/null)
deb="$(ls -t "$build"/deb/*.deb | head -1)"
lintian --fail-on error "$deb" || { echo "package.sh: lintian found errors in $deb" >&2; exit 1; }
echo "$deb"
