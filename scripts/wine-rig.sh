# Sourced by the test and run scripts: a private Xvfb display and a scratch
# Wine prefix. Wine runs as an unprivileged user, because as root it lets
# writes through to read-only files where Windows refuses them.
#   rig_start SCRATCH   sets QLX_SCRATCH, QLX_WINE_USER, DISPLAY, starts both
#   rig_wine ARGS...    runs a command in the prefix's environment, as the user
#   rig_wine_in PREFIX HOME ARGS...  the same in another prefix
#   rig_stop            ends the wineserver and the display

QLX_TEST_USER=${QLX_TEST_USER:-qlxtest}

rig_as_user() {
    if [ -n "$QLX_WINE_USER" ]; then
        runuser -u "$QLX_WINE_USER" -- "$@"
    else
        "$@"
    fi
}

rig_wine_in() {
    prefix=$1 home=$2
    shift 2
    rig_as_user env WINEPREFIX="$prefix" HOME="$home" \
        WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
        DISPLAY="$DISPLAY" QLX_SCRATCH="${QLX_SCRATCH:-}" "$@"
}

rig_wine() {
    rig_wine_in "$QLX_SCRATCH/prefix" "$QLX_SCRATCH/home" "$@"
}

rig_start_display() {
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -ac >/dev/null 2>&1 &
    QLX_XVFB_PID=$!
    export DISPLAY=":$n"
    i=0
    while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
}

rig_start() {
    QLX_SCRATCH="$1"
    QLX_WINE_USER=""
    if [ "$(id -u)" = 0 ]; then
        id "$QLX_TEST_USER" >/dev/null 2>&1 || useradd -m -s /bin/sh "$QLX_TEST_USER"
        QLX_WINE_USER="$QLX_TEST_USER"
    fi
    mkdir -p "$QLX_SCRATCH/home" "$QLX_SCRATCH/bin" "$QLX_SCRATCH/work" "$QLX_SCRATCH/payload-src"
    # The payload sources, where the Windows tests can compare against them.
    cp resources/payload/* build/win64/payload/* "$QLX_SCRATCH/payload-src/" 2>/dev/null
    # The built setups, whose resources the Windows tests read back.
    for tree in win32 win64; do
        mkdir -p "$QLX_SCRATCH/setups/$tree"
        cp "build/$tree/QuillarixSetup.exe" "$QLX_SCRATCH/setups/$tree/" 2>/dev/null
    done
    [ -n "$QLX_WINE_USER" ] && chown -R "$QLX_WINE_USER" "$QLX_SCRATCH"
    chmod 755 "$QLX_SCRATCH"
    export QLX_SCRATCH QLX_WINE_USER
    rig_start_display
    echo "wine rig: prefix $QLX_SCRATCH/prefix, display $DISPLAY, user ${QLX_WINE_USER:-$(id -un)}"
    (cd "$QLX_SCRATCH" && rig_wine wineboot --init >/dev/null 2>&1)
    rig_prepare_prefix
    # Let the first wineserver end by itself (it saves the registry then),
    # and keep a persistent one: each later process starts in ~0.1 s.
    # The end-to-end scenarios start from copies of the prefix as it is now.
    (cd "$QLX_SCRATCH" || exit 1
        rig_wine wineserver -w
        rig_as_user cp -a "$QLX_SCRATCH/prefix" "$QLX_SCRATCH/prefix-pristine"
        rig_wine wineserver -p
        rig_wine wine cmd /c exit >/dev/null 2>&1)
}

# What the location tests need and cannot make from inside Wine: a removable
# drive D: (Wine's drive table, read when wineserver starts) and a folder
# whose Linux permissions make Wine report it read-only.
rig_prepare_prefix() {
    rig_as_user mkdir -p "$QLX_SCRATCH/floppy" "$QLX_SCRATCH/prefix/drive_c/qlx-readonly"
    rig_as_user chmod 555 "$QLX_SCRATCH/prefix/drive_c/qlx-readonly"
    rig_as_user ln -sfn "$QLX_SCRATCH/floppy" "$QLX_SCRATCH/prefix/dosdevices/d:"
    (cd "$QLX_SCRATCH" &&
        rig_wine wine reg add 'HKLM\Software\Wine\Drives' /v 'd:' /d floppy /f >/dev/null 2>&1)
}

rig_stop() {
    [ -n "${QLX_SCRATCH:-}" ] && (cd "$QLX_SCRATCH" && rig_wine wineserver -k >/dev/null 2>&1)
    [ -n "${QLX_XVFB_PID:-}" ] && kill "$QLX_XVFB_PID" 2>/dev/null
    return 0
}
