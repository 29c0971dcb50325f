#!/bin/sh
# Starts the setup under Wine in a private prefix under build/run: the i686
# build, the product, where this machine is measured to run 32-bit Windows
# programs, else the x86_64 build (and says so). On the user's display when
# there is one; otherwise on a private Xvfb display, saving a screenshot to
# build/run/screen.png once the location dialog is up, then ending the setup.
set -u
cd "$(dirname "$0")/.."
. scripts/wine-rig.sh
run=$PWD/build/run
mkdir -p "$run/home"
QLX_WINE_USER=""  # the user's own prefix, run as the user
in_run() { rig_wine_in "$run/prefix" "$run/home" "$@"; }

choose_setup() {
    rig_choose_loader "$QLX_WINE32_LOADER" "$run/wine64-only"
    [ -d "$run/prefix" ] || in_run wineboot --init >/dev/null 2>&1
    [ -z "$QLX_WINE_BIN" ] && in_run wine build/win32/bitness.exe >/dev/null 2>&1
    if [ $? = 32 ]; then
        setup=$PWD/build/win32/QuillarixSetup.exe bits=32 programs='C:\Program Files (x86)'
    else
        echo "this machine cannot run 32-bit code: running the x86_64 setup instead"
        setup=$PWD/build/win64/QuillarixSetup.exe bits=64 programs='C:\Program Files'
    fi
    echo "running $setup"
}

if [ -n "${DISPLAY:-}" ]; then
    choose_setup
    in_run wine "$setup"
    exit 0
fi

# Headless: the end-to-end driver starts the setup, waits for the location
# dialog and saves the screen; then the setup is ended.
rig_start_display
trap 'in_run wineserver -k >/dev/null 2>&1; kill "$QLX_XVFB_PID" 2>/dev/null' EXIT INT TERM
choose_setup
printf 'expect location\nscreenshot screen\n' > "$run/show.txt"
in_run wine build/win64/driver.exe "$(rig_winpath "$run/show.txt")" "$(rig_winpath "$setup")" \
    "$(rig_winpath "$run/transcript.txt")" "$(rig_winpath "$run")" "$programs" "$bits"
convert "$run/screen.bmp" "$run/screen.png" && rm -f "$run/screen.bmp" &&
    echo "screenshot: build/run/screen.png"
