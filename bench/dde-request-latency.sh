#!/usr/bin/env bash
# DDE request latency while records stream. The simulated instrument sends short comma
# records of 3 fields as fast as the pseudo-terminal takes them into `quorvane --headless`,
# which logs them and serves its items on a private session bus; meanwhile one client calls
# Request("Field(1)") back to back over a single connection. Reports each call's wait as the
# median, 99th percentile and maximum, the number of calls and how many hit the 10 s timeout,
# and checks that every record was logged once, in order.
#
# QUORVANE_BUILD_DIR picks the program and simulator; the client is built in CLIENT_BUILD_DIR
# (this tree's build by default), so one client measures any build of the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
records=${RECORDS:-200000}
client_build=${CLIENT_BUILD_DIR:-$here/build}
if [ ! -f "$client_build/build.ninja" ]; then
    cmake -S "$here" -B "$client_build" -G Ninja >/dev/null
fi
ninja -C "$client_build" quorvane-dde-request-client >/dev/null
# shellcheck source=bench/lib.sh
source "$here/bench/lib.sh"
start_private_bus

# Comma records of 3 fields ended by CR; the fields are logged tab-separated, each record
# ended by CR LF; the topic is the port, COM1. Field 3 is the record's number.
write_config comma-3-fields.qv3
python3 - "$work/records" "$records" <<'PY'
import sys
n = int(sys.argv[2])
open(sys.argv[1], "wb").write(b"".join(b"%d.%02d,%d,%d\r" % (i % 1000, i % 100, i % 7, i)
                                       for i in range(n)))
PY

start_sim --send-file "$work/records" --count 0
t0=$(date +%s.%N)
start_program
# The client starts once the program owns its name, while the records pour in.
gdbus wait --session --timeout 20 Quorvane.COM1 ||
    { echo "quorvane took no bus name" >&2; cat "$work/program.err" >&2; exit 1; }
"$client_build/bench/quorvane-dde-request-client" Quorvane.COM1 'Field(1)' 0 10000 \
    >"$work/client.out" 2>"$work/client.err" &
client_pid=$!
pids+=("$client_pid")

# Done when every record is in the log.
deadline=$((SECONDS + 900))
while :; do
    logged=0
    [[ -f "$work/log" ]] && logged=$(tr -cd '\n' <"$work/log" | wc -c)
    ((logged >= records)) && break
    ((SECONDS < deadline)) || { echo "timed out with $logged of $records records" >&2; exit 1; }
    kill -0 "$program_pid" 2>/dev/null || { cat "$work/program.err" >&2; exit 1; }
    sleep 0.2
done
t1=$(date +%s.%N)
kill -TERM "$client_pid"
wait "$client_pid" || { cat "$work/client.err" >&2; exit 1; }
kill -TERM "$program_pid"
wait "$program_pid" || { echo "quorvane did not exit cleanly" >&2; exit 1; }

lost=no
python3 - "$work/log" "$records" <<'PY' || lost=yes
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
n = int(sys.argv[2])
ok = lines[-1] == b"" and [l.split(b"\t")[2] for l in lines[:-1]] == [b"%d" % i for i in range(n)]
sys.exit(0 if ok else 1)
PY
seconds=$(awk -v a="$t0" -v z="$t1" 'BEGIN {printf "%.2f", z - a}')
echo "records: $records in $seconds s (program start to last record logged)"
echo "lost or reordered: $lost"
grep -v '^calling$' "$work/client.out"
[[ "$lost" == no ]]
