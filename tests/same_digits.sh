#!/usr/bin/env bash
# Builds the program at -O0 and at -O2 -march=native and checks that both print the
# same bytes for the same runs: no optimisation may move a printed digit.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for level in O0 native; do
  case $level in
    O0) flags="-O0" ;;
    native) flags="-O2 -march=native" ;;
  esac
  cmake -S "$root" -B "$scratch/build-$level" -DBUILD_TESTING=OFF -DQUORVANE_PYTHON=OFF -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_CXX_FLAGS="$flags" >/dev/null
  cmake --build "$scratch/build-$level" --parallel 2 >/dev/null
done

runs=0
for level in O0 native; do
  mkdir -p "$scratch/run-$level"
  cp "$root"/examples/*.DAT "$scratch/run-$level/"
  : >"$scratch/transcript-$level"
  for name in lysozyme_3:0 lysozyme_fasta:1 ubiquitin_n:2; do
    for answers in "N\n0" "N\n100" "N\n42" "Y\n100\n0" "Y\n70\n100" "Y\n7.5\n.5"; do
      (cd "$scratch/run-$level" &&
        printf "$answers\ny\n${name%%:*}\n${name##*:}\ny\n" | "$scratch/build-$level/quorvane" \
          >>"$scratch/transcript-$level")
      [ $level = O0 ] && runs=$((runs + 1))
    done
  done
  # The planner too, with every figure it computes.
  (cd "$scratch/run-$level" && "$scratch/build-$level/quorvane-series" --xray --conc 2 --step 5 \
    --disulfides 4 --deuterate LEU=50 lysozyme_3.DAT -d 70 --match-at 100 ubiquitin_1.DAT \
    >>"$scratch/transcript-$level")
done
cmp "$scratch/transcript-O0" "$scratch/transcript-native"
diff -r "$scratch/run-O0" "$scratch/run-native"
echo "same digits: $runs console runs, their result files and a planner run agree byte for byte at -O0 and -O2 -march=native"
