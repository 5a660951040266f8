#!/bin/sh
# Builds every benchmark in a Release tree (build-bench) and runs each, printing the figures.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
# -O2: GCC 12 at -O3 reports a false -Wrestrict in std::string assignments.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BENCH=ON \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
targets=$(for f in "$root"/bench/*.cpp; do basename "$f" .cpp; done)
# shellcheck disable=SC2086
ninja -C "$build" -j2 $targets
for t in $targets; do
    echo "== $t"
    "$build/bench/$t" --benchmark_counters_tabular=true "$@"
done
