#!/usr/bin/env bash
# The runtime window under load. A configuration of 40 comma-separated fields in DDE Server
# mode runs windowed (`quorvane FILE.qv3 --port COM1=PTY`, Normal mode at once) on an Xvfb
# display of its own and a private session bus; a feeder plays the device on a pseudo-terminal
# at RATE records a second for SECONDS seconds. Reports the records the window counted (read
# over D-Bus: Request("RecordNumber"), which must equal the records sent), the program's CPU
# time from /proc/PID/stat and its peak resident memory (VmHWM).
#
# HEADLESS=1 runs the same load through `quorvane --headless`, for comparison.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
rate=${RATE:-2000}
seconds=${SECONDS_TO_RUN:-10}
records=$((rate * seconds))
# shellcheck source=bench/lib.sh
source "$here/bench/lib.sh"
start_private_bus

# A display of our own; nothing of the user's desktop is touched.
if [[ "${HEADLESS:-0}" != 1 ]]; then
    display=":$((90 + RANDOM % 100))"
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 1 100); do
        [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break
        sleep 0.05
    done
    export DISPLAY=$display
    unset QT_QPA_PLATFORM
fi

# 40 delimited fields in DDE Server mode: lines 11 (Mode), 15 (RecordStructure) and 17
# (NumberOfFields) of the writer's layout, on the File New example.
write_config single-field-cr.qv3
python3 - "$work/bench.qv3" <<'PY'
import sys
path = sys.argv[1]
lines = open(path, "rb").read().split(b"\r\n")
lines[10], lines[14], lines[16] = b" 1 ", b" 1 ", b" 40 "
open(path, "wb").write(b"\r\n".join(lines))
PY

# The feeder holds the master side: it prints the device path, waits for "go" on its
# standard input, sends records paced in 10 ms slices, then keeps the pair open until told.
mkfifo "$work/feed-control"
python3 - "$rate" "$seconds" "$work/feed-control" >"$work/feed.out" 2>"$work/feed.err" <<'PY' &
import os, sys, time, tty
rate, seconds, control = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
master, slave = os.openpty()
tty.setraw(slave)
print(os.ttyname(slave), flush=True)
os.close(slave)
ctl = open(control, "r")
ctl.readline()  # go
def record(i):
    return (",".join("%d.%02d" % (i % 1000, (i + f) % 100) for f in range(40)) + "\r").encode()
per_slice = rate // 100
sent = 0
start = time.monotonic()
for s in range(seconds * 100):
    chunk = b"".join(record(sent + k) for k in range(per_slice))
    view = memoryview(chunk)
    while view:
        try:
            n = os.write(master, view)
            view = view[n:]
        except BlockingIOError:
            time.sleep(0.001)
    sent += per_slice
    delay = start + (s + 1) / 100 - time.monotonic()
    if delay > 0:
        time.sleep(delay)
print("sent %d in %.2f s" % (sent, time.monotonic() - start), flush=True)
ctl.readline()  # done: the program has been read out
PY
feed_pid=$!
pids+=("$feed_pid")
exec 7>"$work/feed-control"
device=""
for _ in $(seq 1 100); do
    device=$(head -n 1 "$work/feed.out" 2>/dev/null || true)
    [[ "$device" == /dev/* ]] && break
    sleep 0.05
done
[[ "$device" == /dev/* ]] || { echo "the feeder offered no device" >&2; exit 1; }

if [[ "${HEADLESS:-0}" == 1 ]]; then
    "$build/quorvane" --headless "$work/bench.qv3" --port "COM1=$device" 2>"$work/program.err" &
else
    "$build/quorvane" "$work/bench.qv3" --port "COM1=$device" 2>"$work/program.err" &
fi
program_pid=$!
pids+=("$program_pid")

request() {
    gdbus call --session --dest Quorvane.COM1 --object-path /org/quorvane/Dde \
        --method org.quorvane.Dde1.Request "$1" 2>/dev/null | sed -n "s/^('\(.*\)',)$/\1/p"
}
# Serving: the window is up and activated.
for _ in $(seq 1 200); do
    [[ -n "$(gdbus call --session --dest Quorvane.COM1 --object-path /org/quorvane/Dde \
        --method org.quorvane.Dde1.Items 2>/dev/null || true)" ]] && break
    kill -0 "$program_pid" 2>/dev/null || { cat "$work/program.err" >&2; exit 1; }
    sleep 0.05
done

ticks() { awk '{print $14 + $15}' "/proc/$program_pid/stat"; }
hz=$(getconf CLK_TCK)
cpu_before=$(ticks)
start_ns=$(date +%s%N)
echo go >&7

deadline=$((SECONDS + seconds + 120))
counted=""
until [[ "$counted" == "$records" ]]; do
    ((SECONDS < deadline)) || break
    kill -0 "$program_pid" 2>/dev/null || { cat "$work/program.err" >&2; exit 1; }
    sleep 0.2
    counted=$(request RecordNumber || true)
done
end_ns=$(date +%s%N)
cpu_after=$(ticks)
peak_kib=$(awk '/^VmHWM:/ {print $2}' "/proc/$program_pid/status")
echo done >&7

kill -TERM "$program_pid"
wait "$program_pid" 2>/dev/null || true

wall=$(awk -v a="$start_ns" -v b="$end_ns" 'BEGIN {printf "%.2f", (b - a) / 1e9}')
cpu=$(awk -v a="$cpu_before" -v b="$cpu_after" -v hz="$hz" 'BEGIN {printf "%.2f", (b - a) / hz}')
echo "mode: $([[ "${HEADLESS:-0}" == 1 ]] && echo headless || echo window), 40 fields, DDE Server"
echo "$(sed -n 2p "$work/feed.out")"
echo "records sent: $records, counted by the program: ${counted:-none}"
echo "wall time until counted: $wall s, program CPU: $cpu s ($(awk -v c="$cpu" -v w="$wall" \
    'BEGIN {printf "%.0f", 100 * c / w}')% of one core)"
echo "peak resident memory: $((peak_kib / 1024)) MiB"
[[ "$counted" == "$records" ]]
