#!/usr/bin/env bash
# Every output path of both programs, through the real executables: plain files,
# links (to a file, to nothing yet, to the null and full devices), a FIFO with a
# reader, the input named as output, two outputs on one file, standard output. Links
# to devices are made in this test's own directory: the programs are never handed a
# real device path, so a fault could not replace one.
#   tests/output_paths.sh BIN_DIR GOLDEN_DIR
set -uo pipefail
bin=$(cd "$1" && pwd)
golden=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
failures=0
cases=0

fail() {
  echo "FAIL $case: $*"
  failures=$((failures + 1))
}

# series CASE STATUS ARGS...: runs the planner, checks its status; output in out, err.
series() {
  case=$1
  local want=$2
  shift 2
  cases=$((cases + 1))
  "$bin/quorvane-series" "$@" >out 2>err </dev/null
  local got=$?
  [ "$got" = "$want" ] || fail "status $got, expected $want: $(head -c 300 err)"
}

is_svg() { head -c 5 "$1" | grep -q '<?xml'; }

printf '>lys\nKVFGRCELAAAMKRHGLDNYRGYSLGNWVCAAKFESNFNTQATNRNTDGSTDYGILQINSRWWCNDGRTPGSRNLCNIPCSALLSSDITASVNCAKKIVSDGNGMNAWVAWRNRCKGTDVQAWIRGCRL\n' >lys.fasta
cp lys.fasta lys.orig
cp "$golden/structure_model_pdb/input/model.pdb" model.pdb
ln -s /dev/null null
ln -s /dev/full full
ln -s /dev/stdout stdout

# A plain file is replaced; its permissions stay.
echo old >plain.svg
chmod 640 plain.svg
series plain_file 0 --svg plain.svg lys.fasta
is_svg plain.svg || fail "plain.svg holds no plot"
[ "$(stat -c %a plain.svg)" = 640 ] || fail "permissions $(stat -c %a plain.svg), expected 640"

# A link stays a link; its target receives the plot, also when it did not exist.
echo old >target.svg
ln -s target.svg link.svg
series link_to_file 0 --svg link.svg lys.fasta
[ -L link.svg ] || fail "link.svg is no longer a link"
is_svg target.svg || fail "target.svg holds no plot"
ln -s sub/new.svg dangling.svg
mkdir sub
series link_to_new_file 0 --svg dangling.svg lys.fasta
[ -L dangling.svg ] && is_svg sub/new.svg || fail "the link's new target was not written"

# Devices are written through: the null device takes the plot, the full one fails.
ln -s null plot_to_null.svg
series link_to_null_device 0 --svg plot_to_null.svg lys.fasta
[ -L plot_to_null.svg ] && [ -c /dev/null ] || fail "the link or /dev/null was replaced"
series link_to_full_device 1 --svg full lys.fasta
grep -q 'full: writing failed (disk full or pipe closed?)' err || fail "message: $(cat err)"
[ -L full ] && [ -c /dev/full ] || fail "the link or /dev/full was replaced"
series csv_through_stdout_link 0 --csv -o stdout lys.fasta
grep -q '^lys,1,129,' out || fail "the CSV did not reach standard output"
[ -L stdout ] || fail "the link to standard output was replaced"

# A FIFO is written into, for the reader at its other end.
mkfifo plot.fifo
timeout 30 cat plot.fifo >from_fifo.svg &
reader=$!
series fifo_with_reader 0 --svg plot.fifo lys.fasta
wait "$reader"
[ -p plot.fifo ] || fail "the FIFO was replaced"
is_svg from_fifo.svg || fail "the reader got no plot"

# - is standard output (for one output only) and standard input.
series svg_to_standard_output 0 --svg - -o report.txt lys.fasta
is_svg out && grep -q '^Match points' report.txt || fail "plot or report misplaced"
series two_outputs_on_standard_output 2 --svg - lys.fasta
grep -q -- "--svg - and --output - name the same file" err || fail "message: $(cat err)"
cases=$((cases + 1))
case=standard_input
"$bin/quorvane-series" --csv - <lys.fasta >out 2>err || fail "status $?: $(cat err)"
grep -q '^stdin,1,129,' out || fail "standard input was not read as one record"

