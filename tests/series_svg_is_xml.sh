#!/usr/bin/env bash
# Plots lysozyme and a deuterated ubiquitin partner and parses the SVG as XML: one
# polyline per component and the complex, a marker per match point inside the plot.
# Usage: tests/series_svg_is_xml.sh path/to/quorvane-series
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$1" --svg "$scratch/plot.svg" "$root/examples/lysozyme_3.DAT" -d 80 -n 2 \
  "$root/examples/ubiquitin_1.DAT" >/dev/null
python3 - "$scratch/plot.svg" <<'PY'
import sys
import xml.etree.ElementTree as ElementTree

root = ElementTree.parse(sys.argv[1]).getroot()
ns = "{http://www.w3.org/2000/svg}"
assert root.tag == ns + "svg", root.tag
polylines = root.findall(ns + "polyline")
circles = root.findall(ns + "circle")
texts = "".join(t.text or "" for t in root.iter(ns + "text"))
assert len(polylines) == 3, len(polylines)
assert len(circles) == 2, len(circles)  # ubiquitin's match point lies beyond 100 %
for needle in ("D2O in the solvent (%)", "Contrast density (fm/\u00c5\u00b3)",
               "match 46.16 % D2O", "(off the plot)"):
    assert needle in texts, needle
print("series SVG: well-formed, 3 lines, 2 match points marked")
PY
