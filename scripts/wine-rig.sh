# Sourced by the test and run scripts: a private Xvfb display and a scratch
# Wine prefix. Wine runs as an unprivileged user, because as root it lets
# writes through to read-only files where Windows refuses them.
#   rig_choose_loader LOADER32 BIN  measures whether Wine's 32-bit loader runs
#                           here; sets QLX_WINE_BIN (see below)
#   rig_start SCRATCH TREE  sets QLX_SCRATCH, QLX_WINE_USER, DISPLAY, starts
#                           both, for the tests of build/TREE (win32, win64)
#   rig_runs_i686       true when the prefix runs 32-bit Windows programs
#   rig_wine ARGS...    runs a command in the prefix's environment, as the user
#   rig_wine_in PREFIX HOME ARGS...  the same in another prefix
#   (QLX_DLL_OVERRIDES, if set, is added to Wine's library overrides)
#   rig_winpath PATH    the Linux PATH as a Windows path on Wine's Z: drive
#   rig_stop            ends the wineserver and the display
# A prefix made with wine32 installed has the WoW64 layout and runs both
# 32-bit and 64-bit programs; each tree's tests get a rig of their own, so
# the two can run side by side.

QLX_TEST_USER=${QLX_TEST_USER:-qlxtest}
QLX_WINE32_LOADER=/usr/lib/wine/wine
QLX_WINE64_LOADER=/usr/lib/wine/wine64

# Where wine32 is installed, Debian's `wine` starts the 32-bit loader for
# every program, 64-bit ones included, and `wineboot`, `winecfg` and the
# like go through `wine-stable`, the same script. On a machine whose kernel
# cannot run 32-bit code that loader fails ("Exec format error") and no Wine
# command runs at all. Measured here, not assumed: where LOADER32 exists and
# cannot even tell its version, BIN gets a `wine` and a `wine-stable` that
# start the 64-bit loader, and QLX_WINE_BIN names BIN; every Wine command of
# the rig then finds them first on its PATH (programs started by name, such
# as `reg` and `cmd`, included; `wineserver` picks the 64-bit server by
# itself). Elsewhere QLX_WINE_BIN is empty and Wine runs as installed.
rig_choose_loader() {  # LOADER32 BIN
    QLX_WINE_BIN=""
    if [ -e "$1" ] && ! "$1" --version >/dev/null 2>&1; then
        mkdir -p "$2"
        for name in wine wine-stable; do
            printf '#!/bin/sh\nWINELOADER=%s exec %s "$@"\n' \
                "$QLX_WINE64_LOADER" "$QLX_WINE64_LOADER" > "$2/$name"
            chmod 755 "$2/$name"
        done
        chmod 755 "$2"
        QLX_WINE_BIN=$2
        echo "*** Wine's 32-bit loader $1 cannot run on this machine: every Wine" \
            "command goes to the 64-bit loader, and no 32-bit program runs ***"
    fi
    export QLX_WINE_BIN
}

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
    path=$PATH
    [ -n "${QLX_WINE_BIN:-}" ] && path=$QLX_WINE_BIN:$PATH
    # LANG: Wine decodes its Unix-side arguments in the Unix locale; names
    # such as "Łukasz 田中" arrive whole only in a UTF-8 one. A signing
    # password exported for a signed build stays out of every Windows
    # program the tests start.
    rig_as_user env -u QLX_SIGN_PASSWORD PATH="$path" LANG=C.UTF-8 WINEPREFIX="$prefix" HOME="$home" WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${QLX_DLL_OVERRIDES:+;$QLX_DLL_OVERRIDES}" \
        DISPLAY="$DISPLAY" QLX_SCRATCH="${QLX_SCRATCH:-}" "$@"
}

# A Linux path as Wine's Z: drive shows it.
rig_winpath() { echo "Z:$1" | tr / '\\'; }

rig_wine() {
    rig_wine_in "$QLX_SCRATCH/prefix" "$QLX_SCRATCH/home" "$@"
}

# A private Xvfb screen; Xvfb itself picks a free display number and
# reports it, so that several rigs can start at the same time.
rig_start_display() {
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -ac 3>"$number_file" >/dev/null 2>&1 &
    QLX_XVFB_PID=$!
    i=0
    while [ ! -s "$number_file" ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i + 1)); done
    export DISPLAY=":$(cat "$number_file")"
    rm -f "$number_file"
}

# The unprivileged user that runs Wine when the tests are started as root.
rig_user() {
    QLX_WINE_USER=""
    if [ "$(id -u)" = 0 ]; then
        id "$QLX_TEST_USER" >/dev/null 2>&1 || useradd -m -s /bin/sh "$QLX_TEST_USER"
        QLX_WINE_USER="$QLX_TEST_USER"
    fi
}

rig_start() {
    QLX_SCRATCH="$1"
    tree="$2"
    rig_user
    mkdir -p "$QLX_SCRATCH/home" "$QLX_SCRATCH/bin" "$QLX_SCRATCH/work" "$QLX_SCRATCH/payload-src"
    # The payload sources, where the Windows tests can compare against them.
    cp resources/payload/* "build/$tree/payload/"* "$QLX_SCRATCH/payload-src/" 2>/dev/null
    # The built setups, whose resources the Windows tests read back.
    for built in win32 win64; do
        mkdir -p "$QLX_SCRATCH/setups/$built"
        cp "build/$built/QuillarixSetup.exe" "$QLX_SCRATCH/setups/$built/" 2>/dev/null
    done
    [ -n "$QLX_WINE_USER" ] && chown -R "$QLX_WINE_USER" "$QLX_SCRATCH"
    chmod 755 "$QLX_SCRATCH"
    export QLX_SCRATCH QLX_WINE_USER
    rig_start_display
    echo "wine rig ($tree): prefix $QLX_SCRATCH/prefix, display $DISPLAY, user ${QLX_WINE_USER:-$(id -un)}"
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
        rig_wine wine reg add 'HKLM\Software\Wine\Drives' /v 'd:' /d floppy /f /reg:64 >/dev/null 2>&1)
}

# Measured, not assumed: runs the i686 build of a tiny program that exits
# with its pointer width. Without a 32-bit capable kernel, or without
# wine32, it cannot run at all.
rig_runs_i686() {
    [ -z "${QLX_WINE_BIN:-}" ] || return 1
    probe="$QLX_SCRATCH/bin/bitness32.exe"
    cp build/win32/bitness.exe "$probe" 2>/dev/null && chmod 755 "$probe" || return 1
    (cd "$QLX_SCRATCH" && rig_wine wine "$probe" >/dev/null 2>&1)
    [ $? = 32 ]
}

rig_stop() {
    [ -n "${QLX_SCRATCH:-}" ] && (cd "$QLX_SCRATCH" && rig_wine wineserver -k >/dev/null 2>&1)
    [ -n "${QLX_XVFB_PID:-}" ] && kill "$QLX_XVFB_PID" 2>/dev/null
    return 0
}
