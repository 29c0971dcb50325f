#!/bin/sh
# An executable that runs with administrator rights imports only Windows'
# known system libraries, which are never looked for in the program's own
# folder: fails on any DLL outside the allowed list (VERSION and OLE32 are
# loaded at run time from the system folder). Also checks the PE header:
# GUI subsystem.
set -u
objdump="$1"
exe="$2"
allowed="KERNEL32.dll USER32.dll GDI32.dll ADVAPI32.dll SHELL32.dll msvcrt.dll"
dump=$("$objdump" -p "$exe") || { echo "cannot read $exe"; exit 1; }
fail=0
dlls=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$dlls" ] || { echo "no import table found"; exit 1; }
for dll in $dlls; do
    ok=0
    for a in $allowed; do
        [ "$(echo "$dll" | tr a-z A-Z)" = "$(echo "$a" | tr a-z A-Z)" ] && ok=1
    done
    if [ $ok = 1 ]; then echo "import ok: $dll"; else echo "FORBIDDEN import: $dll"; fail=1; fi
done
if ! printf '%s\n' "$dump" | grep -q "^Subsystem[[:space:]]*00000002"; then
    echo "not a GUI subsystem executable"; fail=1
fi
exit $fail
