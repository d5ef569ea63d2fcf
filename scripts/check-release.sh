#!/usr/bin/env bash
# Makes the Windows archives and the Debian package from this tree and checks what a user gets from
# them. Needs a configured and built build/native. Each failure is one line on standard error.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() { echo "check-release: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(sed -n 's/^project(askbox VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -f build/native/CPackConfig.cmake ] || fail "build/native is not configured (cmake --preset native)"

archives=$(scripts/release.sh) || fail "scripts/release.sh failed"
for target in win32 win64; do
  archive="build/askbox-$version-$target.zip"
  grep -qxF "$archive" <<<"$archives" || fail "scripts/release.sh did not make $archive"
  folder="askbox-$version-$target"
  members=$(unzip -Z1 "$archive" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')
  [ "$members" = "$folder/LICENSE.txt $folder/README.txt $folder/askbox.exe " ] ||
    fail "$archive holds $members instead of askbox.exe, README.txt and LICENSE.txt in $folder/"
  for text in README.txt LICENSE.txt; do
    unzip -p "$archive" "$folder/$text" >"$work/$text"
    if [ ! -s "$work/$text" ] || grep -qv $'\r$' "$work/$text" || grep -q $'\r\r$' "$work/$text" ||
      [ "$(tail -c2 "$work/$text" | od -An -c | tr -d ' ')" != '\r\n' ]; then
      fail "$text in $archive does not end every line with CR LF"
    fi
  done
  unzip -p "$archive" "$folder/askbox.exe" >"$work/askbox.exe"
  case "$target:$(file -b "$work/askbox.exe")" in
    win32:"PE32 executable (console) Intel 80386"* | win64:"PE32+ executable (console) x86-64"*) ;;
    *) fail "askbox.exe in $archive is not a $target console program" ;;
  esac
done

deb="build/native/askbox_${version}_amd64.deb"
rm -f "$deb"
(cd build/native && cpack -G DEB >"$work/cpack.log" 2>&1) ||
  fail "cpack -G DEB failed in build/native: $(grep -m1 -i error "$work/cpack.log")"
[ -f "$deb" ] || fail "cpack did not make $deb"
lintian --pedantic --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
  fail "lintian finds errors or warnings in $deb: $(grep '^[EW]:' "$work/lintian.log" | tr '\n' ' ')"
# Nothing is waved through: what lintian says stands.
contents=$(dpkg-deb -c "$deb")
! grep -q 'lintian/overrides' <<<"$contents" || fail "$deb carries lintian overrides"
# The C library is the one library linked in, as dpkg-shlibdeps finds it; the window's libraries are
# loaded at run time, so they are recommended by hand.
[[ $(dpkg-deb -f "$deb" Depends) =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] ||
  fail "$deb depends on \"$(dpkg-deb -f "$deb" Depends)\", not on libc6 alone"
[ "$(dpkg-deb -f "$deb" Recommends)" = "libx11-6, libx11-xcb1, libxcb-randr0, libxft2, libxrender1, libfontconfig1, fonts-dejavu-core, libharfbuzz0b, libfribidi0, libdbus-1-3" ] ||
  fail "$deb recommends \"$(dpkg-deb -f "$deb" Recommends)\", not the window's libraries and font"

dpkg-deb -x "$deb" "$work/root"
program="$work/root/usr/bin/askbox"
# No window: these runs mean the usage text and the lack of a terminal.
unset DISPLAY WINDOWID
status=0
"$program" caption=x </dev/null >"$work/usage" || status=$?
[ "$status" = 8 ] || fail "packaged askbox caption=x ended with $status, not 8"
[ "$(head -n1 "$work/usage")" = $'Usage: askbox text= [caption=] [icon=] [button=] [mode=]\r' ] ||
  fail "packaged askbox caption=x does not start with the usage line and CR LF"
status=0
setsid -w "$program" text=Hi </dev/null >"$work/no-terminal" || status=$?
[ "$status" = 0 ] && cmp -s "$work/no-terminal" <(printf 'MessageBox Failed\r\n') ||
  fail "packaged askbox without a terminal ended with $status and did not print MessageBox Failed CR LF alone"
info=$(file -b "$program")
[[ $info == *"pie executable"* ]] || fail "packaged askbox is not position-independent: $info"
[[ $info == *", stripped"* ]] || fail "packaged askbox is not stripped: $info"
needed=$(readelf -dW "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')
[ "$needed" = "libc.so.6 " ] || fail "packaged askbox needs $needed rather than libc.so.6 alone"
readelf -lW "$program" | grep -q GNU_RELRO || fail "packaged askbox has no read-only relocations (-z relro)"

# One catalog of the labels for each language in po/, found from where the package puts askbox.
catalogs=$(cd "$work/root/usr/share/locale" && ls -d */LC_MESSAGES/askbox.mo 2>/dev/null | cut -d/ -f1 | LC_ALL=C sort | tr '\n' ' ')
languages=$(cd po && ls *.po | sed 's/\.po$//' | LC_ALL=C sort | tr '\n' ' ')
[ "$catalogs" = "$languages" ] || fail "the package has the catalogs $catalogs, not those of po/: $languages"
# The box on a terminal of its own, for two seconds: only what it draws counts.
labels=$(LANG=C.UTF-8 LANGUAGE=de TERM=xterm timeout 2 script -qec "$program text=x button=3" /dev/null </dev/null 2>/dev/null || true)
[[ $labels == *Abbrechen* ]] || fail "packaged askbox shows no German labels with LANGUAGE=de"

manual="$work/root/usr/share/man/man1/askbox.1.gz"
[ -f "$manual" ] || fail "the package has no manual page"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null; zcat "$manual" | groff -ww -man -z 2>&1)
[ -z "$warnings" ] || fail "the packaged manual page renders with warnings: $(head -n1 <<<"$warnings")"
echo "check-release: both archives and $deb are as users need them"
