#!/bin/sh
# SZDD benchmark (not a test): our encoder against mscompress on every
# SZDD payload file and on a few larger standard inputs, in one run; and the
# i686 setup executable's overhead. Prints a table and writes it to
# build/bench/report.md.
set -u
cd "$(dirname "$0")/.."
out=build/bench
rm -rf "$out/work" && mkdir -p "$out/work"
szdd=build/host/tools/szdd
report="$out/report.md"

now() { date +%s%N; }

# Every payload file that the setup carries compressed, as the catalogue
# lists it for the i686 tree.
inputs=$(awk '$3 == "expand" { print $4 }' build/win32/payload-catalogue.txt)
cat /usr/share/common-licenses/* > "$out/work/common-licenses.txt" 2>/dev/null
pe=$(ls -S /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/*.dll 2>/dev/null |
     while read -r f; do s=$(stat -c %s "$f"); [ "$s" -le 1100000 ] && echo "$f" && break; done)
inputs="$inputs /usr/share/dict/american-english $out/work/common-licenses.txt $pe"

{
echo "| input | bytes | mscompress bytes | mscompress ms | ours bytes | ours ms | ours vs mscompress | ours MB/s |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
for f in $inputs; do
    [ -f "$f" ] || continue
    name=$(basename "$f")
    size=$(stat -c %s "$f")
    if [ "$size" -lt 16 ]; then
        echo "| $name | $size | (mscompress writes wrong output under 16 bytes: not counted) | | | | | |"
        continue
    fi
    [ "$f" -ef "$out/work/$name" ] || cp "$f" "$out/work/$name"
    t0=$(now); mscompress "$out/work/$name" 2>/dev/null; t1=$(now)
    ms_size=$(stat -c %s "$out/work/${name}_" 2>/dev/null || echo 0)
    t2=$(now); "$szdd" compress "$f" "$out/work/$name.szdd"; t3=$(now)
    our_size=$(stat -c %s "$out/work/$name.szdd")
    awk -v n="$name" -v s="$size" -v ms="$ms_size" -v mt="$((t1 - t0))" -v os="$our_size" \
        -v ot="$((t3 - t2))" 'BEGIN {
        printf "| %s | %d | %d | %.1f | %d | %.1f | %+.2f%% | %.1f |\n", n, s, ms, mt / 1e6, os,
            ot / 1e6, (os - ms) * 100 / ms, (s / 1048576) / (ot / 1e9) }'
done
echo
exe=build/win32/QuillarixSetup.exe
total=$(stat -c %s "$exe")
stored=0
for id in $(wrestool -l --type=FILE "$exe" | sed -n 's/.*--name=\([0-9]*\).*/\1/p'); do
    stored=$((stored + $(wrestool -x --raw --type=FILE --name="$id" "$exe" | wc -c)))
done
echo "i686 QuillarixSetup.exe: $total bytes, stored payload $stored bytes, overhead $((total - stored)) bytes"
} | tee "$report"
