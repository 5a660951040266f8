#!/usr/bin/env bash
# Keystroke typing speed into foot under a private headless sway: 10,000 mixed characters
# typed by our virtual keyboard, then by wtype into the same foot as the reference, both
# checked byte for byte. Prints both rates (characters per second) and their ratio; fails
# when anything is lost or ours is not at least ten times faster. Needs sway, foot and wtype
# (scripts/install-deps.sh); as root, sway and foot run as an unprivileged user
# ($QUORVANE_WAYLAND_USER, default qvwayland), made here when missing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD_DIR:-$here/build}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja >/dev/null
fi
ninja -C "$build" quorvane_wayland_bench >/dev/null
for tool in sway foot wtype; do
    command -v "$tool" >/dev/null || { echo "wayland-typing-bench: $tool is not installed" >&2; exit 1; }
done
user=${QUORVANE_WAYLAND_USER:-qvwayland}
if [ "$(id -u)" -eq 0 ] && ! id "$user" >/dev/null 2>&1; then
    useradd -m "$user"
fi
# A private runtime folder and session bus, so that no desktop of the caller is touched.
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
dbus-run-session -- "$build/tests/quorvane_wayland_bench"
