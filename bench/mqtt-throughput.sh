#!/usr/bin/env bash
# Records published over MQTT with QoS 1 to a private local mosquitto: records per second,
# complete and in order, against mosquitto_pub sending the same messages in the same run,
# and the latency from a record's last byte on the pseudo-terminal to its arrival at a
# subscriber (median and 99th percentile). RECORDS (10000) and LATENCY_RECORDS (1000) set the
# sizes. Needs mosquitto and mosquitto-clients (scripts/install-deps.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
source "$here/bench/lib.sh"
for tool in mosquitto mosquitto_sub mosquitto_pub; do
    command -v "$tool" >/dev/null || { echo "mqtt-throughput: $tool is not installed" >&2; exit 1; }
done
# Single-field records ended by CR, logged to $work/log as well.
write_config single-field-cr.qv3
python3 "$here/bench/mqtt-throughput.py" "$build" "$work/bench.qv3"
