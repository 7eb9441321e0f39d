#!/usr/bin/env bash
# CTest fixture for the Wine tests: "setup" makes the build tree's prefix once
# and starts one X server (Xvfb) for the whole run; "cleanup" ends the prefix's
# wineserver and that X server. Output goes to files: a server left holding
# CTest's pipe would keep the fixture from ending.
#
# Every Wine program of one prefix shares one wineserver, whose desktop
# belongs to the display of the program that started it; so all the tests of
# a run, windowed or not, use the same display (cmake/wine-run.sh reads it
# from "$prefix.display").
#
# A third argument "win64" makes and serves a 64-bit prefix (the test twin).
set -eu
prefix=$1 action=$2 arch=${3:-win32}
export WINEPREFIX="$prefix" WINEARCH=$arch WINEDEBUG=-all
wine=wine
if [ "$arch" = win64 ]; then
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
fi
# No debugger on a crash: the program ends at once and the test fails.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
display_file=$prefix.display
pid_file=$prefix.xvfb.pid

stop_display() {
  if [ -f "$pid_file" ]; then
    kill "$(cat "$pid_file")" 2>/dev/null || true
  fi
  rm -f "$pid_file" "$display_file"
}

start_display() {
  command -v Xvfb >/dev/null 2>&1 || return 0
  stop_display
  # Xvfb picks a free display number itself and writes it to fd 3.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$display_file" </dev/null >"$prefix.xvfb.log" 2>&1 &
  echo $! >"$pid_file"
  for _ in $(seq 100); do
    [ -s "$display_file" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start (see $prefix.xvfb.log)" >&2
  stop_display
}

case "$action" in
  setup)
    mkdir -p "$(dirname "$prefix")"
    timeout 120 wineserver -k </dev/null >/dev/null 2>&1 || true
    start_display
    if [ ! -f "$prefix/system.reg" ]; then
      mkdir -p "$prefix"
      timeout 300 "$wine" wineboot -i </dev/null >"$prefix.wineboot.log" 2>&1
    fi
    # Drive R: is a scratch folder of the prefix, marked as such: tests that
    # must name a drive root (to see it refused) use it, never a real one.
    mkdir -p "$prefix/drive_r"
    ln -sfn ../drive_r "$prefix/dosdevices/r:"
    : >"$prefix/drive_r/voq-scratch-drive"
    timeout 120 wineserver -w </dev/null >/dev/null 2>&1
    ;;
  cleanup)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    stop_display
    ;;
esac
