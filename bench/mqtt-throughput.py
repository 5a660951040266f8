#!/usr/bin/env python3
"""Records published over MQTT: throughput and latency, run by bench/mqtt-throughput.sh.

A private mosquitto on a free port; `quorvane --headless` reads a pseudo-terminal of ours and
publishes each record with QoS 1; a subscriber (mosquitto_sub -q 1, arrival times from its
%U format) checks that every record arrives, complete and in order.

- Throughput: RECORDS records written as fast as the terminal takes them, from the first
  write to the last arrival; then `mosquitto_pub -l -q 1` sends the same messages (the JSON
  texts that arrived) through the same broker, as the reference, with and without
  --nodelay.
- Latency: LATENCY_RECORDS records, one every 5 ms, from the moment a record's last byte was
  written to the terminal to its arrival at the subscriber: median and 99th percentile.
"""
import json
import os
import pty
import socket
import subprocess
import sys
import tempfile
import threading
import time
import tty

build, config_template = sys.argv[1], sys.argv[2]
RECORDS = int(os.environ.get("RECORDS", "10000"))
LATENCY_RECORDS = int(os.environ.get("LATENCY_RECORDS", "1000"))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.01)
    sys.exit(f"mqtt-throughput: {what} did not happen within {seconds} s")


class Subscriber:
    """mosquitto_sub on one topic filter; lines are 'arrival-seconds payload'.

    Its output is read as it comes: a pipe left unread fills at 64 KiB, the subscriber then
    waits to write, and the arrival times it takes after that are late."""

    def __init__(self, port, topic, count):
        self.count = count
        self.lines = []
        self.process = subprocess.Popen(
            ["mosquitto_sub", "-h", "127.0.0.1", "-p", str(port), "-q", "1", "-t", topic,
             "-C", str(count), "-F", "%U %p"],
            stdout=subprocess.PIPE, text=True)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.append(line.rstrip("\n"))

    def collect(self, seconds):
        try:
            self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.reader.join()
        lines = [line.split(" ", 1) for line in self.lines if " " in line]
        return [(float(t), payload) for t, payload in lines]


def check_in_order(arrived, first_number, count, who):
    numbers = [json.loads(p)["record"] for _, p in arrived]
    expected = list(range(first_number, first_number + count))
    if numbers != expected:
        missing = sorted(set(expected) - set(numbers))
        sys.exit(f"mqtt-throughput: {who}: {len(numbers)} of {count} records arrived in order "
                 f"(first missing: {missing[:5]})")


work = tempfile.mkdtemp(prefix="quorvane-mqtt-bench.")
port = free_port()
with open(f"{work}/mosquitto.conf", "w") as conf:
    conf.write(f"listener {port} 127.0.0.1\nallow_anonymous true\nmax_queued_messages 0\n"
               "max_inflight_messages 0\n")
broker = subprocess.Popen(["mosquitto", "-c", f"{work}/mosquitto.conf"],
                          stderr=subprocess.DEVNULL)


def broker_up():
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


wait_for(broker_up, 10, "the broker's start")

# The terminal the program reads: raw on our side, so that bytes go as they are.
master, slave = pty.openpty()
tty.setraw(master)
slave_path = os.ttyname(slave)

env = dict(os.environ, XDG_CONFIG_HOME=f"{work}/config", XDG_STATE_HOME=f"{work}/state")
program = subprocess.Popen(
    [f"{build}/quorvane", "--headless", config_template, "--port", f"COM1={slave_path}",
     "--mqtt", f"mqtt://127.0.0.1:{port}", "--mqtt-station", "bench"],
    env=env, stderr=open(f"{work}/program.err", "w"))

try:
    status = Subscriber(port, "quorvane/bench/+/status", 1)
    online = status.collect(20)
    if not online or online[0][1] != "online":
        sys.exit("mqtt-throughput: the station did not come online: "
                 + open(f"{work}/program.err").read())

    # Throughput.
    sub = Subscriber(port, "quorvane/bench/+/record", RECORDS)
    time.sleep(0.3)  # the subscription reaches the broker before the first record
    records = b"".join(b"R%07d ST,GS,+%05d.%02d grams\r" % (n, n % 100000, n % 100)
                       for n in range(RECORDS))
    start = time.time()
    view = memoryview(records)
    while view:
        written = os.write(master, view)
        view = view[written:]
    arrived = sub.collect(300)
    check_in_order(arrived, 1, RECORDS, "quorvane")
    ours = arrived[-1][0] - start
    # Every field as the program read it (this configuration keeps the record's CR).
    for (_, payload), n in zip(arrived, range(RECORDS)):
        if json.loads(payload)["fields"][0] != "R%07d ST,GS,+%05d.%02d grams\r" % (n, n % 100000, n % 100):
            sys.exit(f"mqtt-throughput: record {n + 1} arrived changed: {payload}")

    # The reference: the same messages, one a line, through mosquitto_pub; once as it comes
    # (Nagle's algorithm lets the kernel put many messages in one segment) and once with
    # --nodelay, as the program sends them (each record at once, for its latency).
    lines = "".join(p + "\n" for _, p in arrived)

    def reference_run(extra, topic):
        ref = Subscriber(port, topic, RECORDS)
        time.sleep(0.3)
        start = time.time()
        subprocess.run(["mosquitto_pub", "-h", "127.0.0.1", "-p", str(port), "-q", "1", "-t",
                        topic, "-l"] + extra, input=lines, text=True, check=True)
        reference = ref.collect(300)
        check_in_order(reference, 1, RECORDS, "mosquitto_pub " + " ".join(extra))
        return reference[-1][0] - start

    theirs = reference_run([], "bench/reference")
    theirs_nodelay = reference_run(["--nodelay"], "bench/reference-nodelay")

    # Latency, one record every 5 ms.
    sub = Subscriber(port, "quorvane/bench/+/record", LATENCY_RECORDS)
    time.sleep(0.3)
    written_at = []
    for n in range(LATENCY_RECORDS):
        os.write(master, b"L%07d +%05d.%02d grams\r" % (n, n % 100000, n % 100))
        written_at.append(time.time())
        time.sleep(0.005)
    arrived = sub.collect(120)
    check_in_order(arrived, RECORDS + 1, LATENCY_RECORDS, "quorvane (latency)")
    latencies = sorted((t - w) * 1000 for (t, _), w in zip(arrived, written_at))
    median = latencies[len(latencies) // 2]
    p99 = latencies[min(len(latencies) - 1, int(len(latencies) * 0.99))]

    print(f"{RECORDS} records, QoS 1, complete and in order:")
    print(f"  quorvane      {ours:7.3f} s  {RECORDS / ours:8.0f} records/s")
    print(f"  mosquitto_pub {theirs:7.3f} s  {RECORDS / theirs:8.0f} messages/s"
          f"  (ours at {100 * theirs / ours:.0f}% of its rate)")
    print(f"  mosquitto_pub --nodelay {theirs_nodelay:7.3f} s  {RECORDS / theirs_nodelay:8.0f} "
          f"messages/s  (ours at {100 * theirs_nodelay / ours:.0f}% of its rate)")
    print(f"latency over {LATENCY_RECORDS} records, one every 5 ms: median {median:.2f} ms, "
          f"99th percentile {p99:.2f} ms, worst {latencies[-1]:.2f} ms")
finally:
    program.terminate()
    program.wait(20)
    broker.terminate()
    broker.wait(20)
    os.close(master)
    os.close(slave)
