#!/usr/bin/env bash
# Keystroke typing speed into xterm under a private Xvfb: 10,000 characters typed by our
# X11 injector, then by `xdotool type --delay 0` into the same xterm as the reference.
# Prints both rates (characters per second), whether anything was lost, and their ratio.
# Needs Xvfb, openbox, xterm and xdotool.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD_DIR:-$here/build}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja >/dev/null
fi
ninja -C "$build" quorvane_bench_tests >/dev/null
for tool in Xvfb openbox xterm xdotool; do
    command -v "$tool" >/dev/null || { echo "typing-bench: $tool is not installed" >&2; exit 1; }
done
"$build/tests/quorvane_bench_tests" \
    --gtest_filter='KeyTypingBenchX11Test.*' 2>&1 | grep -v '^Openbox-Message'
