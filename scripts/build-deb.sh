#!/usr/bin/env bash
# Builds the Debian package quorvane_VERSION-REL_ARCH.deb: a Release build for /usr in its own
# folder (build-deb/, or $QUORVANE_DEB_BUILD_DIR) with only the two programs and the package's
# files built (no tests, no benchmarks), then `cpack -G DEB`. Prints the package's path as its
# last line. Install it with `sudo apt install ./quorvane_*.deb`; scripts/check-deb.sh checks it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_DEB_BUILD_DIR:-$here/build-deb}
"$here/scripts/install-deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Debian's hardening flags (fortify, stack protector, relro, bind now) as dpkg-buildflags gives
# them, less -g: the package's binaries are stripped. Release is -O2 here, as Debian builds: at
# -O3, GCC 12 reports -Wrestrict inside std::string that -Werror turns into errors.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# -ffile-prefix-map names the checkout's folder, which would keep ccache from reusing a build
# of another checkout; without -g nothing needs it. CCACHE_BASEDIR does the same for -I paths.
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS |
    tr ' ' '\n' | grep -v -e '^-g$' -e '^-ffile-prefix-map=' | tr '\n' ' ')"
export CCACHE_BASEDIR=$here
ldflags=$(dpkg-buildflags --get LDFLAGS)
# CMAKE_SKIP_INSTALL_ALL_DEPENDENCY: cpack installs what was built here instead of building
# every target (the test binaries) first.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DQUORVANE_BENCH=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target quorvane quorvane-sim quorvane_package_files
# The package is made from the files of this build only.
rm -f "$build"/quorvane_*.deb
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || {
    cat "$build/cpack.log" >&2
    exit 1
}
packages=("$build"/quorvane_*.deb)
if [[ ${#packages[@]} -ne 1 || ! -f "${packages[0]}" ]]; then
    echo "build-deb: cpack made no single quorvane_*.deb in $build:" >&2
    cat "$build/cpack.log" >&2
    exit 1
fi
echo "${packages[0]}"
