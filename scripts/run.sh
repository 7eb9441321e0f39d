#!/usr/bin/env bash
# The main job: sets up, builds the product and shows the four deliverables
# with what each exports and imports.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$(nproc)"
bin=build/win32/bin
for f in VOQ-MST.dll VOQ-TMS.dll Rigger.exe Outrig.dll; do
  echo "=== $f ($(stat -c %s "$bin/$f") bytes)"
  i686-w64-mingw32-objdump -p "$bin/$f" | awk '
    /^\[Ordinal\/Name Pointer\] Table/ { on = 1; print "exports:"; next }
    on && /^[ \t]*$/ { on = 0 }
    on { print "  " $NF }
    /DLL Name:/ { print "imports " $3 }'
done
