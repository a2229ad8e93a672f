#!/usr/bin/env bash
# Measures Sundown.exe against Sundown's main window in plain Win32 (BaselineWindow: the same
# window, clock, button and calendar, hidden to the tray at its first activation), the least a
# tray program of its kind costs (BaselineTray) and that program in Sundown's shape
# (BaselineShape), all built in release, under a Wine prefix and Xvfb of the benchmark's own.
#
# The programs run in rounds: each round runs all four, one after the other, in an order that
# changes from round to round so that each program comes first, and after each of the others,
# equally often. Each run gives start-up until hidden in the tray, working set and private bytes
# once settled and CPU used until then; the first rounds
# (--idle-rounds) also measure CPU over an idle period and, for Sundown, the first opening of its
# options and countdown windows. Sundown's figure in a round is divided by each baseline's in the
# same round; a ratio is the median of these per-round ratios, with its 95 % interval
# (percentile bootstrap). Prints a table ready for the README; exits non-zero only when it could
# not measure.
#
# Usage: bench/run.sh [--rounds N] [--settle SECONDS] [--idle SECONDS] [--idle-rounds N]
#                     [--self-check]
#   --self-check  run BaselineWindow in Sundown's place: every ratio should come out near 1.00
# SUNDOWN_BUILD_DIR chooses the build folder (default build/bench-release).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

usage="usage: bench/run.sh [--rounds N] [--settle SECONDS] [--idle SECONDS] [--idle-rounds N] [--self-check]"
rounds=41
settle=3
idle=10
idle_rounds=11
self_check=0
command_line="bench/run.sh${*:+ $*}"
while [ $# -gt 0 ]; do
    case $1 in
    --rounds | --runs) rounds=$2; shift 2 ;;
    --settle) settle=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --idle-rounds) idle_rounds=$2; shift 2 ;;
    --self-check) self_check=1; shift ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done
for n in "$rounds" "$settle" "$idle" "$idle_rounds"; do
    [[ $n =~ ^[0-9]+$ ]] || { echo "$usage" >&2; exit 2; }
done
[ "$rounds" -ge 1 ] || { echo "$usage" >&2; exit 2; }
[ "$idle_rounds" -le "$rounds" ] || idle_rounds=$rounds

export SUNDOWN_BUILD_DIR=${SUNDOWN_BUILD_DIR:-$SUNDOWN_ROOT/build/bench-release}
sundown_install_packages

# Release build of the programs alone: the tests are not needed to measure.
mkdir -p "$SUNDOWN_BUILD_DIR"
build_log=$SUNDOWN_BUILD_DIR/bench-build.log
if ! cmake -S "$SUNDOWN_ROOT" -B "$SUNDOWN_BUILD_DIR" \
    -DCMAKE_TOOLCHAIN_FILE="$SUNDOWN_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSUNDOWN_TESTS=OFF >"$build_log" 2>&1 ||
    ! cmake --build "$SUNDOWN_BUILD_DIR" -j "$(nproc)" \
        --target Sundown BaselineTray BaselineShape BaselineWindow BenchProbe >>"$build_log" 2>&1; then
    tail -30 "$build_log" >&2
    echo "Could not build the programs to measure (see $build_log)" >&2
    exit 1
fi
BIN=$SUNDOWN_BUILD_DIR/bin
probe_exe=$BIN/BenchProbe.exe
# Each program: its executable, its main window's class, and how the probe sees it ready.
declare -A exe=([window]=$BIN/BaselineWindow.exe [bare]=$BIN/BaselineTray.exe
    [shape]=$BIN/BaselineShape.exe [subject]=$BIN/Sundown.exe)
declare -A class=([window]=TfrmSundownWindow [bare]=TfrmSundownBaseline [shape]=TfrmSundownShape
    [subject]=TfrmSundown)
declare -A ready=([window]=hide [bare]=event [shape]=hide [subject]=hide)
subject_name=Sundown.exe
if [ $self_check -eq 1 ]; then
    exe[subject]=${exe[window]} class[subject]=${class[window]} subject_name="BaselineWindow (self-check)"
fi
labels=(window subject bare shape)
# The orders of the rounds, in turn: each program comes in each place, and right after each of
# the others, once in four rounds, so that what the ending of one program leaves to the machine
# falls on each of the others alike; a plain rotation would always put Sundown after the same
# baseline.
orders=("0 1 3 2" "1 2 0 3" "2 3 1 0" "3 0 2 1")
for label in "${labels[@]}"; do
    [ -f "${exe[$label]}" ] || { echo "Missing ${exe[$label]}: nothing to measure" >&2; exit 1; }
