#!/bin/sh
# Runs every test: the native tests, the static checks of both executables,
# and the Windows tests under wine64 (as an unprivileged user when started
# as root, on a private Xvfb display). Prints CTest's summaries and a total;
# exits non-zero when any test fails.
set -u
cd "$(dirname "$0")/.."
. scripts/wine-rig.sh
root=$PWD
log=$root/build/test-logs
mkdir -p "$log"
status=0

run_ctest() {  # name, tree, extra ctest arguments
    name=$1; tree=$2; shift 2
    echo "=== $name ==="
    ctest --test-dir "$tree" --output-on-failure "$@" 2>&1 | tee "$log/$name.log"
    grep -q "100% tests passed" "$log/$name.log" || status=1
}

run_ctest host build/host -j2
run_ctest win32-static build/win32

scratch=$(mktemp -d /tmp/qlx-test.XXXXXX)
trap 'rig_stop; rm -rf "$scratch"' EXIT INT TERM
rig_start "$scratch"
run_ctest win64 build/win64

passed=0; failed=0
for f in "$log"/host.log "$log"/win32-static.log "$log"/win64.log; do
    line=$(grep -E "tests passed, [0-9]+ tests failed out of" "$f" | tail -1)
    total=$(echo "$line" | sed -n 's/.*out of \([0-9]*\).*/\1/p')
    bad=$(echo "$line" | sed -n 's/.*passed, \([0-9]*\) tests failed.*/\1/p')
    [ -n "$total" ] || { status=1; continue; }
    passed=$((passed + total - bad)); failed=$((failed + bad))
done
echo
echo "all trees: $passed passed, $failed failed"
exit $status
