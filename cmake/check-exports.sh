#!/usr/bin/env bash
# Fails when a DLL's export table differs from its .def file: callers find
# the entry points by their plain names, so no decorated (@n, leading
# underscore) or missing name may slip through on either architecture.
#   check-exports.sh <objdump> <file.dll> <file.def> [<file.dll> <file.def>]...
set -euo pipefail
objdump=$1; shift
status=0
while [ $# -ge 2 ]; do
    dll=$1 def=$2; shift 2
    wanted=$(awk 'toupper($1) == "EXPORTS" { on = 1; next }
                  on && NF && $1 !~ /^;/ { split($1, n, "="); print n[1] }' "$def" | sort)
    have=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
           awk '/^\t\[/ { print $NF }' | sort)
    if [ "$wanted" != "$have" ]; then
        echo "$dll exports differ from $def:"
        diff <(printf '%s\n' "$wanted") <(printf '%s\n' "$have") | sed -n 's/^[<>]/  &/p'
        status=1
    else
        echo "$(basename "$dll"): $(echo $have)"
    fi
done
exit $status
