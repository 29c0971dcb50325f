#!/bin/sh
# The application manifests (resource type 24, id 1), read back from a built
# setup and from the programs it carries: all three run as their invoker,
# named (the setup and the uninstaller start an elevated copy of themselves
# where they need one), the setup and the uninstaller run in UTF-8 and are
# per-monitor DPI aware, and all three name Windows Vista to 11 as supported.
#   check_manifests.sh SETUP.EXE SZDD_TOOL ADMIN_MANIFEST APP_MANIFEST UNINSTALLER_ID MAIN_EXE_ID
set -u
exe="$1"; szdd="$2"; admin="$3"; app="$4"; uninstaller_id="$5"; main_id="$6"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
carried() {  # id, file: a program the setup carries, expanded
    wrestool -x --raw --type=FILE --name="$1" "$exe" > "$2.szdd" && "$szdd" expand "$2.szdd" "$2"
}
carried "$uninstaller_id" "$work/uninstaller.exe" || { echo "no uninstaller carried"; fail=1; }
carried "$main_id" "$work/quillarix.exe" || { echo "no Quillarix.exe carried"; fail=1; }
check() {  # program, manifest file it must carry, level
    program=$1 expected=$2 level=$3
    manifest="$work/$(basename "$program").manifest"
    if ! wrestool -x --raw --type=24 --name=1 "$program" > "$manifest" 2>/dev/null || [ ! -s "$manifest" ]; then
        echo "$program: no manifest"; fail=1; return
    fi
    cmp -s "$manifest" "$expected" || { echo "$program: the manifest is not $expected"; fail=1; }
    grep -q "<requestedExecutionLevel level=\"$level\" uiAccess=\"false\"/>" "$manifest" ||
        { echo "$program: not $level"; fail=1; }
    for id in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
              4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
              8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
        grep -q "<supportedOS Id=\"{$id}\"/>" "$manifest" || { echo "$program: no supportedOS $id"; fail=1; }
    done
    [ $fail = 0 ] && echo "$(basename "$program"): $level, Vista to Windows 11"
}
settings() {  # program: its 8-bit text is UTF-8, and it is per-monitor DPI aware
    m="$work/$(basename "$1").manifest"
    grep -q '<activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>' \
        "$m" || { echo "$1: no UTF-8 code page"; fail=1; }
    grep -q '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, PerMonitor</dpiAwareness>' \
        "$m" || { echo "$1: not per-monitor (v2, else v1) DPI aware"; fail=1; }
    grep -q '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>' \
        "$m" || { echo "$1: not system DPI aware on older systems"; fail=1; }
}
check "$exe" "$admin" asInvoker && settings "$exe"
[ -f "$work/uninstaller.exe" ] && check "$work/uninstaller.exe" "$admin" asInvoker &&
    settings "$work/uninstaller.exe"
[ -f "$work/quillarix.exe" ] && check "$work/quillarix.exe" "$app" asInvoker
exit $fail
