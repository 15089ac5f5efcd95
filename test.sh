#!/usr/bin/env bash
# Command 2: builds everything and runs every test: the portable code natively
# with AddressSanitizer and UBSan, the x64 build under wine64, and the x86
# build under 32-bit Wine, on 64-bit Windows (WOW64) and on 32-bit Windows
# (a WINEARCH=win32 prefix).
set -euo pipefail
cd "$(dirname "$0")"
bash cmake/deps.sh
for preset in x64 x86 native; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
status=0
presets=(native x64 x86 x86-win32)
# The 32-bit Wine needs a kernel that runs 32-bit Linux programs; where the
# kernel's 32-bit emulation is off, the x86 build is built but cannot be run.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "== tests: x86 and x86-win32 not run: this kernel cannot run 32-bit programs (32-bit emulation off)"
    presets=(native x64)
fi
for preset in "${presets[@]}"; do
    echo "== tests: $preset"
    ctest --preset "$preset" || status=1
done
# The persistent wineservers (and X servers) of the test prefixes are not left behind.
for build in build/x64 build/x86; do
    bash cmake/wine-run.sh --stop "$PWD/$build/wineprefix"
done
exit $status
