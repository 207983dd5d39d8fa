#!/usr/bin/env bash
# The manual pages as man(1) reads them: groff's man macros with every warning on print
# nothing; every option of each program's --help is in its page and in the manual's
# chapters (docs/).
#   tests/man_pages.sh BIN_DIR MAN_DIR DOCS_DIR
set -uo pipefail
bin=$1 man=$2 docs=$3
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
for page in quorvane quorvane-series; do
  warnings=$(groff -man -ww -z "$man/$page.1" 2>&1)
  [ -z "$warnings" ] || fail "$page.1: groff warns: $warnings"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS EXAMPLES FILES "EXIT STATUS" "SEE ALSO"; do
    grep -q "^\.SH $section\$" "$man/$page.1" || fail "$page.1 has no $section section"
  done
  options=$("$bin/$page" --help | grep -oE '^ +(-[a-z], )?--[a-z0-9-]+' | grep -oE -- '--[a-z0-9-]+' | sort -u)
  [ -n "$options" ] || fail "$page --help lists no option"
  for option in $options; do
    grep -qF -- "\\fB$(printf '%s' "$option" | sed 's/-/\\-/g')\\fR" "$man/$page.1" ||
      fail "$page.1 lacks $option"
    grep -rqF -- "$option" "$docs" || fail "docs/ never names $page's $option"
  done
done
echo "manual pages: $failures failures"
[ "$failures" -eq 0 ]
