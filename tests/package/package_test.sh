#!/usr/bin/env bash
# package_test.sh BUILD_DIR VERSION: makes the package of BUILD_DIR with CPack and checks it.
# Skips (77) when the Debian tools are missing, except under CI, where that is a failure.
set -uo pipefail
build="$1"
version="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in cpack dpkg-deb dpkg-shlibdeps lintian man; do
  if ! command -v "$tool" >/dev/null; then
    [ -n "${CI:-}" ] && fail "$tool is not installed"
    echo "skipped: $tool is not installed"; exit 77
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$(ls "$work"/out/*.deb 2>/dev/null | head -1)"
[ -f "$deb" ] || fail "no package was made"
case "$(basename "$deb")" in
  tallyfold_"$version"-1_*.deb) ;;
  *) fail "package file $(basename "$deb") does not carry version $version" ;;
esac

# What the package holds.
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
for f in ./usr/bin/tallyfold ./usr/bin/tallyfold-cli ./usr/share/applications/tallyfold.desktop \
         ./usr/share/icons/hicolor/scalable/apps/tallyfold.svg ./usr/share/tallyfold/help/index.html \
         ./usr/share/man/man1/tallyfold.1.gz ./usr/share/man/man1/tallyfold-cli.1.gz \
         ./usr/share/doc/tallyfold/copyright ./usr/share/doc/tallyfold/changelog.Debian.gz; do
  grep -qx "$f" "$work/contents" || fail "the package lacks $f"
done
depends="$(dpkg-deb -f "$deb" Depends)"
for d in libqt6widgets6 libzip4 libsodium23 libssl3 qt6-qpa-plugins; do
  grep -q "$d" <<<"$depends" || fail "Depends does not name $d: $depends"
done

# The programs from the unpacked tree, with no display.
root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
cli="$root/usr/bin/tallyfold-cli"
[ "$("$cli" --version)" = "tallyfold-cli $version" ] || fail "tallyfold-cli --version says: $("$cli" --version)"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/tallyfold" --version)" = "tallyfold $version" ] \
  || fail "tallyfold --version does not answer without a display"
"$cli" init "$work/data" >"$work/init.log" 2>&1 || { cat "$work/init.log"; fail "init failed"; }
"$cli" --data "$work/data" check >"$work/check.log" 2>&1 || { cat "$work/check.log"; fail "check of a new folder failed"; }

# The manual pages render without a warning and name every command the tool's help lists.
for page in tallyfold tallyfold-cli; do
  MANWIDTH=100 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" >"$work/$page.txt" 2>"$work/$page.err" \
    || fail "man -l $page failed"
  [ -s "$work/$page.err" ] && { cat "$work/$page.err"; fail "man -l $page warns"; }
  grep -q "^NAME" "$work/$page.txt" || fail "$page.1 has no NAME section"
done
"$cli" help | sed -n '/^Commands:/,/^$/p' | awk 'NF && $1 != "Commands:" {print $1}' >"$work/commands"
[ -s "$work/commands" ] || fail "the tool's help lists no command"
while read -r command; do
  grep -Eq "^ {7}$command( |$)" "$work/tallyfold-cli.txt" || fail "tallyfold-cli.1 does not describe '$command'"
done <"$work/commands"
for option in --data --help --version; do
  grep -q -- "$option" "$work/tallyfold.txt" || fail "tallyfold.1 does not describe $option"
done

# lintian: no errors (warnings are listed for the reader).
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1
status=$?
cat "$work/lintian.log"
[ "$status" = 0 ] || fail "lintian found errors"
echo "package $(basename "$deb") checked"
