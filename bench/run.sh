#!/usr/bin/env bash
# Measures Sundown.exe against the least a tray program of its kind costs (bench/baseline) and
# against the same program in Sundown's shape (common controls 6 loaded, its window shown at start
# and hidden to the tray at its first activation), all built in release, under Wine and Xvfb of
# the benchmark's own. The programs run in turn, several times: start-up until hidden in the tray,
# working set and private bytes once settled, CPU used over an idle period, the executable's size
# and, for Sundown, the first opening of its options and countdown windows. Prints a table of
# medians with their spread (25th to 75th percentile) and the ratios of Sundown to each baseline;
# exits non-zero only when it could not measure.
#
# Usage: bench/run.sh [--runs N] [--idle SECONDS] [--settle SECONDS] [--self-check]
#   --self-check  measure the baseline in the Sundown column too (run with /flash, showing its
#                 window and hiding it like Sundown, through the same hide detection)
# SUNDOWN_BUILD_DIR chooses the build folder (default build/bench-release).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

runs=15
idle=20
settle=3
self_check=0
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --settle) settle=$2; shift 2 ;;
    --self-check) self_check=1; shift ;;
    *) echo "usage: bench/run.sh [--runs N] [--idle SECONDS] [--settle SECONDS] [--self-check]" >&2
       exit 2 ;;
    esac
done

export SUNDOWN_BUILD_DIR=${SUNDOWN_BUILD_DIR:-$SUNDOWN_ROOT/build/bench-release}
sundown_install_packages

# Release build of the programs alone: the tests are not needed to measure.
cmake -S "$SUNDOWN_ROOT" -B "$SUNDOWN_BUILD_DIR" \
    -DCMAKE_TOOLCHAIN_FILE="$SUNDOWN_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSUNDOWN_TESTS=OFF >/dev/null
if ! sundown_build mingw-release >"$SUNDOWN_BUILD_DIR/bench-build.log" 2>&1; then
    echo "Full build failed (see $SUNDOWN_BUILD_DIR/bench-build.log); building the measured programs only"
    targets="BaselineTray BaselineShape BenchProbe"
    [ $self_check -eq 0 ] && targets="$targets Sundown"
    # shellcheck disable=SC2086
    if ! cmake --build "$SUNDOWN_BUILD_DIR" --target $targets -j "$(nproc)" >>"$SUNDOWN_BUILD_DIR/bench-build.log" 2>&1; then
        tail -30 "$SUNDOWN_BUILD_DIR/bench-build.log" >&2
        echo "Could not build the programs to measure" >&2
        exit 1
    fi
fi
BUILD_DIR=$SUNDOWN_BUILD_DIR
BIN=$BUILD_DIR/bin
baseline_exe=$BIN/BaselineTray.exe
shape_exe=$BIN/BaselineShape.exe
probe_exe=$BIN/BenchProbe.exe
if [ $self_check -eq 1 ]; then
    subject_exe=$baseline_exe
    subject_class=TfrmSundownBaseline
    subject_args=(-- /flash)
    subject_name="Baseline /flash"
else
    subject_exe=$BIN/Sundown.exe
    subject_class=TfrmSundown
    subject_args=(--open-windows)
    subject_name=Sundown.exe
fi
for f in "$baseline_exe" "$shape_exe" "$probe_exe" "$subject_exe"; do
    if [ ! -f "$f" ]; then
        echo "Missing $f: nothing to measure" >&2
        exit 1
    fi
done

out_dir=$BUILD_DIR/bench
mkdir -p "$out_dir"
log=$out_dir/runs.log
: >"$log"

probe_pid=""
cleanup() {
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    sundown_stop_wine
    sundown_stop_display
}
trap cleanup EXIT
sundown_start_display always
# A prefix of the benchmark's own: nothing here can touch the test prefix or ~/.wine.
sundown_start_wine "$BUILD_DIR/bench-wineprefix"
# With no window manager on Xvfb, Wine waits about 2 s whenever a managed window hides: a cost of
# the test display, not of the program. Wine leaves window management alone in this prefix.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null

