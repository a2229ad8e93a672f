# Shared by the run, test and bench scripts: packages, build, Wine prefix and display.
# Source it; it defines functions only.

SUNDOWN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SUNDOWN_PACKAGES="cmake g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb xdotool imagemagick googletest x11-utils"

# Installs what is missing (Debian). Needs root or sudo only when something is missing.
sundown_install_packages() {
    local missing=()
    for p in $SUNDOWN_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" </dev/null
}

# Configures and builds. $1: preset (mingw-debug or mingw-release); further arguments name the
# targets to build (default: all). SUNDOWN_BUILD_DIR, when set, builds in that folder instead of
# the preset's own (lets several checkouts share a machine).
sundown_build() {
    local preset=$1
    shift
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cd "$SUNDOWN_ROOT"
    if [ -n "${SUNDOWN_BUILD_DIR:-}" ]; then
        BUILD_DIR=$SUNDOWN_BUILD_DIR
        local type=Debug
        [ "$preset" = mingw-release ] && type=Release
        cmake -S . -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$SUNDOWN_ROOT/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=$type >/dev/null
        cmake --build "$BUILD_DIR" -j "$(nproc)" "${targets[@]}"
    else
        BUILD_DIR=$SUNDOWN_ROOT/build/$preset
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}"
    fi
}

# Starts Xvfb on a free display when $1 is "always" or there is no display. Xvfb picks the number
# itself and names it only once it holds that display, so runs started together never share one.
# It runs in a session of its own, so a Ctrl+C in the terminal cannot take it away from under the
# programs on it: the scripts stop it themselves.
sundown_start_display() {
    XVFB_PID=""
    if [ "${1:-}" != always ] && [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    local numfile n i
    numfile=$(mktemp)
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 </dev/null &
    XVFB_PID=$!
    for i in $(seq 100); do
        n=$(head -n 1 "$numfile")
        if [[ $n =~ ^[0-9]+$ ]]; then
            rm -f "$numfile"
            export DISPLAY=":$n"
            return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$numfile"
    kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
    echo "Could not start Xvfb" >&2
    return 1
}

sundown_stop_display() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
}

# Points Wine at prefix $1 (made once, reused) and warms its wineserver and services with their
# output on /dev/null, so nothing started later holds a caller's pipe open. The wineserver runs in
# a session of its own, out of reach of the terminal's Ctrl+C, like the display.
sundown_start_wine() {
    export WINEPREFIX=$(realpath -m "$1")
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wine wineboot --init >/dev/null 2>&1 </dev/null
        wineserver -w
    fi
    setsid wineserver -p >/dev/null 2>&1 </dev/null &
    wine cmd /c exit >/dev/null 2>&1 </dev/null
}

sundown_stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
    [ -n "${WINEPREFIX:-}" ] && wineserver -w >/dev/null 2>&1
    true
}

# A throwaway Wine prefix at $1 for a test that ends that prefix's session: a copy of the warm
# prefix $WINEPREFIX when there is one (faster), else a new one. Its wineserver and services are
# started with their streams on /dev/null, and WINEPREFIX then names it. End it with
# sundown_stop_wine and delete the folder.
sundown_start_throwaway_wine() {
    local prefix=$1 source=${WINEPREFIX:-}
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    if [ -n "$source" ] && [ -f "$source/system.reg" ]; then
        cp -a "$source" "$prefix"
    else
        mkdir -p "$prefix"
        WINEPREFIX=$prefix timeout 120 wine wineboot --init >/dev/null 2>&1 </dev/null
        WINEPREFIX=$prefix timeout 60 wineserver -w
    fi
    export WINEPREFIX=$prefix
    wineserver -p >/dev/null 2>&1 </dev/null &
    timeout 60 wine cmd /c exit >/dev/null 2>&1 </dev/null
    # The caller's wineserver may not have written its registry yet (a prefix made this run): the
    # copy sets what it needs itself. Managed windows get no keyboard focus under plain Xvfb.
    timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
}

# For a test script that ends a Wine session: a work folder ($work, named after $1) holding a
# throwaway prefix ($prefix) on a display of its own. When the script exits, the prefix's
# wineserver is killed, the folder deleted and the display stopped.
sundown_start_throwaway_session() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/sundown-$1.XXXXXX")
    prefix=$work/prefix
    trap sundown_end_throwaway_session EXIT
    # A display of its own: other tests may run on the caller's at the same time.
    sundown_start_display always
    sundown_start_throwaway_wine "$prefix"
}

sundown_end_throwaway_session() {
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1 || true
    rm -rf "$work"
    sundown_stop_display
}
