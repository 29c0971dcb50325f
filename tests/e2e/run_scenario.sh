#!/bin/sh
# Runs one end-to-end scenario: a fresh copy of the rig's pristine prefix,
# the driver starting the setup and following the scenario, then the
# scenario's host-side checks (NAME.check, if any). The transcript is shown
# on failure; screenshots land in build/screenshots as PNG. BITS is the
# setup's (32 or 64): a 32-bit setup on 64-bit Windows installs under
# "Program Files (x86)" and writes the machine keys' 32-bit view.
# The setup is started from a folder of its own, downloads/, as a user
# starts it from the browser's Downloads folder. A scenario whose first line
# is "# plant: NAME..." finds PLANTED_DIR/NAME.dll there for each NAME, with
# Wine told to prefer such native copies, as Windows does for every library
# that is not one of its known ones. A scenario with a line
# "# drive: LETTER SIZE" gets a small drive (see below); one with a line
# "# overrides: LIST" runs with those Wine library overrides.
#   run_scenario.sh SCENARIO.txt SETUP.EXE DRIVER.EXE SCREENSHOT_DIR BITS PLANTED_DIR
set -u
scenario="$1"; setup="$2"; driver="$3"; shots_out="$4"; bits="$5"; planted="$6"
case $bits in
    32) PROGRAM_FILES='C:\Program Files (x86)' ;;
    64) PROGRAM_FILES='C:\Program Files' ;;
    *) echo "run_scenario: BITS must be 32 or 64" >&2; exit 1 ;;
esac
name=$(basename "$scenario" .txt)
if [ -z "${QLX_SCRATCH:-}" ]; then
    echo "run the end-to-end scenarios through 'make test'" >&2
    exit 1
fi
. "$(dirname "$0")/../../scripts/wine-rig.sh"
dir="$QLX_SCRATCH/e2e/$name"
umount "$dir"/drive-* 2>/dev/null
rm -rf "$dir"
mkdir -p "$dir/home" "$dir/shots" "$dir/downloads"
cp "$driver" "$scenario" "$dir/"
cp "$setup" "$dir/downloads/"
plants=$(sed -n '1s/^# plant: //p' "$scenario")
for name in $plants; do
    cp "$planted/$name.dll" "$dir/downloads/"
done
QLX_DLL_OVERRIDES=""
[ -n "$plants" ] && QLX_DLL_OVERRIDES="$(echo $plants | tr ' ' ',')=n,b"
# "# overrides: LIST": Wine library overrides of the scenario's own, such as
# "rpcss.exe=d" (no COM server: no other process's class object answers).
overrides=$(sed -n 's/^# overrides: //p' "$scenario" | head -1)
[ -n "$overrides" ] && QLX_DLL_OVERRIDES="${QLX_DLL_OVERRIDES:+$QLX_DLL_OVERRIDES;}$overrides"
[ -n "$QLX_WINE_USER" ] && chown -R "$QLX_WINE_USER" "$QLX_SCRATCH/e2e"
rig_as_user cp -a "$QLX_SCRATCH/prefix-pristine" "$dir/prefix"
# Wine links the profile's Desktop (and Documents, ...) to $HOME: point the
# copy's links at this scenario's own home.
for link in "$dir"/prefix/drive_c/users/*/*; do
    [ -L "$link" ] && [ "$(readlink "$link")" = "$QLX_SCRATCH/home" ] &&
        rig_as_user ln -sfn "$dir/home" "$link"
done

# "# drive: LETTER SIZE": a drive of that size (a tmpfs, which only root
# may mount) as the scenario's LETTER:. Writes beyond its size fail as on a
# full disk. Without it the scenario cannot run: it is skipped, loudly.
drive=$(sed -n 's/^# drive: //p' "$scenario" | head -1)
if [ -n "$drive" ]; then
    letter=${drive%% *} size=${drive#* }
    mkdir -p "$dir/drive-$letter"
    if ! mount -t tmpfs -o "size=$size,uid=$(id -u "${QLX_WINE_USER:-root}"),mode=0755" tmpfs \
            "$dir/drive-$letter" 2>"$dir/mount.log"; then
        echo "SKIPPED $name: no small drive could be mounted ($(cat "$dir/mount.log"))"
        exit 77
    fi
    trap 'umount "$dir/drive-$letter" 2>/dev/null' EXIT
    rig_as_user ln -sfn "$dir/drive-$letter" "$dir/prefix/dosdevices/$letter:"
fi

# NAME.before, if any, prepares the scenario's prefix before the setup
# starts (exit code 77: the scenario is skipped); the processes it leaves
# running, listed in background.pids, are ended when the driver is done.
before="${scenario%.txt}.before"
if [ -f "$before" ]; then
    DIR="$dir" PREFIX="$dir/prefix" PLANTED="$planted" sh "$before"
    prepared=$?
    [ $prepared = 77 ] && { echo "SKIPPED $name: $(cat "$dir/skipped" 2>/dev/null)"; exit 77; }
    [ $prepared = 0 ] || { echo "$before failed ($prepared)"; exit 1; }
fi

run_in_prefix() { (cd "$dir" && rig_wine_in "$dir/prefix" "$dir/home" "$@"); }
run_in_prefix wine "$dir/$(basename "$driver")" "$(rig_winpath "$dir/$(basename "$scenario")")" \
    "$(rig_winpath "$dir/downloads/$(basename "$setup")")" "$(rig_winpath "$dir/transcript.txt")" \
    "$(rig_winpath "$dir/shots")" "$PROGRAM_FILES" "$bits"
status=$?
[ -f "$dir/background.pids" ] && kill $(cat "$dir/background.pids") 2>/dev/null
cat "$dir/transcript.txt" 2>/dev/null
run_in_prefix wineserver -k >/dev/null 2>&1
run_in_prefix wineserver -w >/dev/null 2>&1

check="${scenario%.txt}.check"
if [ $status = 0 ] && [ -f "$check" ]; then
    PREFIX="$dir/prefix" HOME_DIR="$dir/home" PROGRAM_FILES="$PROGRAM_FILES" sh "$check" ||
        status=1
fi
mkdir -p "$shots_out"
for bmp in "$dir"/shots/*.bmp; do
    [ -e "$bmp" ] && convert "$bmp" "$shots_out/$(basename "$bmp" .bmp).png"
done
# A prefix copy takes about 1 GB; only a failed scenario's is kept to look at.
[ $status = 0 ] && rm -rf "$dir/prefix"
exit $status