# Sundown's default settings arm an alarm at 20:00 that ends the session: disarm it before every
# run, in the folder Sundown itself uses (the shell folder "AppData" of the prefix's user). The
# countdown that the probe opens from the tray menu lasts an hour; the probe cancels it at once.
appdata_win=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
    /v AppData 2>/dev/null | tr -d '\r' | awk '/AppData/ { sub(/.*REG_SZ[ \t]+/, ""); print; exit }')
if [ -z "$appdata_win" ]; then
    echo "Could not read the prefix's AppData folder" >&2
    exit 1
fi
settings_dir=$(winepath -u "$appdata_win" 2>/dev/null)/Sundown
write_settings() {
    mkdir -p "$settings_dir"
    printf '[Settings]\r\nEnabled=0\r\nWarning=3600\r\n' >"$settings_dir/settings.ini"
}

# Linux-side figures: the Windows process of a program, found by its command line in this prefix.
unix_pid_of() { # $1: Windows path of the exe
    local p c
    for p in /proc/[0-9]*; do
        c=$(tr '\0' '\n' 2>/dev/null <"$p/cmdline" | head -1) || continue
        [ "$c" = "$1" ] || continue
        tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        echo "${p#/proc/}"
        return 0
    done
    return 1
}
wineserver_pid() { # the prefix's server: of its processes named wineserver, the one that works
    local p pid best="" most=-1 t
    for p in /proc/[0-9]*; do
        tr '\0' '\n' 2>/dev/null <"$p/cmdline" | head -1 | grep -q 'wineserver' || continue
        tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        pid=${p#/proc/}
        t=$(cpu_ns "$pid")
        if [ "${t:-0}" -gt "$most" ]; then
            most=${t:-0} best=$pid
        fi
    done
    [ -n "$best" ] && echo "$best"
}
cpu_ns() { # time on CPU of every thread of process $1, in nanoseconds
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d\n", s }'
}
now_ns() { date +%s%N; }
wait_for_line() { # $1 file, $2 pattern, $3 timeout in seconds
    local end=$(($(date +%s) + $3))
    while ! grep -q "$2" "$1" 2>/dev/null; do
        grep -q '^error=' "$1" 2>/dev/null && return 1
        [ "$(date +%s)" -ge "$end" ] && return 1
        sleep 0.02
    done
}
value_of() { tr -d '\r' <"$1" | awk -F= -v k="$2" '$1 == k { print $2; exit }'; }

# One measured run. $1: label (baseline|shape|subject), $2: run number. Appends "label key value" lines
# to the results file; returns non-zero when the run gave no figures.
results=$out_dir/results.txt
: >"$results"
measure() {
    local label=$1 n=$2 exe class mode win_exe
    local args=() probe_args=()
    if [ "$label" = baseline ]; then
        exe=$baseline_exe class=TfrmSundownBaseline mode=event
    elif [ "$label" = shape ]; then
        exe=$shape_exe class=TfrmSundownShape mode=hide
    else
        exe=$subject_exe class=$subject_class
        mode=hide
        if [ "${subject_args[0]:-}" = --open-windows ]; then
            probe_args=(--open-windows)
        else
            args=("${subject_args[@]}")
        fi
    fi
    win_exe=$(winepath -w "$exe")
    write_settings
    local out=$out_dir/run-$label-$n.txt
    wine "$probe_exe" --exe "$win_exe" --class "$class" --ready "$mode" \
        --settle-ms $((settle * 1000)) --idle-ms $((idle * 1000)) --timeout-ms 60000 \
        "${probe_args[@]}" "${args[@]}" >"$out" 2>/dev/null </dev/null &
    probe_pid=$!
    local ok=1 upid="" srv="" c0="" c1="" s0="" s1="" t0="" t1=""
    if wait_for_line "$out" '^phase=settled' $((settle + 90)); then
        upid=$(unix_pid_of "$win_exe") || upid=""
        srv=$(wineserver_pid) || srv=""
        t0=$(now_ns)
        [ -n "$upid" ] && c0=$(cpu_ns "$upid")
        [ -n "$srv" ] && s0=$(cpu_ns "$srv")
        if wait_for_line "$out" '^phase=idle-end' $((idle + 30)); then
            t1=$(now_ns)
            [ -n "$upid" ] && c1=$(cpu_ns "$upid")
            [ -n "$srv" ] && s1=$(cpu_ns "$srv")
        else
            ok=0
        fi
    else
        ok=0
    fi
    wait "$probe_pid" || ok=0
    probe_pid=""
    { echo "== $label run $n"; cat "$out"; } >>"$log"
    if [ $ok -eq 0 ] || grep -q '^error=' "$out" || [ -z "$c1" ] || [ -z "$c0" ]; then
        echo "  $label run $n: no figures ($(value_of "$out" error))" >&2
        return 1
    fi
    local private
    private=$(value_of "$out" private_kb)
    # Wine leaves PrivateUsage at 0; its PagefileUsage (the same figure on Windows) is filled.
    [ "${private:-0}" -eq 0 ] && private=$(value_of "$out" pagefile_kb)
    {
        echo "$label startup_ms $(value_of "$out" startup_ms)"
        echo "$label ws_kb $(value_of "$out" working_set_kb)"
        echo "$label private_kb $private"
        echo "$label settle_cpu_ms $(awk -v c="$c0" 'BEGIN { printf "%.1f", c / 1e6 }')"
        echo "$label idle_cpu_pct $(awk -v a="$c0" -v b="$c1" -v t0="$t0" -v t1="$t1" \
            'BEGIN { printf "%.4f", (b - a) * 100 / (t1 - t0) }')"
        local phase
        for phase in window_created_ms window_shown_ms options_open_ms countdown_open_ms; do
            [ -n "$(value_of "$out" $phase)" ] && echo "$label $phase $(value_of "$out" $phase)"
        done
        [ -n "$s1" ] && echo "$label server_cpu_pct $(awk -v a="$s0" -v b="$s1" -v t0="$t0" -v t1="$t1" \
            'BEGIN { printf "%.4f", (b - a) * 100 / (t1 - t0) }')"
    } >>"$results"
    printf '  %-8s run %d: start-up %s ms, working set %s KB, private %s KB, idle CPU %s %%\n' \
        "$label" "$n" "$(value_of "$out" startup_ms)" "$(value_of "$out" working_set_kb)" \
        "$private" "$(awk -v l="$label" '$1 == l && $2 == "idle_cpu_pct" { v = $3 } END { print v }' "$results")"
}

# Runs one measurement, once more if it gave no figures.
measure_twice() { measure "$@" || measure "$@"; }

echo "Measuring $subject_name against the baselines: $runs runs each, ${settle} s settle, ${idle} s idle"
failed=0
for n in $(seq "$runs"); do
    # The programs take turns going first, so a drift of the machine falls on all alike.
    case $((n % 3)) in
    1) order="baseline subject shape" ;;
    2) order="subject shape baseline" ;;
    *) order="shape baseline subject" ;;
    esac
    for label in $order; do
        measure_twice "$label" "$n" || failed=1
    done
