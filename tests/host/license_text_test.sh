#!/bin/sh
# The licence text is shown by an edit control as it is: UTF-8 text, CR LF
# line ends only, no line longer than 62 characters. The build runs this too.
set -u
f="$1"
fail=0
[ -s "$f" ] || { echo "licence text missing or empty"; exit 1; }
bare_lf=$(LC_ALL=C awk '!/\r$/ { n++ } END { print n + 0 }' "$f")
[ "$bare_lf" = 0 ] || { echo "$bare_lf lines without CR LF"; fail=1; }
[ "$(tail -c 2 "$f" | od -An -c | tr -d ' ')" = '\r\n' ] || { echo "last line not ended by CR LF"; fail=1; }
stray=$(LC_ALL=C awk '{ sub(/\r$/, ""); if (index($0, "\r")) print NR }' "$f")
[ -z "$stray" ] || { echo "CR without LF on lines: $stray"; fail=1; }
long=$(LC_ALL=C.UTF-8 awk '{ sub(/\r$/, ""); if (length($0) > 62) print NR ": " length($0) }' "$f")
[ -z "$long" ] || { echo "lines longer than 62 characters: $long"; fail=1; }
[ "$(tr -d '\000' < "$f" | wc -c)" = "$(wc -c < "$f")" ] || { echo "NUL byte in the text"; fail=1; }
iconv -f UTF-8 -t UTF-8 "$f" > /dev/null 2>&1 || { echo "not valid UTF-8"; fail=1; }
exit $fail
