#!/usr/bin/env bash
# Keeps the folders of src/ in layers that point down only: a file may include its own
# folder and the folders below it, never one beside or above it. So there is no folder
# cycle, and nothing in src/ but main.cpp includes dialogue/.
set -euo pipefail
cd "$(dirname "$0")/.."
layers=("text io" "sample chart" residues "scattering structure measured" "results plan" report "dialogue series")
rank() {
  local i
  for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do
      [ "$folder" = "$1" ] && echo "$i" && return
    done
  done
  echo "unknown"
}
bad=0
for file in $(git ls-files 'src/*/*.h' 'src/*/*.cpp' | grep -v '_test\.cpp$'); do
  own=$(basename "$(dirname "$file")")
  own_rank=$(rank "$own")
  [ "$own_rank" = unknown ] && echo "check_layers: $file: folder $own has no layer" && bad=1 && continue
  for target in $(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$file" | sort -u); do
    [ "$target" = "$own" ] && continue
    target_rank=$(rank "$target")
    if [ "$target_rank" = unknown ] || [ "$target_rank" -ge "$own_rank" ]; then
      echo "check_layers: $file includes $target/, which is not below $own/"
      bad=1
    fi
  done
done
# The entries beside the folders: only the console program's own reaches its dialogue.
for file in $(git ls-files 'src/*.cpp' | grep -v '/.*/' | grep -v '^src/main\.cpp$'); do
  if grep -q '^#include "dialogue/' "$file"; then
    echo "check_layers: $file includes dialogue/, which only src/main.cpp may"
    bad=1
  fi
done
[ $bad -eq 0 ] && echo "check_layers: src/ folders include only the layers below them"
exit $bad
