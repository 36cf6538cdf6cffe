#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the data folder
# (default: $XDG_DATA_HOME/tallyfold, created with starter files the first time).
# Usage: bash setup/run.sh [--data DIR]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/setup/install-deps.sh"

build="$here/build/release"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tallyfold-cli

data="${XDG_DATA_HOME:-$HOME/.local/share}/tallyfold"
if [ "${1:-}" = "--data" ] && [ -n "${2:-}" ]; then data="$2"; fi

cli="$build/app/tallyfold-cli"
"$cli" init "$data"
"$cli" --data "$data" help
