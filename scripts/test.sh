#!/bin/sh
# Runs every test: the native tests, then the tests of both Windows trees
# under Wine (as an unprivileged user when started as root), each tree in a
# rig of its own (prefix, Xvfb display, wineserver), the two side by side.
# The i686 tree's runtime tests run only where this machine is measured to
# run 32-bit code; otherwise only its static checks run, and the summary
# says so. Where wine32 is installed but cannot run, every Wine command
# goes to the 64-bit loader (rig_choose_loader). Prints CTest's output per tree and a total; exits non-zero when
# any test fails.
set -u
cd "$(dirname "$0")/.."
. scripts/wine-rig.sh
root=$PWD
log=$root/build/test-logs
rm -rf "$log"
mkdir -p "$log"
status=0

run_ctest() {  # name, tree, extra ctest arguments
    name=$1; tree=$2; shift 2
    ctest --test-dir "$tree" --output-on-failure "$@" > "$log/$name.log" 2>&1
}

# One Windows tree in its own rig; its output goes to the tree's log.
run_windows_tree() {  # tree
    tree=$1
    scratch=$(mktemp -d /tmp/qlx-test-$tree.XXXXXX)
    trap 'rig_stop; rm -rf "$scratch"' EXIT INT TERM
    rig_start "$scratch" "$tree" > "$log/$tree-rig.log" 2>&1
    if [ "$tree" = win32 ] && ! rig_runs_i686; then
        echo "i686 runtime tests skipped: this machine cannot run 32-bit code" > "$log/skipped"
        ctest --test-dir build/win32 -N -LE static | sed -n 's/^Total Tests: //p' >> "$log/skipped"
        run_ctest "$tree" "build/$tree" -L static
        return
    fi
    run_ctest "$tree" "build/$tree"
}

echo "=== host ==="
run_ctest host build/host -j2
cat "$log/host.log"

rig_user  # once, before the two rigs start side by side
loader_bin=$(mktemp -d /tmp/qlx-wine64-only.XXXXXX)
trap 'rm -rf "$loader_bin"' EXIT
rig_choose_loader "$QLX_WINE32_LOADER" "$loader_bin"
echo "=== win32 and win64 under Wine, side by side (logs in build/test-logs) ==="
(run_windows_tree win32) &
win32=$!
(run_windows_tree win64) &
win64=$!
wait $win32 $win64
for tree in win32 win64; do
    echo "=== $tree ==="
    cat "$log/$tree-rig.log" "$log/$tree.log"
done

passed=0; failed=0; skipped=0
for name in host win32 win64; do
    line=$(grep -E "tests passed, [0-9]+ tests failed out of" "$log/$name.log" | tail -1)
    total=$(echo "$line" | sed -n 's/.*out of \([0-9]*\).*/\1/p')
    bad=$(echo "$line" | sed -n 's/.*passed, \([0-9]*\) tests failed.*/\1/p')
    if [ -z "$total" ]; then
        echo "no test summary from $name"
        status=1
        continue
    fi
    [ "$bad" = 0 ] || status=1
    passed=$((passed + total - bad)); failed=$((failed + bad))
done
echo
if [ -f "$log/skipped" ]; then
    head -1 "$log/skipped"
    skipped=$(sed -n 2p "$log/skipped")
fi
echo "total: $passed passed, $failed failed, ${skipped:-0} skipped"
exit $status
