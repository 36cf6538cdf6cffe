#!/usr/bin/env bash
# Makes the pictures of the README's tour: the main windows on a demo company, and a sample
# invoice, statement and report printed to PDF by the tool and rendered as pictures.
#
#   bash docs/screenshots/make-screenshots.sh [--build DIR] [--out DIR] [--display N]
#
# --build  the build folder holding tallyfold-cli and tallyfold-screenshot-tour (build/dev by
#          default); the two are built there first when missing.
# --out    where the pictures go (this folder by default). They are written only when every one
#          was made, so a failed run leaves the previous set as it was.
# --display  the X display number of the virtual display; a free one is chosen without it.
#
# The demo company is made for a fixed day, and the windows run on a clock standing on that
# day, so running the script again gives the same pictures unless a window changed.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build="$root/build/dev"
out="$here"
display=""
# The demo's last day: its invoices run over the year before it, its aging is as of it. The
# tool runs with its clock on this day too (faketime), so a printed statement's date and ages
# and a report's heading read the same on every run.
demo_day=2026-11-30
# The virtual screen: the main window fills it, and invoice entry (1046 pixels wide) fits.
screen_size=1152x864x24
# Pictures of printed pages: legible at this resolution and small.
page_dpi=72

usage() { sed -n '2,/^set -e/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'; }

while (($#)); do
  case "$1" in
    --build) build=${2:?--build needs a folder}; shift 2 ;;
    --out) out=${2:?--out needs a folder}; shift 2 ;;
    --display) display=${2:?--display needs a number}; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "make-screenshots.sh: unknown argument $1" >&2; usage >&2; exit 2 ;;
  esac
done
if [[ -n "$display" && ! "$display" =~ ^[0-9]+$ ]]; then
  echo "make-screenshots.sh: --display takes a display number such as 62, not $display." >&2
  exit 2
fi

for tool in Xvfb pdftoppm faketime; do
  if ! command -v "$tool" >/dev/null; then
    echo "make-screenshots.sh: $tool is not installed (bash setup/install-deps.sh installs it)." >&2
    exit 3
  fi
done

cli="$build/app/tallyfold-cli"
tour="$build/app/tallyfold-screenshot-tour"
if [[ ! -x "$cli" || ! -x "$tour" ]]; then
  echo "Building tallyfold-cli and tallyfold-screenshot-tour in $build ..."
  if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build" --target tallyfold-cli tallyfold-screenshot-tour -j2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tallyfold-shots.XXXXXX")
xvfb_pid=""
cleanup() {
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# The virtual display: the number asked for, or one Xvfb finds free itself. Either way Xvfb
# writes the number to descriptor 3 once it is ready, and a number in use makes it stop.
Xvfb ${display:+":$display"} -displayfd 3 -screen 0 "$screen_size" -nolisten tcp \
  3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s "$work/display" ]] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
display=$(tr -dc '0-9' <"$work/display" 2>/dev/null || true)
if [[ -z "$display" ]] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
  echo "make-screenshots.sh: the virtual display did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi

# The same language, fonts and settings on every run, whatever the account has chosen.
export LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=UTC
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_STYLE_OVERRIDE

data="$work/demo"
shots="$work/shots"
mkdir -p "$shots"
# A build with the address sanitizer refuses a preloaded library ahead of its runtime; the
# clock library only answers the time calls, so the order does not matter here.
on_demo_day() {
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    faketime "$demo_day 10:00:00" "$@"
}
on_demo_day "$cli" demo "$data" --today "$demo_day" >"$work/demo.log" 2>&1 || {
  echo "make-screenshots.sh: the demo company could not be made:" >&2
  cat "$work/demo.log" >&2
  exit 1
}

echo "Taking the windows on display :$display ..."
DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$tour" --data "$data" --out "$shots" --today "$demo_day" >/dev/null || {
  echo "make-screenshots.sh: the tour of the windows failed; the pictures were left as they were." >&2
  exit 1
}

# A printed invoice, statement and report, as the tool writes them, first page each.
pages() {
  local name=$1
  shift
  on_demo_day "$cli" --data "$data" "$@" --pdf "$work/$name.pdf" >>"$work/print.log" 2>&1 || {
    echo "make-screenshots.sh: printing the $name failed:" >&2
    cat "$work/print.log" >&2
    exit 1
  }
  pdftoppm -png -r "$page_dpi" -singlefile "$work/$name.pdf" "$shots/$name"
  "$tour" --palette "$shots/$name.png"
}
# The invoice of the demo's day that invoice entry shows, the statement of the customer the
# Customer Manager shows, and the receivables by age.
pages sample-invoice print invoice 1270
pages sample-statement statements --customer 1005
pages sample-report report accounts-receivable

mkdir -p "$out"
cp "$shots"/*.png "$out"/
ls -l "$out"/*.png | awk '{ total += $5; n++ } END { printf "%d pictures, %.0f KB, in the output folder.\n", n, total / 1024 }'
