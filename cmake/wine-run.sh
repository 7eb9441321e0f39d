#!/usr/bin/env bash
# Runs one Windows test program under Wine with the build tree's own prefix,
# so that tests never touch the user's prefix. The prefix is made by the
# wine_prefix fixture (wine-prefix.sh) before any test runs.
set -u
here=$(cd "$(dirname "$0")" && pwd)
: "${VOQ_WINEPREFIX:?VOQ_WINEPREFIX is set by the test registration}"
export WINEPREFIX="$VOQ_WINEPREFIX" WINEDEBUG=-all
# No debugger on a crash: the program ends at once and the test fails.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# The 64-bit test twin runs under the 64-bit loader itself: the "wine"
# wrapper would pick the 32-bit one, which some hosts cannot execute.
wine=wine
export WINEARCH=${VOQ_WINEARCH:-win32}
if [ "$WINEARCH" = win64 ]; then
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
fi
# The run's X server, started by the fixture (wine-prefix.sh), for every
# program of the prefix; a GUI test without it gets an X server of its own.
display_file=$VOQ_WINEPREFIX.display
if [ -z "${DISPLAY:-}" ] && [ -s "$display_file" ]; then
  export DISPLAY=":$(head -n 1 "$display_file")"
fi
run=("$wine" "$@")
if [ "${VOQ_GUI_TEST:-0}" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  run=(xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$@")
fi
# The first program of a prefix starts the wineserver and the prefix's own
# programs (services.exe, the desktop, ...), and they keep its standard error
# for as long as any other program of the prefix runs. Were that CTest's pipe,
# the test would not end until the whole run went quiet and would time out.
# So the program writes to a file of its own, streamed out while it runs, and
# nothing of the prefix ever holds the caller's output.
out=$(mktemp "${TMPDIR:-/tmp}/voq-wine-run.XXXXXX")
pid=
stop() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 143; }
trap stop TERM INT HUP
"${run[@]}" </dev/null >"$out" 2>&1 &
pid=$!
tail -s 0.1 -n +1 -f --pid="$pid" "$out"
wait "$pid"
rc=$?
rm -f "$out"
exit "$rc"
