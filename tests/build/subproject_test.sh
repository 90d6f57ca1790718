#!/usr/bin/env bash
# The checkout builds as a part of another project: a throw-away project takes it with add_subdirectory,
# builds only the 3DS reader's libraries and reads a model of the data set with them.
set -uo pipefail
top=$(cd "${1:?usage: $0 SOURCE_DIR BUILD_DIR}" && pwd)
build=$(cd "${2:?usage: $0 SOURCE_DIR BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/log" ] && tail -n 20 "$work/log" >&2; echo "0 passed, 1 failed"; exit 1; }

cmake -S "$top/tests/build/subproject" -B "$work/build" -DHALVEX_CHECKOUT="$top" >"$work/log" 2>&1 ||
    fail "the consuming project does not configure"
cmake --build "$work/build" --target count-objects -j 2 >>"$work/log" 2>&1 || fail "the consuming project does not build"
# Only what the reader needs was built: no program, tool or platform library.
for unwanted in halvex32 halvex-capture libhalvex_platform.a libhalvex_demo.a; do
    [ -z "$(find "$work/build" -name "$unwanted")" ] || fail "$unwanted was built for a program that only reads models"
done
out=$("$work/build/count-objects" "$build/data/3ds/modul.3ds" 2>&1) || fail "the reader read nothing: $out"
echo "subproject: $out"
echo "1 passed, 0 failed"
