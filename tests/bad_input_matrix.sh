#!/usr/bin/env bash
# The bad-input matrix of the README, row by row, against the real program: what it
# prints, its exit status and what is on disk afterwards.
# Usage: tests/bad_input_matrix.sh path/to/quorvane
set -uo pipefail
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
scratch=$(mktemp -d)
chmod 755 "$scratch"
trap 'rm -rf "$scratch"' EXIT
failures=0
rows=0
row=""

ENDED='quorvane: the keyboard input ended before the run was complete; no result was written.'
TRAILER='   calculated by Quorvane1'

fail() {
  echo "FAIL [$row] $*"
  failures=$((failures + 1))
}

# Starts a row in a fresh directory that holds lys.DAT with one GLY.
begin() {
  row=$1
  rows=$((rows + 1))
  mkdir -p "$scratch/$row"
  cd "$scratch/$row" || exit 1
  printf 'GLY\n' >lys.DAT
}

# Runs the program with one answer per argument, as a user or a script would.
answer() {
  printf '%s\n' "$@" | "$program" >out 2>err
  status=$?
}

# Runs it as an unprivileged user, so that directory permissions hold even for root.
answer_unprivileged() {
  if [ "$(id -u)" = 0 ]; then
    chmod -R a+rX "$scratch"
    printf '%s\n' "$@" | setpriv --reuid=65534 --regid=65534 --clear-groups "$program" >out 2>err
  else
    printf '%s\n' "$@" | "$program" >out 2>err
  fi
  status=$?
}

