#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, starts private Xvfb and D-Bus
# services, runs each CI label (unit serial dbus x11 gui e2e wayland mqtt) on its own, then
# builds the fuzz targets with clang and runs each for QUORVANE_FUZZ_SECONDS (60) seconds on
# its seed corpus and dictionary. Between the two, scripts/check-deb.sh builds the Debian
# package in its own Release folder and checks it (lintian, the desktop files, the packaged
# programs). Exits non-zero on any failure, on a label without tests and on any test that
# skipped itself: a test that did not run is a check nobody made. The bench label
# (measurements) is not run here.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD_DIR:-$here/build}
fuzz_build=${QUORVANE_FUZZ_BUILD_DIR:-$here/build-fuzz}
fuzz_seconds=${QUORVANE_FUZZ_SECONDS:-60}
labels=(unit serial dbus x11 gui e2e wayland mqtt)

if ! [[ "$fuzz_seconds" =~ ^[0-9]+$ ]]; then
    echo "run-tests: QUORVANE_FUZZ_SECONDS must be a whole number of seconds, not '$fuzz_seconds'" >&2
    exit 2
fi
if [[ "${CI:-}" == "true" && "$fuzz_seconds" -eq 0 ]]; then
    echo "run-tests: QUORVANE_FUZZ_SECONDS=0 would skip the fuzz targets; CI must run them" >&2
    exit 2
fi

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

# A free display number: QUORVANE_TEST_DISPLAY, or the first one without an X lock file.
display_number=${QUORVANE_TEST_DISPLAY:-}
if [[ -z "$display_number" ]]; then
    display_number=$(( 90 + RANDOM % 400 ))
    while [[ -e "/tmp/.X$display_number-lock" || -e "/tmp/.X11-unix/X$display_number" ]]; do
        display_number=$(( display_number + 1 ))
    done
fi
Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
pids+=("$xvfb_pid")
export DISPLAY=":$display_number"
dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
    3>"$work/dbus.address" 4>"$work/dbus.pid"
pids+=("$(cat "$work/dbus.pid")")
export DBUS_SESSION_BUS_ADDRESS=$(cat "$work/dbus.address")
xvfb_ready=0
for _ in $(seq 100); do
    if xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
        xvfb_ready=1
        break
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
if [[ "$xvfb_ready" -ne 1 ]]; then
    echo "run-tests: Xvfb on $DISPLAY did not answer within 10 s:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi

# sway, Mir and foot refuse to run as root: run as root, the wayland tests start them as this
# unprivileged user (tests/wayland/HeadlessDesktop.h), made here when it is missing.
wayland_user=${QUORVANE_WAYLAND_USER:-qvwayland}
if [[ "$(id -u)" -eq 0 ]] && ! id -u "$wayland_user" >/dev/null 2>&1; then
    useradd -m "$wayland_user"
fi

# One ctest run per label, so that a label whose tests are missing fails instead of passing
# empty; each writes a JUnit report, from which the skipped tests are read.
failed_labels=()
for label in "${labels[@]}"; do
    echo "=== label $label"
    report=$work/junit-$label.xml
    status=0
    ctest --test-dir "$build" -L "^$label\$" --no-tests=error --output-on-failure \
        -j "$(nproc)" --timeout 300 --output-junit "$report" || status=$?
    if [[ "$status" -ne 0 ]]; then
        failed_labels+=("$label")
        continue
    fi
    if ! skipped=$("$here/scripts/junit-not-run.py" "$report"); then
        echo "run-tests: the JUnit report of label $label could not be read" >&2
        failed_labels+=("$label")
        continue
    fi
    if [[ -n "$skipped" ]]; then
        echo "run-tests: label $label has tests that did not run (skipped or disabled):" >&2
        echo "$skipped" >&2
        failed_labels+=("$label")
    fi
done
if [[ "${#failed_labels[@]}" -gt 0 ]]; then
    echo "run-tests: failed labels: ${failed_labels[*]}" >&2
    exit 1
fi

# The Debian package, as a user installs it.
echo "=== package"
"$here/scripts/check-deb.sh"

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
        dict=()
        dict_file=$here/fuzz/${name#fuzz_}.dict
        [ -f "$dict_file" ] && dict=(-dict="$dict_file")
        echo "Fuzzing $name for $fuzz_seconds s${dict:+ with $(basename "$dict_file")}"
        if "$fuzz_build/$name" "$corpus" "${dict[@]}" -max_total_time="$fuzz_seconds" -timeout=10 \
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
