#!/usr/bin/env bash
# Runs every test: unit tests natively (plain and with ASan/UBSan), then the
# Windows build with its Win32 and end-to-end tests under Wine + Xvfb.
# Ends with "N passed, N failed" over all ctest runs; exits non-zero on any failure.
set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

jobs=${TOVEL_JOBS:-2}
# Build folders are <prefix><preset>; the presets' own folders by default.
build_prefix=${TOVEL_BUILD_PREFIX:-build/}
passed=0
failed=0
problems=()

bash scripts/install-deps.sh || { echo "test.sh: installing dependencies failed" >&2; exit 1; }

# Configures, builds and tests one preset; adds its ctest counts to the totals.
run_preset() {
    local preset=$1 dir="${build_prefix}$1" log
    echo "== $preset: configure and build ($dir)"
    if ! cmake --preset "$preset" -B "$dir" >/dev/null; then
        problems+=("$preset: configure failed")
        return
    fi
    if ! cmake --build "$dir" -j"$jobs"; then
        problems+=("$preset: build failed")
        return
    fi
    echo "== $preset: ctest"
    log=$(mktemp)
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    # "100% tests passed, 0 tests failed out of 12"
    local summary
    summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [[ "$summary" =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
        local f=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
        passed=$((passed + total - f))
        failed=$((failed + f))
        if ((status != 0 && f == 0)); then
            problems+=("$preset: ctest failed (status $status)")
        fi
    elif grep -q 'No tests were found' "$log"; then
        problems+=("$preset: no tests found")
    else
        problems+=("$preset: ctest failed (status $status)")
    fi
    rm -f "$log"
}

run_preset native
run_preset native-asan
run_preset mingw

# --- fuzz step -----------------------------------------------------------
# (to be added: build the fuzz targets with clang and run each for a fixed time)
# -------------------------------------------------------------------------

for p in "${problems[@]}"; do
    echo "test.sh: $p" >&2
done
echo "$passed passed, $failed failed"
if ((failed > 0 || ${#problems[@]} > 0)); then
    exit 1
fi
