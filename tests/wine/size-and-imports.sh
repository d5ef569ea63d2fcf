#!/usr/bin/env bash
# askbox.exe stays a small PE32 console program that needs no DLL beyond those every Windows has.
set -euo pipefail
exe="$1"
limit=$((64 * 1024))
size=$(stat -c %s "$exe")
headers=$(i686-w64-mingw32-objdump -p "$exe")
dlls=$(grep -o 'DLL Name: .*' <<<"$headers" | sed 's/DLL Name: //' | sort -u | tr '\n' ' ')
failed=0
if [ "$size" -gt "$limit" ]; then echo "FAIL size $size bytes, over $limit"; failed=1; fi
for dll in $dlls; do
  case "$dll" in
    KERNEL32.dll|USER32.dll|msvcrt.dll) ;;
    *) echo "FAIL imports from $dll"; failed=1 ;;
  esac
done
grep -q 'file format pei-i386' <<<"$headers" || { echo "FAIL not a PE32 image"; failed=1; }
grep -qE 'Subsystem\s+00000003' <<<"$headers" || { echo "FAIL not a console program"; failed=1; }
echo "askbox.exe: $size bytes, imports $dlls"
exit "$failed"
