#!/usr/bin/env bash
# End to end, the real thing, in three runs of Sundown.exe:
# 1. With the settings folder's name taken by a file (nothing can be saved), command 3 and the
#    end-of-session message each end Sundown within a few seconds.
# 2. The alarm's countdown is on screen when command 4 asks for the options window: the countdown
#    stays enabled, no options window comes, and a real click on its Cancel cancels.
# 3. Started with its alarm in the coming minute and a warning of a few seconds, nobody cancels:
#    the countdown runs out, ExitWindowsEx ends the Wine session (a bystander window sees
#    WM_QUERYENDSESSION and WM_ENDSESSION), Sundown ends and its settings.ini has been written
#    whole.
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
# Writes settings.ini with the alarm in the coming minute, or the one after when this one is nearly
# over (the program needs a moment to start and must arm before the minute begins).
alarm_in_the_coming_minute() {
    local now at
    now=$(date +%s)
    if [ $((10#$(date +%S))) -ge 50 ]; then at=$((now + 120)); else at=$((now + 60)); fi
    hour=$((10#$(date -d "@$at" +%H)))
    minute=$((10#$(date -d "@$at" +%M)))
    printf '[Settings]\r\nEnabled=1\r\nHour=%d\r\nMinute=%d\r\nWarning=%d\r\nExitWindowsType=0\r\n' \
        "$hour" "$minute" "$1" >"$ini"
    echo "alarm at $(printf '%02d:%02d' "$hour" "$minute"), now $(date +%H:%M:%S)"
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

echo "--- 3. the countdown runs out and ends the session"
alarm_in_the_coming_minute 3
record=$work/witness.txt
timeout 200 wine "$witness" "Z:${record//\//\\}" 180 >/dev/null 2>&1 </dev/null &
witness_pid=$!
for _ in $(seq 100); do
    grep -qx ready "$record" 2>/dev/null && break
    sleep 0.1
done

start=$(date +%s)
status=0
timeout 200 wine "$sundown" >/dev/null 2>&1 </dev/null || status=$?
echo "Sundown.exe ended with $status after $(($(date +%s) - start)) s, at $(date +%H:%M:%S)"
wait "$witness_pid" 2>/dev/null || true

echo "--- bystander:"
cat "$record" 2>/dev/null || echo "(no record)"
if ! grep -qx WM_QUERYENDSESSION "$record" 2>/dev/null || ! grep -qx "WM_ENDSESSION 1" "$record"; then
    fail "the session did not end"
fi
[ "$status" -eq 124 ] && fail "Sundown.exe did not end"
echo "--- settings.ini:"
cat "$ini"
keys=$(sed -n '/^\[Settings\]/,/^\[/p' "$ini" | grep -c '=' || true)
if [ "$keys" -ne 24 ] || ! grep -q '^AutoUpdateInterval=12' "$ini" ||
    ! grep -q "^Hour=$hour" "$ini" || ! grep -q '^Warning=3' "$ini"; then
    fail "settings.ini was not written whole ($keys keys)"
fi
exit $failed
