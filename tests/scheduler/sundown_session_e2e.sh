#!/usr/bin/env bash
# End to end, the real thing, in five runs of Sundown.exe, with real mouse and keys (xdotool):
# 1. With the settings folder's name taken by a file (nothing can be saved), command 3 and the
#    end-of-session message each end Sundown within a few seconds.
# 2. The alarm's countdown is on screen when command 4 asks for the options window: the countdown
#    stays enabled, no options window comes, and a real click on its Cancel cancels.
# 3. With settings.ini unwritable, Exit is chosen from the tray menu before the alarm minute and
#    the box that says so is left open: the alarm brings no countdown and the session goes on.
# 4. Started with its alarm in the coming minute and a warning of 5 s, nobody cancels, and a move
#    of the countdown from the keyboard (Alt+Space, Move, Right) is left half done, or (a second
#    session) the mouse is pressed on the countdown's close box, slid off it and held: the
#    countdown runs out all the same, ExitWindowsEx ends the Wine session within 10 s of the
#    countdown showing (a bystander window sees WM_QUERYENDSESSION and WM_ENDSESSION), Sundown ends
#    and its settings.ini has been written whole.
# Ending the session ends every program of the prefix, so this runs in a throwaway prefix with a
# wineserver of its own, killed and deleted afterwards.
# Usage: sundown_session_e2e.sh <Sundown.exe> <session_witness.exe> <sundown_command.exe>
set -euo pipefail
sundown=$1
witness=$2
command=$3
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

sundown_start_throwaway_session session

appdata=$(timeout 60 wine cmd /c echo %APPDATA% 2>/dev/null </dev/null | tr -d '\r')
folder=$(winepath -u "$appdata" 2>/dev/null)/Sundown
ini=$folder/settings.ini
# An unwritable settings.ini (chattr) can be deleted with the folder only once it is writable again.
trap 'chattr -i "$ini" 2>/dev/null || true; sundown_end_throwaway_session' EXIT
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

# sundown_command's exit code (124 when it did not return within 10 s).
drive() {
    local status=0
    timeout 10 wine "$command" "$@" >/dev/null 2>&1 </dev/null || status=$?
    echo "$status"
}
# Waits up to $1 tenths of a second until `drive ${@:3}` gives $2.
await() {
    local tenths=$1 want=$2 i
    shift 2
    for i in $(seq "$tenths"); do
        [ "$(drive "$@")" = "$want" ] && return 0
        sleep 0.1
    done
    return 1
}
# Starts Sundown in the background ($pid) and waits until it idles hidden in the tray.
start_sundown() {
    timeout 300 wine "$sundown" >/dev/null 2>&1 </dev/null &
    pid=$!
    await 150 4 state TfrmSundown || fail "Sundown did not start"
}
# True when Sundown ($pid) ends within $1 seconds.
ends_within() {
    local i
    for i in $(seq $(($1 * 10))); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}
