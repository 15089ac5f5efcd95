#!/usr/bin/env bash
# Runs one Windows program under wine64 for CTest.
#   wine-run.sh <prefix dir> <program.exe> [args...]
# The prefix lives in the build tree and is booted once, under a lock, with a
# persistent wineserver; every Wine process started while booting has its
# standard streams on /dev/null, so none of them keeps CTest's pipe open.
# Environment: LC_ALL/LANG (default en_US.UTF-8) decide the UI language, the
# ANSI code page and the system's message texts; QEL_WINVER (win7, win10,
# winxp64, ...; default win7) sets the Windows version Wine reports to this
# program. QEL_WINEARCH=win32 runs a 32-bit program on 32-bit Windows instead
# of WoW64: in a prefix of its own beside the given one, "<prefix>-win32".
#   wine-run.sh --stop <prefix dir>
# ends the wineservers and the X server of the prefix and its variants.
set -euo pipefail
if [ "$1" = --stop ]; then
    for p in "$2" "$2-win32" "$2-x11"; do
        WINEPREFIX=$p wineserver -k 2>/dev/null || true
        if [ -f "$p.xvfb-pid" ]; then
            kill "$(cat "$p.xvfb-pid")" 2>/dev/null || true
            rm -f "$p.xvfb-pid" "$p.display"
        fi
    done
    exit 0
fi
prefix=$1; shift
exe=$1; shift

if [ "${QEL_WINEARCH:-}" = win32 ]; then
    prefix=$prefix-win32
    export WINEARCH=win32
fi
graphics=null
if [ "${QEL_WINE_GRAPHICS:-}" = x11 ]; then
    prefix=$prefix-x11
    graphics=x11
fi
export WINEPREFIX=$prefix
export WINEDEBUG=-all
# Debian's wine prefers its 32-bit loader, which a kernel without 32-bit
# emulation cannot start; the 64-bit programs then go to wine64 itself.
wine=wine
if ! wine --version >/dev/null 2>&1 && [ -x /usr/lib/wine/wine64 ]; then
    wine=/usr/lib/wine/wine64
    export WINELOADER=$wine
fi
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# Given to the Wine processes only: this shell need not know the locale.
locale=(env "LC_ALL=${LC_ALL:-en_US.UTF-8}" "LANG=${LANG:-${LC_ALL:-en_US.UTF-8}}")

quiet() { "${locale[@]}" "$@" </dev/null >/dev/null 2>&1 9>&-; }

# A setup step that must succeed: tried three times (a Wine tool started while
# the server is busy may fail once); a step that still fails says what it
# printed, since the test then fails before its program has run.
must() {
    # A file, not a pipe: what the step starts may outlive it.
    local out=$WINEPREFIX.step.$$ rc=0
    for _ in 1 2 3; do
        rc=0
        "${locale[@]}" "$@" </dev/null >"$out" 2>&1 9>&- || rc=$?
        [ $rc -eq 0 ] && break
        sleep 0.5
    done
    if [ $rc -ne 0 ]; then
        echo "wine-run.sh: '$*' failed with exit code $rc: $(cat "$out")" >&2
    fi
    rm -f "$out"
    [ $rc -eq 0 ] || exit $rc
}

# The prefix's own X server, started once and detached like the wineserver;
# its display number is kept beside the prefix.
start_x() {
    local file="$WINEPREFIX.display"
    if [ -f "$file" ] && xdpyinfo -display ":$(cat "$file")" >/dev/null 2>&1; then
        export DISPLAY=":$(cat "$file")"
        return
    fi
    rm -f "$file.new"
    ( exec 3>"$file.new"; setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        </dev/null >/dev/null 2>&1 9>&- & echo $! >"$WINEPREFIX.xvfb-pid" )
    for _ in $(seq 100); do
        [ -s "$file.new" ] && break
        sleep 0.1
    done
    mv "$file.new" "$file"
    export DISPLAY=":$(cat "$file")"
}

boot() {
    mkdir -p "$WINEPREFIX"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    [ $graphics = x11 ] && start_x
    if [ ! -f "$WINEPREFIX/.qel-booted" ]; then
        quiet wineserver -p || true
        must $wine wineboot -i
        must $wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d $graphics /f
        must $wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
        # No window manager runs on the private X server: Wine draws the
        # captions and frames itself.
        if [ $graphics = x11 ]; then
            must $wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
            # This Wine does not find its own fonts where Debian puts them:
            # Marlett draws the caption buttons. The texts keep the system's
            # fonts, which have the Chinese glyphs that Wine's own lack.
            cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        fi
        # What the boot started (the desktop among it) chose its display
        # driver before null was set: end it all and start afresh.
        quiet wineserver -k || true
        quiet wineserver -w || true
        touch "$WINEPREFIX/.qel-booted"
    fi
    # A server stopped since the boot is started again, still detached, and
    # with it the desktop: started on demand it would be a child of the first
    # program that opens a window and hold that program's streams.
    if quiet wineserver -p; then
        ( "${locale[@]}" setsid $wine explorer.exe /desktop </dev/null >/dev/null 2>&1 9>&- & )
    fi
    flock -u 9
}
boot

name=$(basename "$exe")
# Always written, so a program's version never depends on an earlier run.
must $wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$name" /v Version /d "${QEL_WINVER:-win7}" /f

rc=0
"${locale[@]}" $wine "$exe" "$@" || rc=$?
# An exit code is all a program that died leaves behind: its buffered output is lost.
[ $rc -eq 0 ] || echo "wine-run.sh: $name ended with exit code $rc" >&2
exit $rc
