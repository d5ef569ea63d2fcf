#!/usr/bin/env bash
# askbox.exe stays a small console program of the right kind, needing no DLL beyond those every
# Windows has, and carries its icon group and version resource.
# Usage: size-imports-resources.sh askbox.exe win32|win64
set -euo pipefail
exe="$1"
arch="$2"
limit=$((64 * 1024))
size=$(stat -c %s "$exe")
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
dlls=$(grep -o 'DLL Name: .*' <<<"$headers" | sed 's/DLL Name: //' | sort -u | tr '\n' ' ')
failed=0
fail() { echo "FAIL $*"; failed=1; }
[ "$size" -le "$limit" ] || fail "size $size bytes, over $limit"
for dll in $dlls; do
  case "$dll" in
    KERNEL32.dll|USER32.dll|msvcrt.dll) ;;
    *) fail "imports from $dll" ;;
  esac
done
case "$arch" in
  win32) format='pei-i386' magic='Magic\s+010b' ;;     # PE32
  win64) format='pei-x86-64' magic='Magic\s+020b' ;;   # PE32+
  *) echo "usage: $0 askbox.exe win32|win64"; exit 2 ;;
esac
grep -q "file format $format" <<<"$headers" || fail "not a $format image"
grep -qE "$magic" <<<"$headers" || fail "wrong optional header for $arch"
grep -qE 'Subsystem\s+00000003' <<<"$headers" || fail "not a console program"
resources=$(wrestool -l "$exe")
grep -q "type=14 --name='APPICON'" <<<"$resources" || fail "no icon group APPICON"
# The icon group must be the first one, which Windows shows as the program's own.
[ "$(grep -m1 -o "type=14 --name=[^ ]*" <<<"$resources")" = "type=14 --name='APPICON'" ] ||
  fail "APPICON is not the first icon group"
version=$(wrestool -x --raw --type=16 "$exe" | tr -d '\0')
for entry in FileVersion ProductVersion; do
  grep -q "${entry}1.0.0.0" <<<"$version" || fail "version resource lacks $entry 1.0.0.0"
done
echo "askbox.exe ($arch): $size bytes, imports $dlls"
exit "$failed"
