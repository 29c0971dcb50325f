#!/bin/sh
# Starts build/win64/QuillarixSetup.exe under wine64 in a private prefix
# under build/run. On the user's display when there is one; otherwise on a
# private Xvfb display, saving a screenshot to build/run/screen.png after a
# few seconds and then ending the setup.
set -u
cd "$(dirname "$0")/.."
. scripts/wine-rig.sh
run=$PWD/build/run
mkdir -p "$run/home"
QLX_WINE_USER=""  # the user's own prefix, run as the user
in_run() { rig_wine_in "$run/prefix" "$run/home" "$@"; }
setup=$PWD/build/win64/QuillarixSetup.exe

if [ -n "${DISPLAY:-}" ]; then
    [ -d "$run/prefix" ] || in_run wineboot --init >/dev/null 2>&1
    in_run wine "$setup"
    exit 0
fi

rig_start_display
trap 'in_run wineserver -k >/dev/null 2>&1; kill "$QLX_XVFB_PID" 2>/dev/null' EXIT INT TERM
[ -d "$run/prefix" ] || in_run wineboot --init >/dev/null 2>&1
in_run wine "$setup" &
sleep 6
import -display "$DISPLAY" -window root "$run/screen.png" && echo "screenshot: build/run/screen.png"
