#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the data folder
# (default: $XDG_DATA_HOME/tallyfold, created with starter files the first time).
#
# Usage: bash setup/run.sh [--data DIR] [--xvfb] [--install-desktop-entry]
#   --data DIR               another data folder
#   --xvfb                   start it on a virtual display of its own (also TALLYFOLD_XVFB=1)
#   --install-desktop-entry  put a menu entry and its icon into ~/.local/share, then stop
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

data="${XDG_DATA_HOME:-$HOME/.local/share}/tallyfold"
xvfb="${TALLYFOLD_XVFB:-0}"
install_entry=0
while (($#)); do
  case "$1" in
    --data)
      if [ -z "${2:-}" ]; then echo "run.sh: --data needs a folder" >&2; exit 2; fi
      data="$2"; shift 2 ;;
    --xvfb) xvfb=1; shift ;;
    --install-desktop-entry) install_entry=1; shift ;;
    -h|--help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
  esac
done

# Without a display the program cannot open its window: say so before spending a build on it.
if [ "$install_entry" = 0 ] && [ "$xvfb" != 1 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<EOF
run.sh: there is no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).
Start it on a virtual display instead:

    bash setup/run.sh --xvfb          (installs what is missing, starts Xvfb and tells you its display)

or, once the packages are installed (the line above installs them),

    xvfb-run -a -s "-screen 0 1280x900x24" bash setup/run.sh

To look at a virtual display :N, take a picture of it with
    DISPLAY=:N import -window root tallyfold.png     (ImageMagick)
or attach a VNC viewer through "x11vnc -display :N".
EOF
  exit 3
fi

bash "$here/setup/install-deps.sh"

build="$here/build/release"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTALLYFOLD_BUILD_TESTS=OFF -DTALLYFOLD_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target tallyfold tallyfold-cli

gui="$build/app/tallyfold"
cli="$build/app/tallyfold-cli"

# First run: the starter folder. Later runs: init leaves every existing file alone.
"$cli" init "$data"

if [ "$install_entry" = 1 ]; then
  share="${XDG_DATA_HOME:-$HOME/.local/share}"
  mkdir -p "$share/applications" "$share/icons/hicolor/scalable/apps"
  install -m 0644 "$here/app/desktop/tallyfold.svg" "$share/icons/hicolor/scalable/apps/tallyfold.svg"
  sed "s|^Exec=.*|Exec=\"$gui\" --data \"$data\"|" "$here/app/desktop/tallyfold.desktop" \
    > "$share/applications/tallyfold.desktop"
  chmod 0644 "$share/applications/tallyfold.desktop"
  echo "Installed $share/applications/tallyfold.desktop and its icon (data folder $data)."
  exit 0
fi

if [ "$xvfb" = 1 ]; then
  command -v Xvfb >/dev/null || { echo "run.sh: Xvfb is not installed" >&2; exit 3; }
  n=99
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${n}" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X${n}" ] || { echo "run.sh: the virtual display :$n did not start" >&2; exit 3; }
  export DISPLAY=":$n"
  unset WAYLAND_DISPLAY
  echo "Running on the virtual display :$n. Look at it with"
  echo "    DISPLAY=:$n import -window root tallyfold.png    or    x11vnc -display :$n"
  "$gui" --data "$data"
else
  exec "$gui" --data "$data"
fi
