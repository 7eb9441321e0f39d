#!/usr/bin/env bash
# CTest fixture for the Wine tests: "setup" makes the build tree's prefix once,
# "cleanup" ends its wineserver. Output goes to a file: a server left holding
# CTest's pipe would keep the fixture from ending.
set -eu
prefix=$1 action=$2
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
case "$action" in
  setup)
    if [ ! -f "$prefix/system.reg" ]; then
      mkdir -p "$prefix"
      timeout 300 wineboot -i </dev/null >"$prefix.wineboot.log" 2>&1
    fi
    timeout 120 wineserver -w </dev/null >/dev/null 2>&1
    ;;
  cleanup)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
esac
