#!/usr/bin/env bash
# Builds the UTF-8 console variant and checks that its run of the documented example
# is the Shift-JIS transcript converted to UTF-8, and nothing else.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake -S "$root" -B "$scratch/build" -DBUILD_TESTING=OFF -DQUORVANE_PYTHON=OFF -DQUORVANE_CONSOLE_ENCODING=UTF-8 >/dev/null
cmake --build "$scratch/build" --parallel 2 >/dev/null
for case in whole_run_example missing_residue_file; do
  golden="$root/tests/golden/$case"
  mkdir -p "$scratch/$case"
  if [ -d "$golden/input" ]; then cp -r "$golden/input/." "$scratch/$case/"; fi
  status=0
  (cd "$scratch/$case" && "$scratch/build/quorvane" <"$golden/keyboard.txt" >"$scratch/$case.out") || status=$?
  iconv -f CP932 -t UTF-8 "$golden/console.out" | cmp - "$scratch/$case.out"
  [ "$status" = "$(cat "$golden/status")" ]
done
echo "UTF-8 console: the transcripts are the Shift-JIS ones in UTF-8"
