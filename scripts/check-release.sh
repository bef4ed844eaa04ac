#!/usr/bin/env bash
# Tests the release that scripts/release.sh makes, as a player gets it:
#   - the .exe is at most 600 KB, and its properties show the version;
#   - each archive holds the program, README.txt and LICENSE.txt, and SHA256SUMS matches them;
#   - unpacked into a fresh folder, each program starts, takes a change and saves (the Windows
#     one under Wine): tests/e2e/save_vsync.sh, run on the unpacked files;
#   - the .exe draws every page with the same pixels as the build that made
#     docs/screenshots/win-*.png (100, 150 and 200 %);
#   - a second clean clone of the same commit, built later in another folder, gives
#     byte-identical archives (and so the same .exe and Linux binary).
#
#   scripts/check-release.sh
#
# It makes dist/ first. Needs what scripts/setup.sh installs, Wine included.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
limit=$((600 * 1024))

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passes=0 failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
pass() {
  echo "passed: $*"
  passes=$((passes + 1))
}

scripts/release.sh
version=$(sed -n 's/^project(quorvane_config VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
win=quorvane-config-$version-windows-x64
lin=quorvane-config-$version-linux-x86_64

# What the archives hold, and the sums.
(cd dist && sha256sum --quiet -c SHA256SUMS) && pass "SHA256SUMS" || fail "SHA256SUMS does not match"
mkdir "$work/zip" "$work/tar"
unzip -q "dist/$win.zip" -d "$work/zip"
tar -xzf "dist/$lin.tar.gz" -C "$work/tar"
listing() { (cd "$1" && find . -type f | sort | tr '\n' ' '); }
[ "$(listing "$work/zip")" = "./$win/LICENSE.txt ./$win/README.txt ./$win/quorvane-config.exe " ] &&
  pass "the zip holds the .exe, README.txt and LICENSE.txt" || fail "the zip holds: $(listing "$work/zip")"
[ "$(listing "$work/tar")" = "./$lin/LICENSE.txt ./$lin/README.txt ./$lin/quorvane-config " ] &&
  pass "the tarball holds the program, README.txt and LICENSE.txt" || fail "the tarball holds: $(listing "$work/tar")"
for notes in "$work/zip/$win/README.txt" "$work/tar/$lin/README.txt"; do
  if grep -q "@[A-Z_]*@" "$notes" || ! grep -q "^Quorvane Configuration $version for" "$notes"; then
    fail "$(basename "$(dirname "$notes")")/README.txt: a placeholder is left or version $version missing"
  else
    pass "$(basename "$(dirname "$notes")")/README.txt names version $version"
  fi
done

exe=$work/zip/$win/quorvane-config.exe
size=$(stat -c %s "$exe")
[ "$size" -le "$limit" ] && pass "the .exe is $size bytes (at most $limit)" ||
  fail "the .exe is $size bytes, more than $limit"
# Nothing before the first frame waits for COM, the shell, the image codecs or the common
# controls: the .exe imports none of them, and loads each when a chooser, a link, a screen
# reader or the first system control needs it (the common controls also a moment after the
# first frame).
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
if grep -qwE 'ole32\.dll|oleaut32\.dll|oleacc\.dll|shell32\.dll|windowscodecs\.dll|msimg32\.dll|comctl32\.dll' <<<"$imports"; then
  fail "the .exe imports $imports"
else
  pass "the .exe imports only $imports"
fi
# The version resource holds the version as UTF-16 text, as Explorer's properties show it.
[ "$(strings -el "$exe" | grep -Fxc "$version")" -ge 2 ] &&
  pass "the .exe's properties show version $version" || fail "no version $version in the .exe's properties"

# Unpacked, each starts in a fresh folder, takes a change and saves.
xvfb=scripts/xvfb-common.sh
if WINEPREFIX=$root/build/wine-release bash tests/e2e/save_vsync.sh "$exe" tests/data/VOZ.default.INI "$xvfb"; then
  pass "the unpacked .exe starts and saves under Wine"
else
  fail "the unpacked .exe did not start and save under Wine"
fi
if bash tests/e2e/save_vsync.sh "$work/tar/$lin/quorvane-config" tests/data/VOZ.default.INI "$xvfb"; then
  pass "the unpacked Linux build starts and saves"
else
  fail "the unpacked Linux build did not start and save"
fi

# The same pixels as the build whose screenshots the README shows.
scripts/screenshots-windows.sh "$exe" "$work/shots" >/dev/null
pages=0 differing=0
for shot in docs/screenshots/win-*.png; do
  name=$(basename "$shot")
  # Drawn by the view's test, which a release does not carry (Wine has no high-contrast theme).
  [ "$name" = win-high-contrast.png ] && continue
  pages=$((pages + 1))
  differ=$(compare -metric AE "$work/shots/$name" "$shot" null: 2>&1) || true
  [ "$differ" = 0 ] || { differing=$((differing + 1)); fail "$name: $differ pixels differ from docs/screenshots"; }
done
[ "$differing" -eq 0 ] && pass "all $pages pages have the pixels of docs/screenshots/win-*.png"

# Reproducible: a clean clone of the same commit, built later in a folder of another name and
# with another umask and time zone around it, gives the same bytes. The checkout itself counts
# as the first build only when it is that commit, unchanged.
commit=$(git rev-parse HEAD)
build_clone() {
  git clone -q --shared "$root" "$1"
  git -C "$1" checkout -q --detach "$commit"
  (cd "$1" && umask "$2" && TZ=$3 scripts/release.sh >/dev/null)
}
first=$root
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "the checkout has changes: comparing two clean clones of $commit"
  build_clone "$work/first" 022 UTC
  first=$work/first
fi
build_clone "$work/second-build-in-another-folder" 077 Pacific/Auckland
same=1
for f in "$win.zip" "$lin.tar.gz" SHA256SUMS; do
  cmp -s "$first/dist/$f" "$work/second-build-in-another-folder/dist/$f" || { same=0; fail "$f differs between two builds of $commit"; }
done
[ "$same" -eq 1 ] && pass "two builds of $commit in two folders give byte-identical archives ($(cut -c1-12 "$first/dist/SHA256SUMS" | tr '\n' ' '))"

echo "release: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
