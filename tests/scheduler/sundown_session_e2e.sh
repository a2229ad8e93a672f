#!/usr/bin/env bash
# End to end, the real thing: Sundown.exe started with its alarm in the coming minute and a
# warning of a few seconds. Nobody cancels, so the countdown runs out, ExitWindowsEx ends the Wine
# session (a bystander window sees WM_QUERYENDSESSION and WM_ENDSESSION), Sundown ends and its
# settings.ini has been written whole. Ending the session ends every program of the prefix, so
# this runs in a throwaway prefix with a wineserver of its own, killed and deleted afterwards.
# Usage: sundown_session_e2e.sh <Sundown.exe> <session_witness.exe>
set -euo pipefail
sundown=$1
witness=$2
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

sundown_start_throwaway_session session

appdata=$(timeout 60 wine cmd /c echo %APPDATA% 2>/dev/null </dev/null | tr -d '\r')
folder=$(winepath -u "$appdata" 2>/dev/null)/Sundown
mkdir -p "$folder"
ini=$folder/settings.ini

# The coming minute, or the one after when this one is nearly over (the program needs a moment
# to start and must arm before the minute begins).
now=$(date +%s)
if [ $((10#$(date +%S))) -ge 50 ]; then at=$((now + 120)); else at=$((now + 60)); fi
hour=$((10#$(date -d "@$at" +%H)))
minute=$((10#$(date -d "@$at" +%M)))
printf '[Settings]\r\nEnabled=1\r\nHour=%d\r\nMinute=%d\r\nWarning=3\r\nExitWindowsType=0\r\n' \
    "$hour" "$minute" >"$ini"
echo "alarm at $(printf '%02d:%02d' "$hour" "$minute"), now $(date +%H:%M:%S)"

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

failed=0
echo "--- bystander:"
cat "$record" 2>/dev/null || echo "(no record)"
if ! grep -qx WM_QUERYENDSESSION "$record" 2>/dev/null || ! grep -qx "WM_ENDSESSION 1" "$record"; then
    echo "FAILED: the session did not end"
    failed=1
fi
if [ "$status" -eq 124 ]; then
    echo "FAILED: Sundown.exe did not end"
    failed=1
fi
echo "--- settings.ini:"
cat "$ini"
keys=$(sed -n '/^\[Settings\]/,/^\[/p' "$ini" | grep -c '=' || true)
if [ "$keys" -ne 24 ] || ! grep -q '^AutoUpdateInterval=12' "$ini" ||
    ! grep -q "^Hour=$hour" "$ini" || ! grep -q '^Warning=3' "$ini"; then
    echo "FAILED: settings.ini was not written whole ($keys keys)"
    failed=1
fi
exit $failed
