#!/usr/bin/env bash
# The main job on built-in defaults: builds Quorvane and shows the configuration of the
# example that reads single-field records ended by CR.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD_DIR:-$here/build}
"$here/scripts/build.sh"
exec "$build/quorvane" --show-config "$here/examples/single-field-cr.qv3"
