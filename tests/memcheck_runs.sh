#!/usr/bin/env bash
# Whole runs of the program under valgrind memcheck: the lysozyme example and a
# 99,999-residue file in each code must show no invalid access and no leak.
# Usage: tests/memcheck_runs.sh path/to/quorvane
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$root/examples/lysozyme_3.DAT" "$scratch/"
for _ in $(seq 10000); do printf 'LYS\nVAL\nPHE\nGLY\nARG\nCYS\nGLU\nLEU\nALA\nMET\n'; done |
  head -n 99999 >"$scratch/big_3.DAT"
tr -d '\n' <"$scratch/big_3.DAT" | sed 's/LYS/K/g; s/VAL/V/g; s/PHE/F/g; s/GLY/G/g; s/ARG/R/g;
  s/CYS/C/g; s/GLU/E/g; s/LEU/L/g; s/ALA/A/g; s/MET/M/g' >"$scratch/big_1.DAT"
runs=0
for run in "lysozyme_3 0" "big_3 0" "big_1 1"; do
  set -- $run
  printf 'Y\n70\n40\ny\n%s\n%s\ny\n' "$1" "$2" |
    (cd "$scratch" && valgrind --quiet --error-exitcode=99 --leak-check=full \
      --errors-for-leak-kinds=definite,indirect,possible "$program" >/dev/null)
  runs=$((runs + 1))
done
echo "memcheck: $runs whole runs, no invalid access, no leak"
