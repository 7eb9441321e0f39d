#!/usr/bin/env bash
# The main job: sets up, builds the product, shows the four deliverables with
# what each exports and imports, then runs a debugging session on the
# simulated pod and its TMS320C54x through the real VOQ-TMS.dll and
# VOQ-MST.dll, printing each step and its result.
#
# The deliverables are the 32-bit build's. On a host that runs no 32-bit
# programs the session runs the 64-bit test twin's cc_app.exe, VOQ-TMS.dll and
# VOQ-MST.dll (same sources), and says so.
#
# VOQ_BUILD (default build/win32) and VOQ_JOBS (default: every core) choose
# the product's build tree and the build's parallelism; VOQ_WIN64_ONLY=1 takes
# the 64-bit session on any host.
set -eu
cd "$(dirname "$0")/.."
build=${VOQ_BUILD:-build/win32}
jobs=${VOQ_JOBS:-$(nproc)}
scripts/setup.sh
. scripts/windows-host.sh
voq_probe_windows_host
targets="VOQ-MST VOQ-TMS Rigger Outrig cc_app"
cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" -j"$jobs" --target $targets
bin=$build/bin
for f in VOQ-MST.dll VOQ-TMS.dll Rigger.exe Outrig.dll; do
  echo "=== $f ($(stat -c %s "$bin/$f") bytes)"
  i686-w64-mingw32-objdump -p "$bin/$f" | awk '
    /^\[Ordinal\/Name Pointer\] Table/ { on = 1; print "exports:"; next }
    on && /^[ \t]*$/ { on = 0 }
    on { print "  " $NF }
    /DLL Name:/ { print "imports " $3 }'
done

arch=win32
if [ "$voq_win32_runs" = 0 ]; then
  echo
  echo "$voq_windows_note: the session runs the 64-bit twin's cc_app.exe, VOQ-TMS.dll and VOQ-MST.dll"
  build=build/win64
  arch=win64
  cmake --preset win64 >/dev/null
  cmake --build "$build" -j"$jobs" --target VOQ-MST VOQ-TMS cc_app
  bin=$build/bin
fi

# The session runs under Wine in the build tree's own prefix (made on first
# use, as the tests make it); its wineserver is ended afterwards.
case "$build" in
  /*) prefix=$build/wineprefix ;;
  *) prefix=$PWD/$build/wineprefix ;;
esac
cat <<EOF

=== Debugging session on the simulated emulator
The stand-in host (cc_app.exe) loads VOQ-TMS.dll, which loads VOQ-MST.dll, and
drives them through the GTI_ exports the way the host debugger does. The
driver's USB calls are led to a simulated pod (no hardware needed) whose JTAG
chain holds one other device and a simulated TMS320C54x DSP. The session
writes a small program and data, sets a breakpoint, runs to it, and reads the
registers and memory back. Each line: [ ok ] or [FAIL], the step, its result.
EOF
if [ ! -f "$prefix/system.reg" ]; then
  echo "(making the Wine prefix $prefix: takes a minute the first time)"
fi
bash cmake/wine-prefix.sh "$prefix" setup "$arch"
trap 'bash cmake/wine-prefix.sh "$prefix" cleanup "$arch"' EXIT
echo
VOQ_WINEPREFIX=$prefix VOQ_WINEARCH=$arch bash cmake/wine-run.sh "$bin/cc_app.exe" --no-window
