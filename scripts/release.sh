#!/usr/bin/env bash
# Makes the Windows release: build/askbox-<version>-win32.zip with askbox.exe, the README and the licence.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(askbox VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
# A tree of its own, so the test build keeps its tests.
cmake --preset win32 -B build/release -DASKBOX_TESTS=OFF >/dev/null
cmake --build build/release --target askbox -j"$(nproc)" >/dev/null

archive="build/askbox-$version-win32.zip"
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
mkdir "$staging/askbox-$version"
cp build/release/askbox.exe "$staging/askbox-$version/"
# Windows users read these in Notepad, so they get CR LF line ends.
sed 's/$/\r/' README.md >"$staging/askbox-$version/README.txt"
sed 's/$/\r/' LICENSE >"$staging/askbox-$version/LICENSE.txt"
rm -f "$archive"
(cd "$staging" && zip -q -X -r "$OLDPWD/$archive" "askbox-$version")
echo "$archive"
