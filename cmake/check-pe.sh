#!/usr/bin/env bash
# check-pe.sh BINARY DEF ALLOW
# Compares a PE file's export table with its .def file (names and, where the
# .def gives one, ordinals) and its import table with the Windows system DLLs
# plus the comma-separated ALLOW list. DEF "-" means: no exports expected.
set -u
bin=$1 def=$2 allow=${3:-}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
dump=$("$objdump" -p "$bin") || { echo "cannot read $bin"; exit 1; }
fail=0

# name ordinal, one per line, from the export table.
actual=$(printf '%s\n' "$dump" | awk '
  /^Ordinal Base/ { base = $3 }
  /^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
  on && /^[ \t]*$/ { on = 0 }
  on && match($0, /\[ *[0-9]+\] /) {
    idx = substr($0, RSTART + 1, RLENGTH - 3) + 0
    name = substr($0, RSTART + RLENGTH); sub(/[ \t\r]+$/, "", name)
    print name, idx + base
  }' | sort)

# name ordinal-or-"-", one per line, from the .def EXPORTS section.
expected=""
if [ "$def" != "-" ]; then
  expected=$(awk '
    { sub(/;.*/, "") }
    /^[ \t]*EXPORTS[ \t]*$/ { on = 1; next }
    /^[ \t]*(LIBRARY|NAME|SECTIONS|HEAPSIZE|STACKSIZE|VERSION)/ { on = 0 }
    on && NF {
      name = $1; ord = "-"
      for (i = 2; i <= NF; i++) if ($i ~ /^@[0-9]+$/) ord = substr($i, 2)
      print name, ord
    }' "$def" | sort)
fi

while read -r name ord; do
  [ -n "$name" ] || continue
  want=$(printf '%s\n' "$expected" | awk -v n="$name" '$1 == n { print $2 }')
  if [ -z "$want" ]; then
    echo "FAIL: $(basename "$bin") exports \"$name\", which its .def does not list"; fail=1
  elif [ "$want" != "-" ] && [ "$want" != "$ord" ]; then
    echo "FAIL: $(basename "$bin") exports \"$name\" at ordinal $ord, the .def says $want"; fail=1
  fi
done <<< "$actual"
while read -r name ord; do
  [ -n "$name" ] || continue
  printf '%s\n' "$actual" | awk -v n="$name" '$1 == n { f = 1 } END { exit !f }' ||
    { echo "FAIL: the .def lists \"$name\", which $(basename "$bin") does not export"; fail=1; }
done <<< "$expected"

system="kernel32 user32 gdi32 advapi32 shell32 comctl32 comdlg32 ole32 oleaut32 msvcrt
setupapi shfolder version winmm msvfw32 msimg32 wininet uxtheme ws2_32 shlwapi ntdll"
for dll in $(printf '%s\n' "$dump" | awk '/DLL Name:/ { print $3 }'); do
  base=$(printf '%s' "${dll%.*}" | tr 'A-Z' 'a-z')
  ok=0
  for s in $system; do [ "$s" = "$base" ] && ok=1; done
  for a in ${allow//,/ }; do
    [ "$(printf '%s' "${a%.*}" | tr 'A-Z' 'a-z')" = "$base" ] && ok=1
  done
  [ $ok = 1 ] || { echo "FAIL: $(basename "$bin") imports $dll, which is not a Windows system DLL"; fail=1; }
done

[ $fail = 0 ] && echo "$(basename "$bin"): exports match $( [ "$def" = - ] && echo "(none)" || basename "$def"), imports are system DLLs"
exit $fail
