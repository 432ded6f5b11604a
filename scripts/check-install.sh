#!/usr/bin/env bash
# Checks the program as installed, the way a desktop and a user meet it:
#   check-install.sh [BUILD_DIR]        installs BUILD_DIR (default build) into a
#                                       fresh temporary prefix and checks that
#   check-install.sh --prefix PREFIX    checks what is already installed there
# The menu entry and the metainfo must validate, the icons be in the hicolor
# theme, --help and --version answer without a display, and the program,
# started from another folder with SDL's dummy video driver, must find every
# picture and font and end cleanly when told to.
set -euo pipefail
app=org.veloquix.Veloquix

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ "${1:-}" = "--prefix" ]; then
  prefix=$(cd "$2" && pwd)
else
  build=$(cd "${1:-build}" && pwd)
  prefix=$scratch/prefix
  cmake --install "$build" --prefix "$prefix" >/dev/null
fi

fail() { echo "check-install: $*" >&2; exit 1; }

desktop-file-validate "$prefix/share/applications/$app.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" >"$scratch/appstream.log" ||
  { cat "$scratch/appstream.log" >&2; fail "the metainfo does not validate"; }
for size in 48 128 256 512; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  # The PNG header's width and height, big-endian, at bytes 16 to 23.
  read -r w h < <(od -An -tu1 -j16 -N8 "$icon" |
    awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$icon is ${w}x${h}"
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/$app.svg" ] || fail "no scalable icon"
for folder in res fonts; do
  [ -d "$prefix/share/veloquix/$folder" ] || fail "no share/veloquix/$folder"
done

program=$prefix/bin/veloquix
cd /
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 5 "$program" --version)
case "$version" in "veloquix "[0-9]*) ;; *) fail "--version said: $version" ;; esac
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 5 "$program" --help | grep -q "^Usage: veloquix" ||
  fail "--help gave no usage"

# Once it has started (its thumbnail folder is made) it is told to stop:
# SDL turns SIGTERM into a quit request, as closing the window would be.
VELOQUIX_HOME=$scratch/home SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$program" 2>"$scratch/stderr" &
pid=$!
for _ in $(seq 100); do
  if [ -d "$scratch/home/screen" ] || ! kill -0 "$pid" 2>/dev/null; then break; fi
  sleep 0.2
done
sleep 1
kill -TERM "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
if grep -E "not found|cannot open" "$scratch/stderr" >&2 || [ "$status" -ne 0 ]; then
  fail "the installed program, started from /, missed a file (above) or ended with status $status"
fi
[ -d "$scratch/home/screen" ] || fail "the installed program did not start"
echo "check-install: $prefix is complete; the program runs from / and finds its pictures and fonts"
