#!/usr/bin/env bash
# Runs a suite under scripts/wine with its output in a file that is printed
# at the end. The programs a suite starts (and the Wine services of its own
# prefix) inherit the output handles; written straight to ctest's pipe,
# ctest would wait for every one of them to end.
#   run_suite.sh SUITE.exe [ARGS]
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="$(mktemp)"
"$ROOT/scripts/wine" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
