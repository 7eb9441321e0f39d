#!/usr/bin/env bash
# check_master_imports.sh VOQ-TMS.dll
# The driver may import from VOQ-MST.dll only the twenty Master_ functions it
# calls and the three transport slots; anything else is a link mistake.
set -u
bin=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
allowed="SendTargetRequest GetTargetReply SetTargetTimeout
Master_SetIdeCode Master_Init Master_SetConfig Master_Kill Master_Stop Master_Run Master_Step Master_Reset
Master_ReadRegister Master_WriteRegister Master_ReadMemory Master_WriteMemory Master_SetBreakpoint
Master_ClrBreakpoint Master_CheckBrFlag Master_GetBPTypeNum Master_GetBPTypesPtr Master_GetStatus
Master_GetErrorString Master_GetVersionString"
names=$("$objdump" -p "$bin" | awk '
  /DLL Name:/ { on = ($3 == "VOQ-MST.dll") ; next }
  on && /^[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ { print $3 }
  on && /^[ \t]*$/ { on = 0 }')
[ -n "$names" ] || { echo "FAIL: $(basename "$bin") imports nothing from VOQ-MST.dll"; exit 1; }
fail=0
for n in $names; do
  printf '%s\n' $allowed | grep -qx "$n" || { echo "FAIL: imports \"$n\" from VOQ-MST.dll"; fail=1; }
done
for slot in SendTargetRequest GetTargetReply SetTargetTimeout; do
  printf '%s\n' $names | grep -qx "$slot" || { echo "FAIL: the slot $slot is not imported"; fail=1; }
done
echo "$(printf '%s\n' $names | wc -l) imports from VOQ-MST.dll"
exit $fail
