#!/usr/bin/env bash
# Builds the web page and the command-line planner, fetches axe-core from the npm
# registry, then drives the page in headless Chromium (web/test/browser_test.mjs).
# Screenshots go to build-web/ for a person to look at. Needs emscripten, chromium,
# chromium-driver, node and npm (Debian's), and the 1hpv model of pymol-data.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
started=$(date +%s)
"$root/web/build.sh" "$root/build-web" >/dev/null
if [ ! -x "$root/build/quorvane-series" ]; then
  cmake -S "$root" -B "$root/build" >/dev/null
  cmake --build "$root/build" --parallel 2 --target quorvane-series >/dev/null
fi
axe=$root/build-web/node/node_modules/axe-core/axe.min.js
if [ ! -f "$axe" ]; then
  npm install --prefix "$root/build-web/node" --no-audit --no-fund --silent axe-core@4.10.2
fi
node "$root/web/test/browser_test.mjs" "$root/build-web/web/index.html" \
  "$root/build/quorvane-series" "$root/examples" "$root/build-web" "$axe" \
  /usr/share/pymol/data/tut/1hpv.pdb
echo "web stage: $(($(date +%s) - started)) s"