done
if [ $failed -ne 0 ]; then
    echo "Some runs gave no figures (see $log)" >&2
    exit 1
fi

quantile() { # $1 label, $2 key, $3 fraction (0.5: the median); prints nothing without figures
    awk -v l="$1" -v k="$2" '$1 == l && $2 == k { print $3 }' "$results" | sort -g |
        awk -v q="$3" '{ v[NR] = $1 } END { if (NR == 0) exit; p = 1 + (NR - 1) * q; i = int(p);
              f = p - i; printf "%.6g\n", (i < NR) ? v[i] + f * (v[i + 1] - v[i]) : v[i] }'
}
median() { quantile "$1" "$2" 0.5; }
static_imports() { # the DLLs an exe imports that Windows does not ship (a static build has none)
    x86_64-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ { print $3 }' |
        grep -iE 'libstdc|libgcc|libwinpthread|pthread' | tr '\n' ' ' || true
}

table=$out_dir/table.md
cell() { # $1 label, $2 key, $3 printf format: the median and its spread
    local m lo hi
    m=$(median "$1" "$2")
    [ -n "$m" ] || { echo "-"; return 0; }
    lo=$(quantile "$1" "$2" 0.25) hi=$(quantile "$1" "$2" 0.75)
    printf "$3 ($3–$3)" "$m" "$lo" "$hi"
}
ratio() { # $1 subject median, $2 baseline median
    awk -v s="$1" -v b="$2" 'BEGIN { if (s != "" && b > 0) printf "%.2f", s / b; else print "-" }'
}
row() { # $1 figure, $2 key, $3 printf format, $4 target text
    local s b h
    s=$(median subject "$2") b=$(median baseline "$2") h=$(median shape "$2")
    [ -n "$s" ] && [ -n "$b" ] || return 0
    printf "| %s | %s | %s | %s | %s | %s | %s |\n" "$1" "$(cell subject "$2" "$3")" \
        "$(cell baseline "$2" "$3")" "$(ratio "$s" "$b")" "$(cell shape "$2" "$3")" \
        "$(ratio "$s" "$h")" "$4"
}
{
    echo "| Figure (median of $runs, 25th–75th percentile) | $subject_name | Baseline | Ratio |" \
        "Shape baseline | Ratio | Target |"
    echo "|---|---:|---:|---:|---:|---:|---|"
    row "Start-up until hidden in the tray (ms)" startup_ms "%.1f" "ratio ≤ 1.5; to shape ≤ 1.2"
    row "Working set, settled (KB)" ws_kb "%.0f" "ratio ≤ 1.3"
    row "Private bytes, settled (KB)" private_kb "%.0f" ""
    row "CPU used until settled (ms)" settle_cpu_ms "%.1f" ""
    row "Idle CPU over ${idle} s (% of one core)" idle_cpu_pct "%.3f" "< 0.1 %"
    row "wineserver CPU meanwhile, whole prefix (% of one core)" server_cpu_pct "%.3f" ""
    ss=$(stat -c %s "$subject_exe") bs=$(stat -c %s "$baseline_exe") hs=$(stat -c %s "$shape_exe")
    printf "| Executable size (KB) | %d | %d | %.2f | %d | %.2f | < 2048, static |\n" \
        $((ss / 1024)) $((bs / 1024)) "$(awk -v s="$ss" -v b="$bs" 'BEGIN { print s / b }')" \
        $((hs / 1024)) "$(awk -v s="$ss" -v b="$hs" 'BEGIN { print s / b }')"
    for key in options_open_ms countdown_open_ms; do
        [ -n "$(median subject $key)" ] || continue
        name="Options window"
        [ $key = countdown_open_ms ] && name="Countdown window"
        printf "| %s, first opening (ms) | %s | | | | | < 100 |\n" "$name" \
            "$(cell subject $key "%.1f")"
    done
} >"$table"
echo
cat "$table"
for label in subject baseline shape; do
    name=$subject_name
    [ $label = baseline ] && name=Baseline
    [ $label = shape ] && name="Shape baseline"
    shown=$(median $label window_shown_ms)
    echo "$name start-up, medians: window created at $(median $label window_created_ms) ms," \
        "${shown:+shown at $shown ms, }ready at $(median $label startup_ms) ms"
done
imports=$(static_imports "$subject_exe")
if [ -n "$imports" ]; then
    echo "$subject_name is not statically linked: imports $imports"
else
    echo "$subject_name imports system DLLs only (statically linked)"
fi
echo "Raw figures: $results and $log; table: $table"
