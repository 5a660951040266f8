#!/usr/bin/env bash
# Headless throughput and footprint. Sends 1 MiB of records from the simulated instrument
# through a pseudo-terminal into `quorvane --headless`, which logs them to a file, and checks
# that nothing was lost or reordered. Reports the sustained rate, the program's CPU use over
# ~10 s idle (target under 1% of one core) and its resident memory idle and at its peak
# during the run (target under 20 MB).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
idle_seconds=${IDLE_SECONDS:-10}
# shellcheck source=bench/lib.sh
source "$here/bench/lib.sh"

# Log to disk into $work/log, single-field records ended by CR, any byte starting one; each
# record is logged with the CR LF postamble of the example.
write_config single-field-cr.qv3

python3 - "$work/records" <<'PY'
import sys
# 32768 records of 32 bytes: exactly 1 MiB.
out = b"".join(b"R%07d ST,GS,+%05d.%02d grams.\r" % (n, n % 100000, n % 100)
               for n in range(32768))
assert len(out) == 1 << 20
open(sys.argv[1], "wb").write(out)
PY
bytes=$(stat -c %s "$work/records")

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
status_kb() { awk -v k="$2:" '$1 == k {print $2}' "/proc/$1/status"; }
stop() {
    kill -TERM "$1"
    wait "$1" || { echo "process $1 did not exit cleanly" >&2; exit 1; }
}

# Idle: connected to a device that sends nothing.
start_sim --count 0
start_program
sleep 1
ticks_before=$(cpu_ticks "$program_pid")
sleep "$idle_seconds"
ticks_after=$(cpu_ticks "$program_pid")
idle_rss=$(status_kb "$program_pid" VmRSS)
idle_hwm=$(status_kb "$program_pid" VmHWM)
stop "$program_pid"
stop "$sim_pid"
hz=$(getconf CLK_TCK)
idle_cpu=$(awk -v t=$((ticks_after - ticks_before)) -v hz="$hz" -v s="$idle_seconds" \
    'BEGIN {printf "%.2f", 100 * t / hz / s}')

# The run: 1 MiB as fast as the pseudo-terminal takes it.
rm -f "$work/log"
start_sim --send-file "$work/records" --count 0
t0=$(date +%s.%N)
start_program
# Each 32-byte record keeps its CR and gains the CR LF postamble: the size of a complete log.
expected=$((bytes + 2 * (bytes / 32)))
peak_rss=0
deadline=$((SECONDS + 300))
while :; do
    size=$(stat -c %s "$work/log" 2>/dev/null || echo 0)
    rss=$(status_kb "$program_pid" VmRSS)
    ((rss > peak_rss)) && peak_rss=$rss
    ((size >= expected)) && break
    ((SECONDS < deadline)) || { echo "timed out with $size of $expected bytes" >&2; exit 1; }
    sleep 0.05
done
t1=$(date +%s.%N)
run_hwm=$(status_kb "$program_pid" VmHWM)
stop "$program_pid"

lost=no
python3 - "$work/records" "$work/log" <<'PY' || lost=yes
import sys
sent = open(sys.argv[1], "rb").read()
logged = open(sys.argv[2], "rb").read()
sys.exit(0 if logged == sent.replace(b"\r", b"\r\r\n") else 1)
PY

rate=$(awk -v b="$bytes" -v a="$t0" -v z="$t1" 'BEGIN {printf "%.0f", b / (z - a) / 1024}')
seconds=$(awk -v a="$t0" -v z="$t1" 'BEGIN {printf "%.2f", z - a}')
echo "records: $bytes bytes in $((bytes / 32)) records, $seconds s, $rate KiB/s sustained"
echo "lost or reordered: $lost"
echo "idle CPU over ${idle_seconds} s: ${idle_cpu}% of one core (target < 1%)"
echo "resident memory idle: VmRSS ${idle_rss} kB, VmHWM ${idle_hwm} kB"
echo "resident memory during the run: peak VmRSS sampled ${peak_rss} kB, VmHWM ${run_hwm} kB (target < 20480 kB)"
[[ "$lost" == no ]]
