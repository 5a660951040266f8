#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, starts private Xvfb and D-Bus
# services, runs every CTest label, then builds the fuzz targets with clang and runs each for
# QUORVANE_FUZZ_SECONDS (60) seconds on its seed corpus. Exits non-zero on any failure.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD_DIR:-$here/build}
fuzz_build=${QUORVANE_FUZZ_BUILD_DIR:-$here/build-fuzz}
fuzz_seconds=${QUORVANE_FUZZ_SECONDS:-60}

"$here/scripts/build.sh"

# Private services, so that the tests never touch the desktop of whoever runs them.
work=$(mktemp -d /tmp/quorvane-test.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
chmod 700 "$XDG_RUNTIME_DIR"

display_number=$(( 90 + RANDOM % 400 ))
Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display_number"
dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
    3>"$work/dbus.address" 4>"$work/dbus.pid"
pids+=("$(cat "$work/dbus.pid")")
export DBUS_SESSION_BUS_ADDRESS=$(cat "$work/dbus.address")
for _ in $(seq 50); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
    sleep 0.1
done

ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300

# Fuzz targets: a separate clang build with libFuzzer, ASan and UBSan.
if [ "$fuzz_seconds" -gt 0 ] && ls "$here"/fuzz/*.cpp >/dev/null 2>&1; then
    CC=clang CXX=clang++ cmake -S "$here" -B "$fuzz_build" -G Ninja -DQUORVANE_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$fuzz_build" -j "$(nproc)"
    fuzz_failed=0
    fuzz_passed=0
    for source in "$here"/fuzz/*.cpp; do
        name=$(basename "$source" .cpp)
        corpus=$work/corpus-$name
        mkdir -p "$corpus"
        seeds=$here/fuzz/corpus/${name#fuzz_}
        [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
        echo "Fuzzing $name for $fuzz_seconds s"
        if "$fuzz_build/$name" "$corpus" -max_total_time="$fuzz_seconds" -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/$name-" \
            >"$work/$name.log" 2>&1; then
            fuzz_passed=$((fuzz_passed + 1))
            grep -E 'stat::number_of_executed_units' "$work/$name.log" || true
        else
            fuzz_failed=$((fuzz_failed + 1))
            echo "FUZZ FINDING in $name:"
            tail -n 60 "$work/$name.log"
            ls "$work/$name-"* 2>/dev/null || true
        fi
    done
    echo "fuzz: $fuzz_passed passed, $fuzz_failed failed"
    [ "$fuzz_failed" -eq 0 ]
fi
