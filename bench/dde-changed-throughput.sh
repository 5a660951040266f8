#!/usr/bin/env bash
# DDE publishing throughput. The simulated instrument sends short records as fast as the
# pseudo-terminal takes them into `quorvane --headless`, which serves its items on a private
# session bus; dbus-monitor subscribes to Changed. Reports the Changed signals per second the
# subscriber received (first to last signal) and checks that none were lost or reordered:
# every record gives one Field(1) and one RecordNumber update, in record order.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
records=${RECORDS:-20000}
# shellcheck source=bench/lib.sh
source "$here/bench/lib.sh"
start_private_bus

# Single-field records ended by CR, logged to $work/log; the topic is the port, COM1.
write_config single-field-cr.qv3
python3 - "$work/records" "$records" <<'PY'
import sys
n = int(sys.argv[2])
open(sys.argv[1], "wb").write(b"".join(b"R%07d +%05d.%02d g\r" % (i, i % 100000, i % 100)
                                       for i in range(n)))
PY

dbus-monitor --session \
    "type='signal',interface='org.quorvane.Dde1',member='Changed',path='/org/quorvane/Dde'" \
    >"$work/monitor" 2>"$work/monitor.err" &
pids+=($!)
for _ in $(seq 1 100); do [[ -s "$work/monitor" ]] && break; sleep 0.05; done  # listening

start_sim --send-file "$work/records" --count 0
start_program

# Done when the last record's number has been published.
deadline=$((SECONDS + 600))
until grep -q "^   string \"$records\"\$" "$work/monitor"; do
    ((SECONDS < deadline)) || { echo "timed out waiting for record $records" >&2; exit 1; }
    kill -0 "$program_pid" 2>/dev/null || { cat "$work/program.err" >&2; exit 1; }
    sleep 0.2
done
kill -TERM "$program_pid"
wait "$program_pid" || { echo "quorvane did not exit cleanly" >&2; exit 1; }

python3 - "$work/monitor" "$work/records" "$records" <<'PY'
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-8", "replace")
sent = open(sys.argv[2], "rb").read().split(b"\r")[:-1]
n = int(sys.argv[3])
signal = re.compile(r'^signal time=([0-9.]+) [^\n]*member=Changed\n   string "([^"]*)"\n'
                    r'   string "(.*?)"\n(?=signal |\Z)', re.M | re.S)
fields, numbers, times = [], [], []
for m in signal.finditer(text):
    item = m.group(2)
    if item == "DateTime":
        continue
    times.append(float(m.group(1)))
    (fields if item == "Field(1)" else numbers).append(m.group(3))
expected_fields = [r.decode() + "\r" for r in sent]
ok = fields == expected_fields and numbers == [str(i + 1) for i in range(n)]
count = len(fields) + len(numbers)
span = times[-1] - times[0] if len(times) > 1 else 0.0
rate = count / span if span > 0 else float("nan")
print(f"records: {n}, Changed received: {count} (expected {2 * n}: Field(1) and RecordNumber each)")
print(f"first to last Changed: {span:.2f} s, {rate:.0f} Changed signals/s, {rate / 2:.0f} records/s")
print("lost or reordered: " + ("no" if ok else "yes"))
sys.exit(0 if ok else 1)
PY
