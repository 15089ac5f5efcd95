#!/usr/bin/env bash
# Command 2: builds everything and runs every test: the Windows tests under
# wine64, the portable code natively with AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")"
bash cmake/deps.sh
for preset in x64 x86 native; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
status=0
ctest --preset native || status=1
ctest --preset x64 || status=1
# The persistent wineserver of the test prefix is not left behind.
WINEPREFIX="$PWD/build/x64/wineprefix" wineserver -k 2>/dev/null || true
exit $status
