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

cleanup() {
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

status=0
wine "$BUILD_DIR/bin/Sundown.exe" </dev/null || status=$?
echo "Sundown ended (exit code $status)."
exit $status