# Refused before anything is read or written: inputs as outputs, two outputs on one
# file, a directory.
series input_as_output 2 --svg lys.fasta lys.fasta
grep -q 'names the input file lys.fasta' err || fail "message: $(cat err)"
ln -s lys.fasta input_link.svg
series input_through_link 2 --svg input_link.svg lys.fasta
series two_outputs_one_file 2 -o same.txt --svg ./same.txt lys.fasta
grep -q 'name the same file' err || fail "message: $(cat err)"
[ ! -e same.txt ] || fail "same.txt was written"
series output_is_directory 2 --svg sub lys.fasta
grep -q 'sub: is a directory' err || fail "message: $(cat err)"
cmp -s lys.fasta lys.orig || fail "lys.fasta changed"
[ -z "$(ls ./*.part* 2>/dev/null)" ] || fail "a temporary file was left: $(ls ./*.part*)"

# All or nothing: a run writes each output into a temporary and renames them only when
# all are complete. Each row: the case, the status, the files that must hold their
# earlier text afterwards ("old"), the files that must be new, then the arguments.
all_or_nothing() {
  local name=$1 want=$2 kept=$3 fresh=$4
  shift 4
  for f in ok.txt ok.csv ok.svg; do echo old >"$f"; done
  series "$name" "$want" "$@"
  for f in $kept; do [ "$(cat "$f")" = old ] || fail "$f changed"; done
  for f in $fresh; do [ "$(cat "$f")" != old ] || fail "$f was not written"; done
  [ -z "$(ls ./*.part* nodir 2>/dev/null)" ] || fail "left behind: $(ls ./*.part* nodir 2>/dev/null)"
}
all_or_nothing every_output_written 0 "" "ok.txt ok.csv ok.svg" \
  --d2o 0,100 -o ok.txt --csv-file ok.csv --svg ok.svg lys.fasta
all_or_nothing missing_folder_last 1 "ok.txt ok.csv" "" \
  --d2o 0,100 -o ok.txt --csv-file ok.csv --svg nodir/x.svg lys.fasta
grep -q 'nodir/x.svg: its folder nodir does not exist' err || fail "message: $(cat err)"
all_or_nothing missing_folder_first 1 "ok.csv ok.svg" "" \
  --svg nodir/x.svg --csv-file ok.csv --stuhrmann nodir/s.csv -o ok.svg model.pdb
all_or_nothing full_device_among_files 1 "ok.txt ok.csv ok.svg" "" \
  -o ok.txt --csv-file ok.csv --svg ok.svg --stuhrmann full model.pdb
all_or_nothing report_to_full_stdout_link 1 "ok.csv ok.svg" "" \
  --csv-file ok.csv --svg ok.svg -o full lys.fasta
grep -q 'no file was changed' err || fail "message: $(cat err)"

# A plot named as something else, and a curves plot of a line that has none.
series svg_not_named_svg 2 --svg plot.png lys.fasta
grep -q 'a plot is an SVG file; name it with .svg' err && [ ! -e plot.png ] || fail "message: $(cat err)"
series show_component_unknown 2 --svg c.svg --plot curves --show-component B model.pdb
grep -q 'names no line with a model; the lines with curves are ' err && [ ! -e c.svg ] ||
  fail "message: $(cat err)"

# The console calculator's result file: through a link to a file, into a FIFO, and
# refused when it is the residue file itself.
printf 'GLY\n' >gly.DAT
console() {
  case=$1
  local want=$2
  cases=$((cases + 1))
  printf 'N\n0\ny\ngly\n0\ny\n' | "$bin/quorvane" >out 2>err
  local got=$?
  [ "$got" = "$want" ] || fail "status $got, expected $want: $(cat err)"
}
ln -s results/gly.txt gly_0.DAT
mkdir results
console result_through_link 0
[ -L gly_0.DAT ] && grep -q 'calculated by Quorvane1' results/gly.txt || fail "not written through"
rm gly_0.DAT
mkfifo gly_0.DAT
timeout 30 cat gly_0.DAT >from_fifo.txt &
reader=$!
console result_into_fifo 0
wait "$reader"
[ -p gly_0.DAT ] && grep -q 'Total Mw =75.066680' from_fifo.txt || fail "the FIFO's reader got nothing"
rm gly_0.DAT
ln -s full gly_0.DAT
console result_on_full_device 1
[ -L gly_0.DAT ] && [ -c /dev/full ] || fail "the link or /dev/full was replaced"
rm gly_0.DAT
ln -s gly.DAT gly_0.DAT
console result_is_residue_file 1
grep -q 'is the residue file gly.DAT itself' err || fail "message: $(cat err)"
[ "$(cat gly.DAT)" = GLY ] || fail "the residue file was overwritten"

echo "output paths: $cases cases, $failures failed"
[ "$failures" -eq 0 ]
