#!/bin/sh
# Reads every payload resource back out of a built setup executable and
# checks it against the payload table: present under its id, SZDD where the
# table says so (expanding to the source), plain otherwise (byte-identical to
# the source); resource 159 is the licence text byte for byte.
#   check_payload.sh SETUP.EXE SOURCE_DIR GENERATED_DIR SZDD_TOOL
set -u
exe="$1"; src="$2"; gen="$3"; szdd="$4"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
count=0
# id name form
while read -r id name form; do
    [ -z "$id" ] && continue
    count=$((count + 1))
    out="$work/$id"
    if ! wrestool -x --raw --type=FILE --name="$id" "$exe" > "$out" 2>/dev/null || [ ! -s "$out" ]; then
        echo "resource $id ($name) missing"; fail=1; continue
    fi
    source="$src/$name"; [ -e "$source" ] || source="$gen/$name"
    signature=$(head -c 4 "$out")
    if [ "$form" = SZDD ]; then
        if [ "$signature" != SZDD ]; then echo "resource $id ($name) is not SZDD"; fail=1; continue; fi
        "$szdd" expand "$out" "$out.expanded" && cmp -s "$out.expanded" "$source" ||
            { echo "resource $id ($name) does not expand to its source"; fail=1; }
    else
        [ "$signature" = SZDD ] && { echo "resource $id ($name) should be plain"; fail=1; }
        cmp -s "$out" "$source" || { echo "resource $id ($name) differs from its source"; fail=1; }
    fi
done <<TABLE
106 Quillarix.exe SZDD
111 Sample.scp SZDD
148 Sample3Cam.scp SZDD
149 SampleTapeLive.scp SZDD
155 register.txt SZDD
157 vendor.txt SZDD
159 license.txt PLAIN
112 main.dct SZDD
116 bucket.bin SZDD
152 table1.bin SZDD
153 table2.bin SZDD
147 Quillarix.hlp SZDD
117 thes.bin PLAIN
119 qlxuins1.exe SZDD
125 BlackWhite.scm PLAIN
121 Blue.scm PLAIN
122 Brown.scm PLAIN
123 Green.scm PLAIN
124 Purple.scm PLAIN
120 White.scm PLAIN
133 Feature_Loose.stp PLAIN
142 Feature.stp PLAIN
134 Feature_Tight.stp PLAIN
136 Play_Alternate.stp PLAIN
135 Play.stp PLAIN
137 Proof_DblSpc.stp PLAIN
138 Proof_Left.stp PLAIN
139 Proof_Right.stp PLAIN
140 TV-TapeLive.stp PLAIN
132 TV-ThreeCamera2.stp PLAIN
141 TV-ThreeCamera.stp PLAIN
TABLE
[ "$count" = 31 ] || { echo "checked $count resources, expected 31"; fail=1; }
wrestool -x --raw --type=FILE --name=159 "$exe" | cmp -s - "$src/license.txt" ||
    { echo "resource 159 is not the licence text"; fail=1; }
all=$(wrestool -l --type=FILE "$exe" | wc -l)
[ "$all" = 31 ] || { echo "the executable carries $all FILE resources, expected 31"; fail=1; }
[ $fail = 0 ] && echo "all 31 payload resources match"
exit $fail
