#!/usr/bin/env bash
# Sets up, builds both presets and runs every test of both.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
status=0
for preset in native win32; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  ctest --preset "$preset" || status=1
done
exit $status
