#!/usr/bin/env bash
# Configures and builds Quorvane into build/ (or $QUORVANE_BUILD_DIR): every target, or only
# the targets named as arguments (scripts/build.sh quorvane quorvane-sim).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD_DIR:-$here/build}
"$here/scripts/install-deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
