#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Idempotent: packages already present are skipped, and apt is not touched at all
# when nothing is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev liblmdb-dev
  clang libclang-rt-14-dev
  qt6-base-dev libgl-dev
  xvfb xauth poppler-utils faketime libzip-dev fonts-dejavu-core
  libsodium-dev unzip python3
  libssl-dev openssl python3-aiosmtpd
  lintian man-db dpkg-dev file
  unrtf
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
