#!/usr/bin/env bash
# Makes the release package for Windows users from this checkout:
#   bash scripts/release.sh
# gives dist/Tovel-<version>-win64.zip (Tovel.exe, README-ja.txt, LICENSE,
# THIRD-PARTY-NOTICES.txt), dist/Tovel-<version>-selftest-win64.zip
# (Tovel-selftest.exe, the Win32 tests for users to run on their own Windows,
# and README-selftest.txt), dist/Tovel.debug (the exe's debug information)
# and dist/SHA256SUMS. Installs what is missing first. Builds in build/release
# (TOVEL_BUILD_DIR) with the mingw preset, without the test suites (the
# self-test is built all the same); writes to dist (TOVEL_DIST_DIR). The same
# commit gives the same bytes in any folder.
# With TOVEL_SIGN_PKCS12 naming a PKCS#12 file the packed Tovel.exe and
# Tovel-selftest.exe are signed (Authenticode, SHA-256; TOVEL_SIGN_PASSWORD,
# TOVEL_SIGN_TIMESTAMP_URL: see scripts/sign.sh).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Given on every run, so that a run without a certificate packs the exe unsigned.
pkcs12=${TOVEL_SIGN_PKCS12:+$(realpath "$TOVEL_SIGN_PKCS12")}
cd "$repo"

bash scripts/install-deps.sh

jobs=${TOVEL_JOBS:-2}
build_dir=${TOVEL_BUILD_DIR:-build/release}
dist=${TOVEL_DIST_DIR:-dist}
cmake --preset mingw -B "$build_dir" -DTOVEL_BUILD_TESTS=OFF -DTOVEL_SIGN_PKCS12="$pkcs12" >/dev/null
cmake --build "$build_dir" -j"$jobs" --target release_package

mkdir -p "$dist"
rm -f "$dist"/Tovel-*-win64.zip "$dist"/Tovel.debug "$dist"/SHA256SUMS
cp "$build_dir"/dist/Tovel-*-win64.zip "$build_dir"/dist/Tovel.debug "$build_dir"/dist/SHA256SUMS "$dist"/
(cd "$dist" && sha256sum -c --quiet SHA256SUMS)

echo "release.sh: Tovel.exe is $(stat -c %s "$build_dir/Tovel.exe") bytes," \
     "Tovel-selftest.exe $(stat -c %s "$build_dir/selftest/Tovel-selftest.exe") bytes"
ls -l "$dist"
