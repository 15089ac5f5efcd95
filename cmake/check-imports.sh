#!/usr/bin/env bash
# Fails when a deliverable imports anything but Windows system DLLs: the
# spooler loads them from folders where no MinGW runtime exists.
#   check-imports.sh <objdump> <file>...
set -euo pipefail
objdump=$1; shift
allowed='^(kernel32|user32|gdi32|advapi32|comctl32|comdlg32|shell32|shlwapi|setupapi|version|winspool\.drv|ws2_32|msvcrt|ole32|oleaut32|ntdll|rpcrt4)(\.dll)?$'
status=0
for file in "$@"; do
    while read -r dll; do
        lower=$(printf '%s' "$dll" | tr 'A-Z' 'a-z')
        if ! [[ $lower =~ $allowed ]]; then
            echo "$file imports $dll"
            status=1
        fi
    done < <("$objdump" -p "$file" | awk '/DLL Name:/ {print $3}')
done
[ $status -eq 0 ] && echo "system DLLs only: $*"
exit $status
