#!/usr/bin/env bash
# Runs the fuzz targets for longer by hand, one after the other, from their
# seed corpora (new inputs kept in build/native/fuzz/long/<target>/corpus,
# failures in .../artifacts; a failure is kept and the run goes on). Needs
# the native build.
#   scripts/fuzz.sh [seconds per target, default 1200] [target ...]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-1200}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(ini_fuzz rar4_fuzz master_c54x_fuzz master_cortex_fuzz)
status=0
for t in "${targets[@]}"; do
  echo "=== $t: $seconds s"
  fuzz/run.sh "build/native/fuzz/bin/$t" fuzz build/native/fuzz/long -max_total_time="$seconds" \
    -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 || status=1
done
exit $status
