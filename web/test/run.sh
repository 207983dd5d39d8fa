#!/usr/bin/env bash
# Builds the web page and the command-line planner, then drives the page in headless
# Chromium (web/test/browser_test.mjs). Screenshots go to build-web/ for a person to
# look at. Needs emscripten, chromium and chromium-driver (Debian's) and node.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
started=$(date +%s)
"$root/web/build.sh" "$root/build-web" >/dev/null
if [ ! -x "$root/build/quorvane-series" ]; then
  cmake -S "$root" -B "$root/build" >/dev/null
  cmake --build "$root/build" --parallel 2 --target quorvane-series >/dev/null
fi
node "$root/web/test/browser_test.mjs" "$root/build-web/web/index.html" \
  "$root/build/quorvane-series" "$root/examples" "$root/build-web"
echo "web stage: $(($(date +%s) - started)) s"
