#!/usr/bin/env bash
# The main job: sets up, builds the product, shows the four deliverables with
# what each exports and imports, installs the test package into a simulated
# host debugger installation, then runs a debugging session on the simulated
# pod and its TMS320C54x through the VOQ-TMS.dll and VOQ-MST.dll that the
# installation put there, printing each step and its result.
#
# The deliverables are the 32-bit build's. On a host that runs no 32-bit
# programs the installation and the session run the 64-bit test twin's
# package, robot.exe, cc_app.exe, VOQ-TMS.dll and VOQ-MST.dll (same sources),
# and say so.
#
# The installation runs in a Wine prefix of its own, <build>/wineprefix-demo,
# kept between runs (the tests' prefixes are never touched): the first run
# makes the simulated host installation there; a later run finds the version
# installed before, removes it through its uninstaller and installs again.
#
# VOQ_BUILD (default build/win32) and VOQ_JOBS (default: every core) choose
# the product's build tree and the build's parallelism; VOQ_WIN64_ONLY=1 takes
# the 64-bit path on any host.
set -eu
cd "$(dirname "$0")/.."
build=${VOQ_BUILD:-build/win32}
jobs=${VOQ_JOBS:-$(nproc)}
scripts/setup.sh
. scripts/windows-host.sh
voq_probe_windows_host
targets="VOQ-MST VOQ-TMS Rigger Outrig cc_app package"
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
  echo "$voq_windows_note: the installation and the session run the 64-bit twin's package and programs"
  build=build/win64
  arch=win64
  cmake --preset win64 >/dev/null
fi
cmake --build "$build" -j"$jobs" --target package robot ccs_host cc_setup cc_app
bin=$build/bin

# Everything below runs under Wine in the demo prefix (made on first use, as
# the tests make theirs, with its own X server); its wineserver is ended
# afterwards.
case "$build" in
  /*) prefix=$build/wineprefix-demo ;;
  *) prefix=$PWD/$build/wineprefix-demo ;;
esac
package=$PWD/$build/package
case "$build" in /*) package=$build/package ;; esac
drive_c=$prefix/drive_c
target='C:\Korvan\VOQ'
root2='C:\CCStudio'
root3='C:\CCStudio_v3.1'
repo=$PWD
run_wine() { VOQ_WINEPREFIX=$prefix VOQ_WINEARCH=$arch bash "$repo/cmake/wine-run.sh" "$@"; }
# A file of the build machine as Wine names it (drive Z: is its root).
wine_path() { printf 'Z:%s' "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" | tr / '\\'; }

cat <<'TEXT'

=== Installing the package into a simulated host debugger installation
The package: Rigger.exe, unrar.dll (stand-in), SetupFiles.rar (setup.ini,
the licence texts, the plug-in PlugInOutrig.dll with its install.ini and the
driver files it lists) and the component archive Program.rar (help files,
the uninstaller, the shortcuts' .inf). The prefix holds a simulated Code
Composer Studio 2.x and 3.x installation: registry entries with decoys,
folders, the stand-in board setup program cc_setup.exe and the stand-in host
cc_app.exe. Rigger.exe runs unattended (/Y) into C:\Korvan\VOQ; robot.exe
answers the plug-in's two dialogs: both host versions, Install, then only
"Launch ... v. 3.x" kept ticked, Exit.
TEXT
echo "package: $package"
if [ ! -f "$prefix/system.reg" ]; then
  echo "(making the Wine prefix $prefix: takes a minute the first time)"
fi
bash cmake/wine-prefix.sh "$prefix" setup "$arch"
trap 'bash cmake/wine-prefix.sh "$prefix" cleanup "$arch"' EXIT
if [ ! -d "$drive_c/CCStudio_v3.1/cc/bin" ]; then
  echo "--- making the simulated host installation"
  run_wine "$bin/ccs_host.exe" make "$root2" "$root3" --cc-setup "$(wine_path "$bin/cc_setup.exe")" | tr -d '\r'
fi
# The host programs as built now; no record of an earlier run.
cp "$bin/cc_setup.exe" "$drive_c/CCStudio/cc/bin/"
cp "$bin/cc_setup.exe" "$bin/cc_app.exe" "$drive_c/CCStudio_v3.1/cc/bin/"
rm -f "$drive_c/CCStudio/cc/bin/cc_setup_record.txt" "$drive_c/CCStudio_v3.1/cc/bin/cc_setup_record.txt" \
  "$package/Rigger.log"

echo "--- Rigger.exe /Y /L /B$target, with robot.exe on the plug-in's dialogs"
run_wine "$bin/robot.exe" --watchdog 300000 "$(wine_path sim/package/robot/install_both_hosts.txt)" \
  | tr -d '\r' | sed 's/^/robot: /' &
robot=$!
rc=0
(cd "$package" && run_wine Rigger.exe /Y /L "/B$target") || rc=$?
robot_rc=0
wait $robot || robot_rc=$?
if [ -f "$package/Rigger.log" ]; then
  tr -d '\r' < "$package/Rigger.log" | grep -i -E "version|uninstall|plugin" | sed 's/^/Rigger.log: /' || true
fi
echo "setup exit code: $rc"
if [ $rc -ne 0 ] || [ $robot_rc -ne 0 ]; then
  echo "[FAIL] the installation"
  exit 1
fi

echo "--- TARGETDIR $target"
(cd "$drive_c/Korvan/VOQ" && ls -l | tail -n +2)
echo "--- Start-menu links"
find "$drive_c" -path '*/Programs/VOQ JTAG Emulator*' -name '*.lnk' | sed 's|.*/Programs/||'
echo "--- uninstall entry"
run_wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VOQ JTAG Emulator' \
  | tr -d '\r' | grep REG_ || true
for root in CCStudio CCStudio_v3.1; do
  echo "--- C:\\$root: Drivers, cc\\bin\\VOQ-MST.dll, cc\\bin\\PodWare"
  (cd "$drive_c/$root" && ls Drivers cc/bin/VOQ-MST.dll cc/bin/PodWare)
  echo "HelpFile=$(tr -d '\r' < "$drive_c/$root/Drivers/VOQ-TMS.ini" | sed -n 's/^HelpFile=//p')"
done
for root in CCStudio CCStudio_v3.1; do
  record=$drive_c/$root/cc/bin/cc_setup_record.txt
  if [ -f "$record" ]; then
    echo "board setup program started: C:\\$root\\cc\\bin\\cc_setup.exe"
  fi
done

cat <<'TEXT'

=== Debugging session on the simulated emulator
The stand-in host, started as C:\CCStudio_v3.1\cc\bin\cc_app.exe, loads the
installed C:\CCStudio_v3.1\Drivers\VOQ-TMS.dll by its full path, and the
driver finds VOQ-MST.dll beside the host program. The host drives them
through the GTI_ exports the way the host debugger does. The driver's USB
calls are led to a simulated pod (no hardware needed) whose JTAG chain holds
one other device and a simulated TMS320C54x DSP. The session writes a small
program and data, sets a breakpoint, runs to it, and reads the registers and
memory back. Each line: [ ok ] or [FAIL], the step, its result.

TEXT
run_wine "$drive_c/CCStudio_v3.1/cc/bin/cc_app.exe" --no-window --driver "$root3\\Drivers\\VOQ-TMS.dll"
