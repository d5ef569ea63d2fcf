#!/usr/bin/env bash
# Makes the Windows releases: build/askbox-<version>-win32.zip and build/askbox-<version>-win64.zip,
# each with askbox.exe, the README and the licence. Prints the archives' paths.
set -euo pipefail
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(askbox VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
for target in win32 win64; do
  # Trees of their own, so the test builds keep their tests.
  tree="build/release-$target"
  cmake --preset "$target" -B "$tree" -DASKBOX_TESTS=OFF >/dev/null
  cmake --build "$tree" --target askbox -j"$(nproc)" >/dev/null

  # A folder named after the archive, so unpacking both side by side mixes nothing.
  folder="askbox-$version-$target"
  mkdir "$staging/$folder"
  cp "$tree/askbox.exe" "$staging/$folder/"
  # Windows users read these in Notepad, so they get CR LF line ends.
  sed 's/$/\r/' README.md >"$staging/$folder/README.txt"
  sed 's/$/\r/' LICENSE >"$staging/$folder/LICENSE.txt"
  archive="build/$folder.zip"
  rm -f "$archive"
  (cd "$staging" && zip -q -X -r "$OLDPWD/$archive" "$folder")
  echo "$archive"
done
