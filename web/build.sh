#!/usr/bin/env bash
# Builds the web page into build-web/web (or the folder given): index.html and
# quorvane.js, the planner's C++ core as one script with its WebAssembly inside, so
# that the page also works opened from disk. Needs Debian's emscripten.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-web}
# emscripten's own scripts run under the node in PATH and need Debian's node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emcmake cmake -S "$root" -B "$build" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_CROSSCOMPILING_EMULATOR="" >/dev/null
cmake --build "$build" --parallel 2
echo "web page: $build/web/index.html"