# True when Sundown ($pid) ends before the time $1 (milliseconds since the epoch).
ends_by() {
    while kill -0 "$pid" 2>/dev/null; do
        [ "$(date +%s%3N)" -lt "$1" ] || return 1
        sleep 0.1
    done
}
# Writes settings.ini with the alarm ($1: the warning in seconds) in the coming minute, or the one
# after when fewer than $2 seconds (default 10) are left of this one: the program needs a moment to
# start and must arm before the minute begins. $alarm_at is the minute's first second.
alarm_in_the_coming_minute() {
    local now at
    now=$(date +%s)
    if [ $((10#$(date +%S))) -ge $((60 - ${2:-10})) ]; then at=$((now + 120)); else at=$((now + 60)); fi
    alarm_at=$((at - at % 60))
    hour=$((10#$(date -d "@$at" +%H)))
    minute=$((10#$(date -d "@$at" +%M)))
    printf '[Settings]\r\nEnabled=1\r\nHour=%d\r\nMinute=%d\r\nWarning=%d\r\nExitWindowsType=0\r\n' \
        "$hour" "$minute" "$1" >"$ini"
    echo "alarm at $(printf '%02d:%02d' "$hour" "$minute"), now $(date +%H:%M:%S)"
}

# Starts the bystander window recording the session's messages into $record ($witness_pid).
start_witness() {
    record=$1
    timeout 200 wine "$witness" "Z:${record//\//\\}" 180 >/dev/null 2>&1 </dev/null &
    witness_pid=$!
    for _ in $(seq 100); do
        grep -qx ready "$record" 2>/dev/null && break
        sleep 0.1
    done
}
# The new top-level X window's id once one shows, of those not listed in $1.
new_window() {
    local id
    for _ in $(seq 30); do
        id=$(xdotool search --onlyvisible --name '' 2>/dev/null | grep -vxF "$1" | head -n 1)
        [ -n "$id" ] && echo "$id" && return 0
        sleep 0.1
    done
    return 1
}
# Right-clicks Sundown's icon in Wine's own tray window (top left: no desktop tray here) and
# clicks the last item of its menu, Exit.
tray_exit() {
    local tray before menu X Y WIDTH HEIGHT SCREEN WINDOW
    tray=$(xdotool search --onlyvisible --name '^Wine System Tray$' | head -n 1)
    [ -n "$tray" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$tray")"
    before=$(xdotool search --onlyvisible --name '' 2>/dev/null)
    xdotool mousemove $((X + 12)) $((Y + HEIGHT - 13)) click 3
    menu=$(new_window "$before") || return 1
    eval "$(xdotool getwindowgeometry --shell "$menu")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 8)) click 1
}
# The countdown window's place on the screen: $X $Y $WIDTH $HEIGHT.
countdown_geometry() {
    local id
    id=$(xdotool search --onlyvisible --name '^Exit Windows Confim$' | head -n 1)
    [ -n "$id" ] || return 1
    xdotool getwindowgeometry --shell "$id"
}
# The left edge of the countdown window on the screen.
countdown_left() {
    local geometry X Y WIDTH HEIGHT SCREEN WINDOW
    geometry=$(countdown_geometry) || return 1
    eval "$geometry"
    echo "$X"
}
# Starts a move of the countdown from the keyboard (Alt+Space, Move, Right) and leaves it there.
keyboard_move() {
    local left
    left=$(countdown_left) || left=0
    xdotool key alt+space
    sleep 0.5
    xdotool key m
    sleep 0.3
    xdotool key Right
    sleep 0.3
    [ "$(countdown_left || echo 0)" -gt "$left" ] || fail "the keyboard move did not begin"
}
# Presses the left button on the countdown's close box (its frame is drawn by Wine: the box stands
# at the caption's right end), slides off it onto the window and holds the button.
close_box_held() {
    local geometry X Y WIDTH HEIGHT SCREEN WINDOW
    geometry=$(countdown_geometry) || return 1
    eval "$geometry"
    xdotool mousemove $((X + WIDTH - 14)) $((Y + 12)) mousedown 1
    sleep 0.3
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
}

echo "--- 1. nothing can be saved"
rm -rf "$folder"
: >"$folder"
for how in 3 endsession; do
    start_sundown
    [ "$(drive "$how")" = 0 ] || fail "$how: not delivered"
    ends_within 10 || fail "$how: Sundown still runs 10 s later"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
done
rm -f "$folder"
mkdir -p "$folder"

echo "--- 2. command 4 during the countdown"
alarm_in_the_coming_minute 60
start_sundown
await 1300 0 state TfrmExitConfirm || fail "no countdown"
[ "$(drive 4)" = 0 ] || fail "command 4 did not return at once"
sleep 1
[ "$(drive state TfrmExitConfirm)" = 0 ] || fail "the countdown is not shown and enabled"
case "$(drive state TfrmOptions)" in
1 | 4) ;; # never made, or hidden
*) fail "an options window came over the countdown" ;;
esac
[ "$(drive click TfrmExitConfirm Cancel)" = 0 ] || fail "no Cancel button"
await 50 4 state TfrmExitConfirm || fail "a click on Cancel did not cancel"
kill -0 "$pid" 2>/dev/null || fail "Sundown ended"
[ "$(drive 3)" = 0 ] || fail "command 3 not delivered"
ends_within 10 || fail "Sundown did not end at command 3"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

# Case 3 once settings.ini is unwritable, Sundown running: Exit from the tray menu, its box left open.
exit_with_its_box_open() {
    tray_exit || fail "no tray menu"
    await 50 0 state '#32770' || fail "no box"
    start_witness "$work/witness-exit.txt"
    [ "$(date +%s)" -lt "$alarm_at" ] || fail "Exit came too late, in the alarm minute"
    while [ "$(date +%s)" -lt $((alarm_at + 10)) ]; do
        case "$(drive state TfrmExitConfirm)" in
        0 | 3) fail "a countdown came after Exit" && break ;;
        esac
        sleep 0.2
    done
    kill -0 "$pid" 2>/dev/null || fail "Sundown ended with its box open"
    grep -qx WM_QUERYENDSESSION "$record" && fail "the session ended after Exit"
    chattr -i "$ini"
    kill "$witness_pid" 2>/dev/null || true
    wait "$witness_pid" 2>/dev/null || true
}

echo "--- 3. Exit with its box open when the alarm falls due"
# Sundown's start, the tray menu and the box take a while on a busy machine: 30 s are left for
# them before the alarm minute.
alarm_in_the_coming_minute 3 30
start_sundown
if chattr_error=$(chattr +i "$ini" 2>&1); then
    exit_with_its_box_open
else
    # chattr needs root and a file system that keeps the attribute.
    echo "SKIPPED: settings.ini cannot be made unwritable here (chattr: $chattr_error)"
fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

# The alarm's countdown with a warning of 5 s, and $1 (a hold) a second after it shows: the session
# ends within 10 s of the countdown showing, Sundown ends and its settings.ini has been written whole.
session_ends_despite() {
    alarm_in_the_coming_minute 5
    start_witness "$work/witness-$1.txt"
    local start status=0 shown keys
    start=$(date +%s)
    timeout 200 wine "$sundown" >/dev/null 2>&1 </dev/null &
    pid=$!
    if await 1300 0 state TfrmExitConfirm; then
        shown=$(date +%s%3N)
        sleep 1
        "$1" || fail "$1: no countdown to hold"
        if ! ends_by $((shown + 10000)); then
            fail "$1: the session did not end within 10 s of the countdown"
            kill "$pid" "$witness_pid" 2>/dev/null || true
        fi
    else
        fail "$1: no countdown"
    fi
    xdotool mouseup 1 2>/dev/null || true
    wait "$pid" || status=$?
    echo "Sundown.exe ended with $status after $(($(date +%s) - start)) s, at $(date +%H:%M:%S)"
    wait "$witness_pid" 2>/dev/null || true

    echo "--- bystander:"
    cat "$record" 2>/dev/null || echo "(no record)"
    if ! grep -qx WM_QUERYENDSESSION "$record" 2>/dev/null || ! grep -qx "WM_ENDSESSION 1" "$record"; then
        fail "$1: the session did not end"
    fi
    [ "$status" -eq 124 ] && fail "$1: Sundown.exe did not end"
    echo "--- settings.ini:"
    cat "$ini"
    keys=$(sed -n '/^\[Settings\]/,/^\[/p' "$ini" | grep -c '=' || true)
    if [ "$keys" -ne 24 ] || ! grep -q '^AutoUpdateInterval=12' "$ini" ||
        ! grep -q "^Hour=$hour" "$ini" || ! grep -q '^Warning=5' "$ini"; then
        fail "$1: settings.ini was not written whole ($keys keys)"
    fi
}

echo "--- 4. the countdown runs out during a move left half done and ends the session"
session_ends_despite keyboard_move
echo "--- 5. the countdown runs out while the mouse holds its close box and ends the session"
session_ends_despite close_box_held
exit $failed
