# Pieces shared by the benchmark scripts that run `quorvane --headless` against the simulated
# instrument. Source it after setting `here` (the source tree); it sets `build` (from
# QUORVANE_BUILD_DIR), builds the program and the simulator there, makes the scratch folder
# `work` and removes it, with every process in `pids` and the private bus, on exit.
build=${QUORVANE_BUILD_DIR:-$here/build}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja >/dev/null
fi
ninja -C "$build" quorvane quorvane-sim >/dev/null

work=$(mktemp -d -t quorvane-bench.XXXXXX)
export XDG_CONFIG_HOME="$work/config"
pids=()
bus_pid=""
cleanup() {
    for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    if [[ -n "$bus_pid" ]]; then kill -TERM "$bus_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# A bus of our own: the figures do not depend on the desktop's traffic, and nothing of the
# desktop is touched.
start_private_bus() {
    dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 >"$work/bus" \
        2>/dev/null
    DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
    bus_pid=$(sed -n 2p "$work/bus")
    export DBUS_SESSION_BUS_ADDRESS
}

# Writes $work/bench.qv3: the example named by $1 logging to $work/log.
write_config() {
    sed "s|^/tmp/quorvane-example.log\r\$|$work/log\r|" "$here/examples/$1" >"$work/bench.qv3"
    grep -q "$work/log" "$work/bench.qv3"
}

start_sim() {  # args for the sim; sets sim_pid and device
    "$build/quorvane-sim" "$@" >"$work/sim.out" 2>"$work/sim.err" &
    sim_pid=$!
    pids+=("$sim_pid")
    device=""
    for _ in $(seq 1 200); do
        device=$(head -n 1 "$work/sim.out" 2>/dev/null || true)
        [[ "$device" == /dev/* ]] && return 0
        sleep 0.05
    done
    echo "quorvane-sim offered no device" >&2
    exit 1
}

start_program() {  # sets program_pid
    "$build/quorvane" --headless "$work/bench.qv3" --port "COM1=$device" 2>"$work/program.err" &
    program_pid=$!
    pids+=("$program_pid")
}
