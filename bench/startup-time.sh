#!/usr/bin/env bash
# From start to the setup window mapped, under a private Xvfb with openbox: the median of RUNS
# (10) starts of `quorvane` alone, against the start of `quorvane --show-config` of the same
# build (the program without any window) measured in the same run. Prints both medians and
# what the window costs beyond the baseline.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-10}
# shellcheck source=bench/lib.sh
source "$here/bench/lib.sh"
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null)
read -r -t 15 number <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.05
done
start_private_bus

now_ms() { date +%s%3N; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

baseline=()
window=()
for run in $(seq 1 "$runs"); do
    start=$(now_ms)
    "$build/quorvane" --show-config "$here/examples/single-field-cr.qv3" >/dev/null
    baseline+=($(( $(now_ms) - start )))

    start=$(now_ms)
    "$build/quorvane" 2>"$work/program.err" &
    pid=$!
    until xdotool search --onlyvisible --name '^Quorvane Setup' >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { cat "$work/program.err" >&2; exit 1; }
        sleep 0.005
    done
    window+=($(( $(now_ms) - start )))
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
    echo "run $run: --show-config ${baseline[-1]} ms, setup window mapped ${window[-1]} ms"
done
b=$(printf '%s\n' "${baseline[@]}" | median)
w=$(printf '%s\n' "${window[@]}" | median)
echo "median of $runs: --show-config $b ms, setup window mapped $w ms, the window costs $(( ${w%.*} - ${b%.*} )) ms beyond the baseline"
