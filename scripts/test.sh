#!/usr/bin/env bash
# Builds Sundown and every test, then runs them all under Wine and Xvfb.
# Usage: scripts/test.sh [mingw-debug|mingw-release] [extra ctest arguments]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

preset=mingw-debug
if [ $# -gt 0 ] && [[ $1 == mingw-* ]]; then
    preset=$1
    shift
fi

sundown_install_packages
sundown_build "$preset"

cleanup() {
    sundown_stop_wine
    sundown_stop_display
}
trap cleanup EXIT
# The tests get a display and a Wine prefix of their own, never the user's.
sundown_start_display always
sundown_start_wine "$BUILD_DIR/wineprefix"
# With no window manager on Xvfb, Wine waits about 2 s each time it hides a managed window; the
# tests' own prefix lets Wine leave window management alone.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null

cd "$BUILD_DIR"
# The tests on the shared prefix and display take turns (a resource lock); the end-to-end scripts,
# which wait for the clock's next minute on displays of their own, run beside them.
ctest --output-on-failure --timeout 600 -j 3 "$@"
