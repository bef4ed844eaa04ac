#!/usr/bin/env bash
# Makes a release in dist/, from scratch, in one command:
#   quorvane-config-<version>-windows-x64.zip      the .exe, README.txt and LICENSE.txt
#   quorvane-config-<version>-linux-x86_64.tar.gz  the Linux (Qt) build, README.txt, LICENSE.txt
#   SHA256SUMS
#
#   scripts/release.sh
#
# The version is the one of project() in CMakeLists.txt, which the .exe's properties show too.
# The same commit gives the same bytes, in any folder and at any time: every date in the builds
# and the archives is the commit's (SOURCE_DATE_EPOCH), the build folders are mapped out of the
# binaries, and the archives hold their files in sorted order with fixed owners and modes.
# scripts/check-release.sh tests what this makes. Needs what scripts/setup.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

version=$(sed -n 's/^project(quorvane_config VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in project() of CMakeLists.txt" >&2; exit 2; }
for tool in zip x86_64-w64-mingw32-g++-win32; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 2; }
done

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "not a git checkout: set SOURCE_DATE_EPOCH" >&2; exit 2; }
fi
export SOURCE_DATE_EPOCH
# Qt's resource compiler stamps each file with its own date unless told this one.
export QT_RCC_SOURCE_DATE_OVERRIDE=$SOURCE_DATE_EPOCH
# zip writes local times; the build's tools sort and format by locale.
export TZ=UTC LC_ALL=C
jobs=$(nproc 2>/dev/null || echo 2)

# Fresh build folders: nothing left over from an earlier configuration gets in.
for preset in windows-release linux-release; do
  rm -rf "build/$preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
exe=build/windows-release/app/quorvane-config.exe
linux=build/linux-release/app/quorvane-config

rm -rf dist
mkdir -p dist/stage
# stage <folder> <text of the platform>: the folder an archive holds, with the notes for players.
stage() {
  local dir=dist/stage/$1
  mkdir -p "$dir"
  cat "$2" docs/release/notes.txt | sed "s/@VERSION@/$version/g" >"$dir/README.txt"
  cp LICENSE "$dir/LICENSE.txt"
}

win=quorvane-config-$version-windows-x64
stage "$win" docs/release/windows.txt
cp "$exe" "dist/stage/$win/quorvane-config.exe"
# Notepad before Windows 10 shows LF-only text as one line.
sed -i 's/$/\r/' "dist/stage/$win/README.txt" "dist/stage/$win/LICENSE.txt"

lin=quorvane-config-$version-linux-x86_64
stage "$lin" docs/release/linux.txt
cp "$linux" "dist/stage/$lin/quorvane-config"
# What the Linux build needs, read from the binary itself rather than written down twice.
newest() { objdump -T "$linux" | grep -o "$1[0-9][0-9.]*" | sed "s/^$1//" | sort -V | tail -n 1; }
qt=$(newest Qt_)
glibc=$(newest GLIBC_)
sed -i "s/@QT_VERSION@/${qt:-6}/; s/@GLIBC_VERSION@/$glibc/" "dist/stage/$lin/README.txt"

find dist/stage -type d -exec chmod 755 {} +
find dist/stage -type f -exec chmod 644 {} +
chmod 755 "dist/stage/$win/quorvane-config.exe" "dist/stage/$lin/quorvane-config"
find dist/stage -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

(cd dist/stage && find "$win" -type f | sort | zip -q -X -D -9 "$root/dist/$win.zip" -@)
tar -C dist/stage --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
  --format=gnu -cf - "$lin" | gzip -9 -n >"dist/$lin.tar.gz"
rm -rf dist/stage
(cd dist && sha256sum "$win.zip" "$lin.tar.gz" >SHA256SUMS)
ls -l dist
