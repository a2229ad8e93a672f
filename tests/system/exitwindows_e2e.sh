#!/usr/bin/env bash
# End to end: a window of a program that calls ExitWindows must receive WM_QUERYENDSESSION and
# WM_ENDSESSION. Ending the session ends every program of the Wine prefix, so this runs in a
# throwaway copy of the prefix with a wineserver of its own, which it kills and deletes after.
# Usage: exitwindows_e2e.sh <exitwindows_e2e.exe>
set -euo pipefail
probe=$1
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

start=$(date +%s)
sundown_start_throwaway_session exitwindows

failed=0
for flags in 0 9; do
    record=$work/record-$flags.txt
    rm -f "$record"
    timeout 60 wine "$probe" "Z:${record//\//\\}" "$flags" >/dev/null 2>&1 </dev/null || true
    echo "--- flags $flags:"
    cat "$record" 2>/dev/null || echo "(no record)"
    if ! grep -qx "ExitWindows $flags 1" "$record" 2>/dev/null ||
        ! grep -qx "WM_QUERYENDSESSION" "$record" ||
        ! grep -qx "WM_ENDSESSION 1" "$record" ||
        grep -q "gave up" "$record"; then
        echo "FAILED: flags $flags did not end the session as expected"
        failed=1
    fi
    # The services ended with the session; start them again for the next round.
    timeout 60 wine cmd /c exit >/dev/null 2>&1 </dev/null || true
done
echo "took $(($(date +%s) - start)) s"
exit $failed