done
[ -f "$probe_exe" ] || { echo "Missing $probe_exe: nothing to measure" >&2; exit 1; }

out_dir=$SUNDOWN_BUILD_DIR/bench
mkdir -p "$out_dir"
log=$out_dir/runs.log
results=$out_dir/results.txt # one "round label key value" a line
: >"$log"
: >"$results"

probe_pid=""
cleanup() {
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    sundown_stop_wine
    sundown_stop_display
}
trap cleanup EXIT
sundown_start_display always
# A prefix of the benchmark's own: nothing here can touch the test prefix or ~/.wine.
sundown_start_wine "$SUNDOWN_BUILD_DIR/bench-wineprefix"
# With no window manager on Xvfb, Wine waits about 2 s whenever a managed window hides: a cost of
# the test display, not of the program. Wine leaves window management alone in this prefix.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
wine_version=$(wine --version 2>/dev/null || echo "Wine")

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
unix_pid_of() { # $1: Windows path of the exe (one grep over all command lines: a busy machine
    local f p # has hundreds of processes, and a command per process would take seconds)
    for f in $(grep -lzxF -- "$1" /proc/[0-9]*/cmdline 2>/dev/null); do
        p=${f%/cmdline}
        [ "$(tr '\0' '\n' 2>/dev/null <"$p/cmdline" | head -1)" = "$1" ] || continue
        grep -qzx "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null || continue
        echo "${p#/proc/}"
        return 0
    done
    return 1
}
wineserver_pid() { # the prefix's server: of its processes named wineserver, the one that works
    local p pid best="" most=-1 t
    for pid in $(pgrep wineserver); do
        p=/proc/$pid
        grep -qzx "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null || continue
        t=$(cpu_ns "$pid")
        if [ "${t:-0}" -gt "$most" ]; then
            most=${t:-0} best=$pid
        fi
    done
    [ -n "$best" ] && echo "$best"
}
cpu_ns() { # time on CPU of every thread of process $1, in nanoseconds (mawk's %d stops at 2^31)
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'
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
percent_of_core() { # $1 $2 CPU ns at the start and end, $3 $4 wall ns at the start and end
    awk -v a="$1" -v b="$2" -v t0="$3" -v t1="$4" 'BEGIN { printf "%.4f", (b - a) * 100 / (t1 - t0) }'
}

# One run of program $1 in round $2; $3 is 1 when the round also measures idle CPU and windows.
# Appends its figures to the results; returns non-zero when the run gave none.
measure() {
    local label=$1 round=$2 full=$3 win_exe
    local probe_args=()
    win_exe=$(winepath -w "${exe[$label]}")
    [ "$full" -eq 1 ] && [ "$label" = subject ] && [ $self_check -eq 0 ] && probe_args=(--open-windows)
    # Without an idle period the program still lives a moment after settling, for its CPU figure.
    local idle_ms=500
    [ "$full" -eq 1 ] && idle_ms=$((idle * 1000))
    write_settings
    local out=$out_dir/run-$round-$label.txt
    wine "$probe_exe" --exe "$win_exe" --class "${class[$label]}" --ready "${ready[$label]}" \
        --settle-ms $((settle * 1000)) --idle-ms "$idle_ms" --timeout-ms 60000 \
        "${probe_args[@]}" >"$out" 2>/dev/null </dev/null &
    probe_pid=$!
    local ok=1 upid="" srv="" c0="" c1="" s0="" s1="" t0="" t1="" why="it did not settle"
    # The process is found while it settles; its CPU is read when it has settled.
    if wait_for_line "$out" '^phase=ready' 90; then
        upid=$(unix_pid_of "$win_exe") || upid=""
        [ "$full" -eq 1 ] && { srv=$(wineserver_pid) || srv=""; }
        [ -n "$upid" ] || why="its process was not found"
    fi
    if [ -n "$upid" ] && wait_for_line "$out" '^phase=settled' $((settle + 30)); then
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
    { echo "== round $round: $label"; cat "$out"; } >>"$log"
    local startup
    startup=$(value_of "$out" startup_ms)
    if [ $ok -eq 0 ] || grep -q '^error=' "$out" || [ -z "$startup" ] || [ -z "$c0" ]; then
        grep -q '^error=' "$out" && why=$(value_of "$out" error)
        echo "  round $round, $label: no figures ($why)" >&2
        return 1
    fi
    local private
    private=$(value_of "$out" private_kb)
    # Wine leaves PrivateUsage at 0; its PagefileUsage (the same figure on Windows) is filled.
    [ "${private:-0}" -eq 0 ] && private=$(value_of "$out" pagefile_kb)
    {
        echo "$round $label startup_ms $startup"
        echo "$round $label ws_kb $(value_of "$out" working_set_kb)"
        echo "$round $label private_kb $private"
        echo "$round $label settle_cpu_ms $(awk -v c="$c0" 'BEGIN { printf "%.1f", c / 1e6 }')"
        local key
        for key in window_created_ms window_shown_ms options_open_ms countdown_open_ms; do
            [ -n "$(value_of "$out" $key)" ] && echo "$round $label $key $(value_of "$out" $key)"
        done
        if [ "$full" -eq 1 ]; then
            echo "$round $label idle_cpu_pct $(percent_of_core "$c0" "$c1" "$t0" "$t1")"
            [ -n "$s1" ] && echo "$round $label server_cpu_pct $(percent_of_core "$s0" "$s1" "$t0" "$t1")"
        fi
    } >>"$results"
    return 0
}

echo "Measuring $subject_name: $rounds rounds of the four programs in changing order, ${settle} s" \
    "settle; idle CPU over ${idle} s and the windows' first opening in the first $idle_rounds rounds"
failed=0
for round in $(seq "$rounds"); do
    full=0
    [ "$round" -le "$idle_rounds" ] && full=1
    order=()
    for i in ${orders[(round - 1) % ${#orders[@]}]}; do order+=("${labels[i]}"); done
    line="round $round:"
    for label in "${order[@]}"; do
        # A run that gave nothing is tried once more; a round may still lack a program.
        if measure "$label" "$round" "$full" || measure "$label" "$round" "$full"; then
            line+=" $label $(awk -v r="$round" -v l="$label" '$1 == r && $2 == l && $3 == "startup_ms" { print $4 }' "$results") ms"
        else
            failed=$((failed + 1))
            line+=" $label -"
        fi
    done
    echo "  $line"
done

# Statistics over a column of numbers on standard input.
quartiles() { # prints "median p25 p75"
    sort -g | awk '{ v[NR] = $1 }
        function q(p,   x, i, f) { x = 1 + (NR - 1) * p; i = int(x); f = x - i
            return (i < NR) ? v[i] + f * (v[i + 1] - v[i]) : v[i] }
        END { if (NR > 0) printf "%.6g %.6g %.6g\n", q(0.5), q(0.25), q(0.75) }'
}
bootstrap() { # prints "median low high": the median and its 95 % percentile-bootstrap interval
    awk -v B=2000 -v seed=1 '
        function isort(a, n,   i, j, t) {
            for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
        }
        function med(a, n) { return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
        { v[++n] = $1 }
        END {
            if (n == 0) exit
            for (i = 1; i <= n; i++) s[i] = v[i]
            isort(s, n)
            srand(seed)
            for (b = 1; b <= B; b++) {
                for (i = 1; i <= n; i++) r[i] = v[int(rand() * n) + 1]
                isort(r, n)
                m[b] = med(r, n)
            }
            isort(m, B)
            printf "%.6g %.6g %.6g\n", med(s, n), m[int(B * 0.025) + 1], m[int(B * 0.975)]
        }'
}
values() { awk -v l="$1" -v k="$2" '$2 == l && $3 == k { print $4 }' "$results"; }
paired_ratios() { # $1 baseline label, $2 key: Sundown's figure over the baseline's, round by round
    awk -v b="$1" -v k="$2" '$3 == k && $2 == "subject" { s[$1] = $4 }
        $3 == k && $2 == b { v[$1] = $4 }
        END { for (r in s) if ((r in v) && v[r] > 0) printf "%.6f\n", s[r] / v[r] }' "$results"
}
cell() { # $1 label, $2 key, $3 printf format: the median and its 25th to 75th percentile
    local q
    q=$(values "$1" "$2" | quartiles)
    [ -n "$q" ] || { printf -- "-"; return 0; }
    set -- $q "$3"
    printf "$4 ($4–$4)" "$1" "$2" "$3"
}
ratio_cell() { # $1 baseline label, $2 key: median of the paired ratios and its 95 % interval
    local q
    q=$(paired_ratios "$1" "$2" | bootstrap)
    [ -n "$q" ] || { printf -- "-"; return 0; }
    set -- $q
    printf "%.3f (%.3f–%.3f)" "$1" "$2" "$3"
}
count() { values "$1" "$2" | wc -l | tr -d ' '; }
row() { # $1 figure, $2 key, $3 printf format
    [ "$(count subject "$2")" -gt 0 ] || return 0
    printf "| %s | %s | %s | %s | %s | %s | %s | %s |\n" "$1" "$(cell subject "$2" "$3")" \
        "$(cell window "$2" "$3")" "$(ratio_cell window "$2")" "$(cell bare "$2" "$3")" \
        "$(ratio_cell bare "$2")" "$(cell shape "$2" "$3")" "$(ratio_cell shape "$2")"
}
size_kb() { echo $(($(stat -c %s "$1") / 1024)); }
size_ratio() { awk -v s="$(stat -c %s "$1")" -v b="$(stat -c %s "$2")" 'BEGIN { printf "%.2f", s / b }'; }
verdict() { # $1 baseline key, $2 most for the median, $3 most for the interval's upper end
    paired_ratios window "$1" | bootstrap | awk -v m="$2" -v h="$3" \
        '{ printf "%.3f, interval up to %.3f: %s", $1, $3, ($1 <= m && (h == "" || $3 < h)) ? "met" : "not met" }'
}

commit=$(git -C "$SUNDOWN_ROOT" rev-parse --short HEAD 2>/dev/null || echo "?")
git -C "$SUNDOWN_ROOT" diff --quiet HEAD -- src resources bench CMakeLists.txt 2>/dev/null ||
    commit+=" with uncommitted changes"
idle_note="Idle CPU and the windows' first opening are from the first $idle_rounds rounds."
[ "$idle_rounds" -gt 0 ] || idle_note="Idle CPU and the windows' first opening were not measured."
table=$out_dir/table.md
{
    echo "At $commit, $wine_version and Xvfb, \`$command_line\` ($(date -u +%Y-%m-%d)): $rounds rounds," \
        "each running the four programs in turn, each first and after each other equally often. Each" \
        "figure is the median with the 25th to 75th percentile; each ratio is the median of" \
        "$subject_name's figure over the baseline's in the same round, with its 95 % bootstrap" \
        "interval. $idle_note"
    echo
    echo "| Figure | $subject_name | Same window | Ratio | Tray only | Ratio | Shape | Ratio |"
    echo "|---|---:|---:|---:|---:|---:|---:|---:|"
    row "Start-up until hidden in the tray (ms)" startup_ms "%.1f"
    row "Main window made (ms)" window_created_ms "%.1f"
    row "Working set, settled (KB)" ws_kb "%.0f"
    row "Private bytes, settled (KB)" private_kb "%.0f"
    row "CPU used until settled (ms)" settle_cpu_ms "%.1f"
    row "Idle CPU over ${idle} s (% of one core)" idle_cpu_pct "%.3f"
    row "wineserver CPU meanwhile (% of one core)" server_cpu_pct "%.3f"
    printf "| Executable size (KB) | %d | %d | %s | %d | %s | %d | %s |\n" \
        "$(size_kb "${exe[subject]}")" "$(size_kb "${exe[window]}")" \
        "$(size_ratio "${exe[subject]}" "${exe[window]}")" "$(size_kb "${exe[bare]}")" \
        "$(size_ratio "${exe[subject]}" "${exe[bare]}")" "$(size_kb "${exe[shape]}")" \
        "$(size_ratio "${exe[subject]}" "${exe[shape]}")"
    for key in options_open_ms countdown_open_ms; do
        [ "$(count subject $key)" -gt 0 ] || continue
        name="Options window"
        [ $key = countdown_open_ms ] && name="Countdown window"
        printf "| %s, first opening (ms) | %s | | | | | | |\n" "$name" "$(cell subject $key "%.1f")"
    done
    echo
    echo "Against the same window: start-up $(verdict startup_ms 1.05 1.10) (goal: at most 1.05," \
        "interval under 1.10); working set $(verdict ws_kb 1.05 "") (goal: at most 1.05)."
    [ $failed -eq 0 ] || echo "$failed of $((rounds * ${#labels[@]})) runs gave no figures (see the log)."
} >"$table"
echo
cat "$table"
echo
echo "Raw figures: $results and $log; table: $table"
for label in "${labels[@]}"; do
    [ "$(count "$label" startup_ms)" -gt 0 ] || { echo "No figures for $label" >&2; exit 1; }
done
