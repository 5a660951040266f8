#!/usr/bin/env bash
# The main job on built-in defaults: builds Quorvane, starts the simulated balance on a
# pseudo-terminal and runs the program on examples/demo-balance.qv3, which logs each reading
# to standard output (with the time), shows it in the runtime window where a display is
# reachable, serves it over D-Bus and acknowledges it to the balance. Without a display the
# program runs headless. Quit (or Ctrl+C) ends it; what the balance received is left in the
# temporary folder named at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD_DIR:-$here/build}
# Only what the demo runs; the test binaries are the test command's business.
"$here/scripts/build.sh" quorvane quorvane-sim

work=$(mktemp -d -t quorvane-demo.XXXXXX)
sim_pid=""
bus_pid=""
cleanup() {
    if [[ -n "$sim_pid" ]] && kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    if [[ -n "$bus_pid" ]]; then
        kill -TERM "$bus_pid" 2>/dev/null || true
    fi
    echo "The balance's side of the session: $work/sim.out" >&2
}
trap cleanup EXIT

# The demo serves its items over D-Bus; without a session bus (a plain console or SSH
# login) it brings a private one for as long as it runs.
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" && ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/bus" ]]; then
    if dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 \
        >"$work/bus" 2>"$work/bus.err"; then
        DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
        bus_pid=$(sed -n 2p "$work/bus")
        export DBUS_SESSION_BUS_ADDRESS
        echo "No session bus found: started a private one for the demo." >&2
        echo "  export DBUS_SESSION_BUS_ADDRESS='$DBUS_SESSION_BUS_ADDRESS'" >&2
    else
        echo "No session bus found and dbus-daemon could not start one: $(cat "$work/bus.err")" >&2
    fi
fi

"$build/quorvane-sim" --profile balance --interval 1000 >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
# The first line the simulator prints is its device.
device=""
for _ in $(seq 1 100); do
    device=$(head -n 1 "$work/sim.out" 2>/dev/null || true)
    [[ "$device" == /dev/* ]] && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.err" >&2; exit 1; }
    sleep 0.1
done
[[ "$device" == /dev/* ]] || { echo "quorvane-sim offered no device" >&2; exit 1; }

status=0
if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
    echo "Simulated balance on $device; one reading a second in the window \"Quorvane - COM1\"." >&2
    echo "Quit > Quit (or Ctrl+C here) ends it." >&2
    "$build/quorvane" "$here/examples/demo-balance.qv3" --port "COM1=$device" || status=$?
else
    echo "Simulated balance on $device; one reading a second. Ctrl+C quits." >&2
    "$build/quorvane" --headless "$here/examples/demo-balance.qv3" --port "COM1=$device" || status=$?
fi
exit "$status"
