#!/usr/bin/env bash
# Makes the release package for Windows users from this checkout:
#   bash scripts/release.sh
# gives dist/Tovel-<version>-win64.zip (Tovel.exe, README-ja.txt, LICENSE),
# dist/Tovel-<version>-selftest-win64.zip (Tovel-selftest.exe, the Win32
# tests for users to run on their own Windows, and README-selftest.txt),
# dist/Tovel.debug (the exe's debug information) and dist/SHA256SUMS.
# Installs what is missing first. Builds in build/release (TOVEL_BUILD_DIR)
# with the mingw preset, without the test suites (the self-test is built all
# the same). The same commit gives the same bytes in any folder.
# A signing step signs both build/release/Tovel.exe and
# build/release/tests/win32/Tovel-selftest.exe, then packs again with
# scripts/package_release.py (--exe, --selftest) so that SHA256SUMS covers
# what is shipped.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash scripts/install-deps.sh

jobs=${TOVEL_JOBS:-2}
build_dir=${TOVEL_BUILD_DIR:-build/release}
cmake --preset mingw -B "$build_dir" -DTOVEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j"$jobs" --target release_package

mkdir -p dist
rm -f dist/Tovel-*-win64.zip dist/Tovel.debug dist/SHA256SUMS
cp "$build_dir"/dist/Tovel-*-win64.zip "$build_dir"/dist/Tovel.debug "$build_dir"/dist/SHA256SUMS dist/
(cd dist && sha256sum -c --quiet SHA256SUMS)

echo "release.sh: Tovel.exe is $(stat -c %s "$build_dir/Tovel.exe") bytes, Tovel-selftest.exe $(stat -c %s "$build_dir/tests/win32/Tovel-selftest.exe") bytes"
ls -l dist
