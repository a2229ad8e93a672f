#!/usr/bin/env bash
# Installs what is missing, builds Sundown and starts it under Wine (under Xvfb when there is no
# display), in a Wine prefix of the run's own: build/<preset>/run-prefix.
# Usage: scripts/run.sh [mingw-release|mingw-debug]      (default mingw-release)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

preset=${1:-mingw-release}
case $preset in
mingw-release | mingw-debug) ;;
*)
    echo "usage: scripts/run.sh [mingw-release|mingw-debug]" >&2
    exit 2
    ;;
esac

sundown_install_packages
# The program and the command helper named in the README; the tests build with scripts/test.sh.
sundown_build "$preset" Sundown sundown_command

handover_pid=""
# Runs to its end whatever fails on the way: the display it started is always stopped.
cleanup() {
    set +e
    trap - INT TERM HUP
    [ -n "$handover_pid" ] && kill "$handover_pid" 2>/dev/null
    sundown_stop_wine
    sundown_stop_display
}
trap cleanup EXIT

own_display=no
if [ -z "${DISPLAY:-}" ]; then
    sundown_start_display
    own_display=yes
    echo "No display found: Sundown runs on a virtual X display, $DISPLAY (Xvfb), where you"
    echo "cannot see it. A screenshot: DISPLAY=$DISPLAY import -window root shot.png"
fi

sundown_start_wine "$BUILD_DIR/run-prefix"
# Sundown plays no sound: with no audio driver Wine does not look for a sound system, nor print
# what it did not find.
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null 2>&1 </dev/null
if [ $own_display = yes ]; then
    # Without a window manager Wine waits on every hidden window; leave management alone.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 </dev/null || true
fi

appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null </dev/null | tr -d '\r')
echo "Settings file: $appdata\\Sundown\\settings.ini"
echo "          i.e. $(readlink -f "$(winepath -u "$appdata" 2>/dev/null)")/Sundown/settings.ini"
echo "               (written when Sundown exits or its options are confirmed)"
echo "Starting $BUILD_DIR/bin/Sundown.exe. It hides in the notification area at once (under Wine"
echo "without a desktop tray: the small window at the top-left); right-click its icon for the"
echo "menu, double-click to open it, Exit to end it. Ctrl+C here ends it too."

# Sundown runs in a session of its own, out of reach of the terminal's Ctrl+C: Ctrl+C here ends it
# as its Exit does, with hand-over command 3 (settings saved), and only then are its Wine server
# and display stopped. The hand-over runs in the background, so that bash, which runs no handler
# while a foreground command runs, takes a second Ctrl+C at once: it stops the Wine server.
setsid wine "$BUILD_DIR/bin/Sundown.exe" </dev/null &
sundown_pid=$!
interrupted=""
end_sundown() {
    interrupted=$1
    if [ -n "$handover_pid" ]; then
        echo "Stopping Sundown's Wine server."
        kill "$handover_pid" 2>/dev/null || true
        wineserver -k >/dev/null 2>&1 || true
        return 0
    fi
    echo
    echo "Ending Sundown (hand-over command 3, as its Exit does)..."
    timeout 30 wine "$BUILD_DIR/bin/sundown_command.exe" 3 >/dev/null 2>&1 </dev/null &
    handover_pid=$!
}
trap 'end_sundown 130' INT
trap 'end_sundown 143' TERM
trap 'end_sundown 129' HUP

# A signal ends a wait early: wait again until Sundown has ended, then take its exit code.
while kill -0 "$sundown_pid" 2>/dev/null; do
    wait "$sundown_pid" || true
done
status=0
wait "$sundown_pid" || status=$?
echo "Sundown ended (exit code $status)."
exit "${interrupted:-$status}"
