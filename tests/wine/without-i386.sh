#!/usr/bin/env bash
# Runs a command as on a machine whose kernel refuses 32-bit programs: in a mount namespace of its
# own, the 32-bit Wine loader is replaced by a file the kernel answers with "Exec format error".
# Usage (as root): tests/wine/without-i386.sh bash scripts/test-all.sh
set -euo pipefail
loader=/usr/lib/wine/wine
refused=$(mktemp)
trap 'rm -f "$refused"' EXIT
# An ELF header for a machine this kernel does not know.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\377\377' >"$refused"
chmod +x "$refused"
exec unshare --mount --propagation private -- sh -c 'mount --bind "$0" "$1" && shift && exec "$@"' \
  "$refused" "$loader" "$@"
