#!/usr/bin/env bash
# Makes the pictures of the system's windows again, in English and in
# simplified Chinese: QelPictures opens each window against the printer
# emulator on a private X server (Wine's X11 driver on Xvfb), checks its
# layout and saves it; the pictures land in docs/pictures as PNG files.
#   demo/make-pictures.sh [<x64 build dir>]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/x64}" && pwd)
out="$top/docs/pictures"
work=$(mktemp -d)
trap 'rm -rf "$work"; bash "$top/cmake/wine-run.sh" --stop "$build/wineprefix"' EXIT
mkdir -p "$out"
status=0
for language in en zh; do
    locale=en_US.UTF-8
    [ $language = zh ] && locale=zh_CN.UTF-8
    LC_ALL=$locale LANG=$locale QEL_WINE_GRAPHICS=x11 "$top/cmake/wine-run.sh" "$build/wineprefix" \
        "$build/bin/QelPictures.exe" $language "Z:${work//\//\\}" || status=1
done
for picture in "$work"/*.bmp; do
    convert "$picture" "$out/$(basename "${picture%.bmp}").png"
done
ls "$out"
exit $status
