#!/usr/bin/env bash
# Installs what the tests need on a fresh Debian 12 machine (as root), then builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt_get() { apt-get -y -qq -o DPkg::Lock::Timeout=600 "$@"; }
  # Wine runs the 32-bit Windows program where the machine can, so the i386 packages must be
  # reachable; wine64 runs the 64-bit one everywhere.
  dpkg --add-architecture i386
  # One index that is mid-sync or unreachable must not stop the run: try once more, then go on
  # with the lists there are. A package the tests need that is still missing fails below.
  apt_get update || { sleep 10; apt_get update; } ||
    echo "apt-get update failed twice; installing from the package lists at hand" >&2
  apt_get install cmake g++ make libgtest-dev python3 binutils clang libclang-rt-14-dev \
    clang-tidy valgrind lintian man-db groff-base file pkg-config libx11-dev libx11-xcb-dev libxcb-randr0-dev libxft-dev libxrender-dev libfontconfig-dev \
    libharfbuzz-dev libfribidi-dev gettext libdbus-1-dev >/dev/null
  # The window's tests: a virtual display, a window manager, a terminal emulator, the desktop's
  # settings (xrdb, an XSETTINGS manager) and the tools that type, close, read properties and the
  # clipboard and take screenshots; setpriv, unshare and mount run askbox as a user unknown to the
  # system and with the X libraries hidden; tmux shows the terminal box as a person sees it.
  apt_get install xvfb xauth openbox x11-utils x11-xserver-utils xsettingsd wmctrl xterm xdotool \
    imagemagick fonts-dejavu-core fonts-noto-color-emoji util-linux mount xclip tmux >/dev/null
  # The window as a screen reader reads it: a session bus, the accessibility bus and pyatspi.
  apt_get install dbus dbus-x11 at-spi2-core python3-pyatspi >/dev/null
  apt_get install g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 icoutils locales zip unzip >/dev/null
  # The 32-bit Wine only where its packages install; the 32-bit suite below runs only where the
  # machine runs 32-bit programs anyway.
  apt_get install wine32:i386 >/dev/null 2>&1 || echo "wine32:i386 does not install here; the 32-bit Wine suite will not run" >&2
fi
# Wine takes its double-byte ANSI code page (932) from a Japanese locale, which must exist; the
# boxes in German, French and Japanese need theirs for gettext to translate their labels.
for locale in ja_JP de_DE fr_FR; do
  if ! locale -a 2>/dev/null | grep -qi "^$locale.utf-\?8$"; then
    localedef -i $locale -f UTF-8 $locale.UTF-8
  fi
done

cmake --preset native
cmake --build --preset native -j"$(nproc)"
ctest --preset native

# The same tests once more with address and undefined-behaviour checks.
cmake --preset asan
cmake --build --preset asan -j"$(nproc)"
ctest --preset asan

# A minute of fuzzing per target, from the committed corpus; any report fails the run. New inputs
# go to a scratch corpus in the build tree, a crash to an artifact beside it.
for target in argument-splitting comma-list int-or-default option-list whole-run \
              glyph-wrap terminal-keys terminal-draw window-layout locale-to-utf8 window-properties \
              button-labels xsettings accessible-input; do
  work="build/asan/fuzz/$target"
  mkdir -p "$work/corpus"
  "build/asan/tests/fuzz/fuzz_${target//-/_}" -max_total_time=60 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" "tests/fuzz/corpus/$target" 2>"$work/log" || {
    tail -n 40 "$work/log"
    echo "fuzzing $target found a fault; the input is in $work/" >&2
    exit 1
  }
  grep -E '^stat::number_of_executed_units' "$work/log" | sed "s/^/$target: /"
done

# askbox.exe, cross-built for 64-bit and 32-bit Windows, with its tests under Wine on a virtual
# display. wine64 runs the 64-bit build on every machine; the 32-bit build's Wine suite runs only
# where the kernel runs 32-bit programs, which trying the 32-bit loader tells. The 32-bit file's
# own checks (size, imports, header, resources) need no Wine and run everywhere.
cmake --preset win64
cmake --build --preset win64 -j"$(nproc)"
ctest --preset win64
cmake --preset win32
cmake --build --preset win32 -j"$(nproc)"
if answer=$(/usr/lib/wine/wine --version 2>&1); then
  ctest --preset win32
  wine_note="the 64-bit and the 32-bit askbox.exe, since this machine runs 32-bit programs"
else
  ctest --preset win32 --label-regex static
  wine_note="the 64-bit askbox.exe only, since this machine cannot run 32-bit programs (${answer##*: })"
fi
echo "Wine ran the tests of $wine_note."

# The release archive holds the program, the README and the licence.
scripts/check-release.sh
