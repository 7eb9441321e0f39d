#!/usr/bin/env bash
# Sets up, builds every preset and runs every test: the native sanitizer
# build and its fuzz targets; the 32-bit product with its PE checks; the Windows tests under Wine
# in the 32-bit build where this host runs 32-bit programs, and always in the
# 64-bit test twin.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/windows-host.sh
voq_probe_windows_host
jobs=$(nproc)
status=0

build() {
  echo "=== $1: build"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$jobs"
}

build native
echo "=== native: tests"
ctest --preset native -LE fuzz || status=1
# Each fuzz target over its seed corpus and a fixed number of mutations.
echo "=== native: fuzz targets"
ctest --preset native -L fuzz || status=1

build win32
echo "$voq_windows_note"
if [ "$voq_win32_runs" = 1 ]; then
  echo "=== win32: tests"
  ctest --preset win32 || status=1
else
  # The product's checks read files and run nothing: they run on every host.
  echo "=== win32: PE checks of the product (no 32-bit Windows program runs here)"
  ctest --preset win32 -L pe || status=1
fi

build win64
echo "=== win64: tests"
ctest --preset win64 || status=1
exit $status
