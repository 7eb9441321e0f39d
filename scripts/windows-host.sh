# Sourced by test.sh and run.sh: decides where this host runs the Windows
# programs. Sets voq_win32_runs to 1 when the kernel executes 32-bit programs
# (the 32-bit Wine loader is one), else 0, and voq_windows_note to the line
# that says which and why. VOQ_WIN64_ONLY=1 takes the 64-bit-only path on any
# host. A probe whose answer is neither is an error, never a pass.
voq_probe_windows_host() {
  if [ "${VOQ_WIN64_ONLY:-0}" = 1 ]; then
    voq_win32_runs=0
    voq_windows_note="VOQ_WIN64_ONLY=1: Windows programs run in the 64-bit twin only"
    return 0
  fi
  local out rc=0
  out=$(/usr/lib/wine/wine --version 2>&1) || rc=$?
  if [ $rc -eq 0 ]; then
    voq_win32_runs=1
    voq_windows_note="this host runs 32-bit programs: Windows tests run in the 32-bit build and in the 64-bit twin"
  elif [ $rc -eq 126 ] || printf '%s' "$out" | grep -q 'Exec format error'; then
    voq_win32_runs=0
    voq_windows_note="this host runs no 32-bit programs: Windows tests run in the 64-bit twin"
  else
    echo "cannot tell whether this host runs 32-bit programs: /usr/lib/wine/wine --version exited $rc: $out" >&2
    return 1
  fi
}
