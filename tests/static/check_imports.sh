#!/bin/sh
# An executable that runs with administrator rights imports only Windows'
# known system libraries, which are never looked for in the program's own
# folder: fails on any DLL outside the allowed list (VERSION, BCRYPT, OLE32
# and OLEAUT32 are loaded at run time from the system folder). A known library's
# export that Windows forwards to one that is not known (advapi32's
# SystemFunction036 = RtlGenRandom, SystemFunction040/041 and its Crypt*
# provider calls, forwarded to cryptbase.dll and cryptsp.dll) is resolved
# while the imports are bound, before any search restriction, from the
# program's folder: such functions fail the check by name, as do the extra
# names given (shell patterns). Also checks the PE header: GUI subsystem, and
# Terminal-Server aware (on a Remote Desktop Session Host a program without
# the flag is given a private Windows folder for each user).
# Usage: check_imports.sh OBJDUMP EXE [FORBIDDEN-FUNCTION-PATTERN...]
set -uf  # -f: the patterns below are no file names
objdump="$1"
exe="$2"
shift 2
allowed="KERNEL32.dll USER32.dll GDI32.dll ADVAPI32.dll SHELL32.dll msvcrt.dll"
forbidden="SystemFunction036 SystemFunction040 SystemFunction041 Crypt* $*"
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
# The functions imported: the last word of each line of an import table
# (address, hint, name).
functions=$(printf '%s\n' "$dump" | awk '
    /^[[:space:]]*DLL Name:/ { dll = $3; next }
    /^[[:space:]]*vma:/ { inside = 1; next }
    /^[[:space:]]*$/ { inside = 0; next }
    inside && NF >= 3 { print dll ":" $NF }')
for entry in $functions; do
    name=${entry#*:}
    for pattern in $forbidden; do
        # shellcheck disable=SC2254
        case $name in $pattern) echo "FORBIDDEN function: $entry"; fail=1 ;; esac
    done
done
if ! printf '%s\n' "$dump" | grep -q "^Subsystem[[:space:]]*00000002"; then
    echo "not a GUI subsystem executable"; fail=1
fi
flags=$(printf '%s\n' "$dump" | sed -n 's/^DllCharacteristics[[:space:]]*//p')
[ $(( 0x${flags:-0} & 0x8000 )) != 0 ] || { echo "not Terminal-Server aware"; fail=1; }
exit $fail
