#!/bin/sh
# The szdd command: its output expands byte-exact with msexpand (an
# independent decoder) and with its own expander; damaged input is refused
# with a message and a non-zero exit.
set -u
szdd="$1"
work="$2"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail=0
check() { if ! "$@"; then echo "FAILED: $*"; fail=1; fi; }

: > empty.bin
printf 'x' > one.bin
printf 'seventeen bytes!!' > seventeen.bin
printf '          leading blanks' > blanks.txt
head -c 20000 /dev/urandom > random.bin
awk 'BEGIN { for (i = 0; i < 3000; i++) printf "EXT. OPEN WATER - %d\r\n", i % 41 }' > text.txt
awk 'BEGIN { for (i = 0; i < 40000; i++) printf "a" }' > run.txt
for f in empty.bin one.bin seventeen.bin blanks.txt random.bin text.txt run.txt; do
    check "$szdd" compress "$f" "$f.szdd"
    check "$szdd" expand "$f.szdd" "$f.ours"
    check cmp "$f" "$f.ours"
    if command -v msexpand >/dev/null; then
        # msexpand writes its result to stdout when given one file.
        msexpand < "$f.szdd" > "$f.ms" 2>/dev/null
        check cmp "$f" "$f.ms"
    else
        echo "msexpand missing (package mscompress)"; fail=1
    fi
done

head -c 20 text.txt.szdd > cut.szdd
if "$szdd" expand cut.szdd cut.out 2> cut.err; then
    echo "FAILED: truncated input accepted"; fail=1
fi
check grep -q truncated cut.err
check test ! -e cut.out
printf 'not an szdd file at all' > plain.txt
if "$szdd" expand plain.txt plain.out 2> plain.err; then
    echo "FAILED: plain input accepted"; fail=1
fi
check grep -q "not an SZDD file" plain.err
exit $fail