expect_status() { [ "$status" = "$1" ] || fail "exit status $status, expected $1"; }
expect_err() { [ "$(cat err)" = "$1" ] || fail "standard error: $(cat err)"; }
# expect_out TEXT [COUNT]: standard output holds TEXT (a line) COUNT times (default 1).
expect_out() {
  local count
  count=$(grep -c -a -F -x -- "$1" out)
  [ "$count" = "${2:-1}" ] || fail "'$1' printed $count times, expected ${2:-1}"
}
expect_no_out() { ! grep -q -a -F -- "$1" out || fail "printed '$1'"; }
# The files below the row's directory, besides out and err, sorted.
expect_files() {
  local got
  got=$(find . -type f ! -name out ! -name err | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
  [ "${got% }" = "$1" ] || fail "files on disk: '${got% }', expected '$1'"
}
expect_complete() {
  [ "$(tail -c ${#TRAILER} "$1")" = "$TRAILER" ] || fail "$1 does not end with the trailer"
}

# --- answers ---------------------------------------------------------------------
begin yes_no_too_long
answer yes N 0 y lys 0 yes Y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_0.DAT"; expect_complete lys_0.DAT
expect_out "Please input ratio of D2O (percent)"

begin ratio_too_long
answer Y 12.5 50 0 y lys 0 y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_0_50D.DAT"
expect_out '"12.5" is too long for a percentage (such as 100 or 7.5): at most 3 characters fit. Please type it again.'
expect_out "Please input protein deutaration ratio(percent)" 2

begin d2o_too_long
answer N 1000 100 y lys 0 y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_100.DAT"
expect_out '"1000" is too long for a percentage (such as 100 or 7.5): at most 3 characters fit. Please type it again.'
expect_out "Please input ratio of D2O (percent)" 2

begin percentage_not_a_number
answer N abc y lys 0 y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_abc.DAT"
expect_out "D2O concentration (%) = 0.000000"

begin path_too_long
long_path=$(printf 'p%.0s' $(seq 95))
answer N 0 N "$long_path" ./ y lys 0 y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_0.DAT"
expect_out "\"$(printf 'p%.0s' $(seq 40))...\" is too long for a path (it needs room for the file name): at most 94 characters fit. Please type it again."

begin name_too_long
answer N 0 y "$(printf 'n%.0s' $(seq 96))" lys 0 y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_0.DAT"
expect_out "\"$(printf 'n%.0s' $(seq 40))...\" is too long for a file name in this path (with .DAT, 99 characters in all): at most 95 characters fit. Please type it again."

begin data_code_too_long
answer N 0 y lys 000000000000000000000000000000 0 y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_0.DAT"
expect_out '"000000000000000000000000000000" is too long for a data code (0, 1 or 2): at most 23 characters fit. Please type it again.'

begin data_code_unknown
answer N 0 y lys 3 y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_0.DAT"
expect_out "Acid Total Number=-1" 1; expect_no_out "Acid=0"

# --- keyboard input that ends -------------------------------------------------------
for cut in "" "N" "Y" "Y 50" "N 0" "N 0 N" "N 0 N ./" "N 0 y" "N 0 y lys"; do
  begin "input_ends_after_[${cut}]"
  # shellcheck disable=SC2086
  answer $cut
  expect_status 1; expect_err "$ENDED"; expect_files "lys.DAT"
done

begin input_ends_at_closing_prompt
answer N 0 y lys 0
expect_status 0; expect_err ""; expect_files "lys.DAT lys_0.DAT"; expect_complete lys_0.DAT

# --- residue files ------------------------------------------------------------------
begin empty_file
: >lys.DAT
answer N 0 y lys 0 y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_0.DAT"
expect_out "Acid Total Number=0"; expect_out "Total Mw =18.015280"

begin binary_file
head -c 4096 /dev/urandom >lys.DAT
answer N 0 y lys 0 y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_0.DAT"; expect_complete lys_0.DAT

begin no_final_line_end
printf 'ALA GLY LYS' >lys.DAT
answer N 0 y lys 0 y
expect_status 0; expect_files "lys.DAT lys_0.DAT"
expect_out "Acid Total Number=3"; expect_out "Acid=14, Name:LYS"

begin unknown_and_long_tokens
printf 'gly GLYGLY NON ALA\n' >lys.DAT
answer N 0 y lys 0 y
expect_status 0; expect_files "lys.DAT lys_0.DAT"
expect_out "Acid=20, Name:NON" 3; expect_out "Acid=1, Name:ALA"; expect_out "Acid Total Number=4"

begin number_code_not_a_number
printf '0 1\n2 abc\n' >lys.DAT
answer N 0 y lys 2 y
expect_status 1; expect_files "lys.DAT"; expect_no_out "Acid Total Number"
expect_err 'quorvane: lys.DAT: entry 4, "abc", is not a residue number; the number code takes whole numbers from 0 to 20. Nothing was calculated.'

begin number_code_out_of_range
printf '21 -1 0\n' >lys.DAT
answer N 0 y lys 2 y
expect_status 0; expect_files "lys.DAT lys_0.DAT"
expect_out "21"; expect_out "-1"; expect_out "Acid=20, Name:NON" 2; expect_out "Acid Total Number=3"

begin huge_file_at_the_limit
for _ in $(seq 10000); do printf 'GLY\nALA\nLYS\nSER\nPRO\nGLU\nTRP\nHIS\nMET\nCYS\n'; done | head -n 99999 >lys.DAT
answer N 0 y lys 0 y
expect_status 0; expect_err ""; expect_files "lys.DAT lys_0.DAT"; expect_out "Acid Total Number=99999"

begin more_than_99999_residues
for _ in $(seq 10000); do printf 'GLYALAVALLEUILEPHETYRTRPASPGLU'; done >lys.DAT
answer N 0 y lys 1 y
expect_status 1; expect_files "lys.DAT"; expect_no_out "Acid Total Number"
expect_err "quorvane: lys.DAT holds more than 99999 residues, the most one run takes; split the sequence into smaller files. Nothing was calculated."

begin missing_residue_file
rm lys.DAT
answer N 0 y lys 0 y
expect_status 1; expect_err ""; expect_files ""
[ "$(tail -c 3 out | od -An -tx1 | tr -d ' ')" = "81420a" ] || fail "open-failed is not the last line"
expect_no_out "Data code"

begin directory_as_residue_file
rm lys.DAT; mkdir lys.DAT
answer N 0 y lys 0 y
expect_status 1; expect_files ""
expect_err "quorvane: lys.DAT could not be read (is it a directory?); check the name and try again. Nothing was calculated."

# --- result file ---------------------------------------------------------------------
begin unwritable_result_directory
chmod 555 .
answer_unprivileged N 0 y lys 0 y
chmod 755 .
expect_status 1; expect_err ""; expect_files "lys.DAT"
expect_out "Acid Total Number=1"; expect_no_out "Data code?"
grep -q -a -F "lys_0.DAT" out || fail "open-failed does not name lys_0.DAT"

begin full_disk
printf 'earlier result\n' >lys_0.DAT
ln -s /dev/full lys_0.DAT.part
answer N 0 y lys 0 y
expect_status 1; expect_files "lys.DAT lys_0.DAT"
[ "$(cat lys_0.DAT)" = "earlier result" ] || fail "the earlier result file changed"
expect_err "quorvane: writing lys_0.DAT failed (disk full or not writable?); any earlier file of that name is unchanged. Free space or choose another directory and run again."

begin result_name_too_long
name=$(printf 'n%.0s' $(seq 93))
printf 'GLY\n' >"$name.DAT"
rm lys.DAT
answer Y 50 100 y "$name" 0 y
expect_status 1; expect_files "$name.DAT"
expect_err "quorvane: the result file's name (${name}_100...) would be longer than 99 characters; use a shorter path or residue file name. Nothing was written."

begin result_file_replaced
printf 'an earlier and longer result file\n\n\n' >lys_0.DAT
answer N 0 y lys 0 y
expect_status 0; expect_files "lys.DAT lys_0.DAT"; expect_complete lys_0.DAT

echo "bad-input matrix: $rows rows, $failures failures"
[ "$failures" = 0 ]
