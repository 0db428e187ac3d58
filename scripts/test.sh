#!/usr/bin/env bash
# Runs every test: unit tests natively (plain and with ASan/UBSan), then the
# Windows build with its Win32 and end-to-end tests under Wine + Xvfb, the
# Windows build made with clang with its Win32 tests, and the fuzz targets.
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

# ctest runs this many tests at a time. Most of them wait for Wine (a window,
# a trace line, a program's end) far more than they compute, so twice the
# cores; the one test that compiles (release_reproducible) takes two slots.
test_jobs=${TOVEL_TEST_JOBS:-$((jobs * 2))}

# Configures and builds one preset; answers whether it worked.
build_preset() {
    local preset=$1 dir="${build_prefix}$1"
    echo "== $preset: configure and build ($dir)"
    if ! cmake --preset "$preset" -B "$dir" >/dev/null; then
        problems+=("$preset: configure failed")
        return 1
    fi
    if ! cmake --build "$dir" -j"$jobs"; then
        problems+=("$preset: build failed")
        return 1
    fi
}

# Runs ctest in a built preset's folder; adds its counts to the totals.
# Arguments after the preset go to ctest (e.g. a label to choose tests by).
test_preset() {
    local preset=$1 dir="${build_prefix}$1" log
    shift
    echo "== $preset: ctest"
    log=$(mktemp)
    ctest --test-dir "$dir" --output-on-failure -j"$test_jobs" "$@" 2>&1 | tee "$log"
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

run_preset() {
    build_preset "$1" && test_preset "$@"
}

run_preset native
run_preset native-asan

# The Windows build's tests leave the cores idle most of the time, so the
# clang build and the fuzz build are made meanwhile, at a lower priority
# than the tests. Their output is shown once the tests are done; a failure
# is reported through the file of problems.
later_log=$(mktemp)
later_problems=$(mktemp)
(
    renice -n 10 -p "$BASHPID" >/dev/null 2>&1 || true
    problems=()
    build_preset mingw-clang
    build_preset fuzz
    printf '%s\n' "${problems[@]}" >"$later_problems"
) >"$later_log" 2>&1 </dev/null &
later=$!

run_preset mingw

wait "$later"
cat "$later_log"
while IFS= read -r problem; do
    [[ -n "$problem" ]] && problems+=("$problem")
done <"$later_problems"
rm -f "$later_log" "$later_problems"

# The second compiler: the same program and Win32 tests; the end-to-end and
# release tests have run once already with the GCC build.
if [[ -f "${build_prefix}mingw-clang/build.ninja" ]] && ! printf '%s\n' "${problems[@]}" |
    grep -q '^mingw-clang:'; then
    test_preset mingw-clang -L '^win32$'
fi

# --- fuzz step -----------------------------------------------------------
# Every fuzz target runs for a fixed time from its seed corpus (copied, so the
# committed corpus stays as it is); a crash or sanitizer report fails it.
# libFuzzer keeps one core busy, so the targets run side by side, $jobs at a
# time: each still gets its whole time, and the step takes a fraction of it.
fuzz_seconds=${TOVEL_FUZZ_SECONDS:-60}
# How many of the given processes are still running.
running() {
    local pid count=0
    for pid in "$@"; do
        kill -0 "$pid" 2>/dev/null && count=$((count + 1))
    done
    echo "$count"
}
run_fuzz() {
    local dir="${build_prefix}fuzz"
    # Built above, beside the Windows build's tests.
    if printf '%s\n' "${problems[@]}" | grep -q '^fuzz:'; then
        return
    fi
    local target name corpus work i
    local -a names=() works=() pids=()
    for target in "$dir"/tests/fuzz/*_fuzz; do
        [[ -x "$target" ]] || continue
        name=$(basename "$target" _fuzz)
        corpus="tests/fuzz/corpus/$name"
        work=$(mktemp -d)
        [[ -d "$corpus" ]] && cp -r "$corpus"/. "$work"/
        while (($(running "${pids[@]}") >= jobs)); do
            wait -n
        done
        echo "== fuzz: $name for ${fuzz_seconds}s"
        # The exit status goes to a file: the run is waited for below, by
        # whichever wait happens to reap it.
        (
            "$target" -max_total_time="$fuzz_seconds" -max_len=4096 -print_final_stats=1 \
                -artifact_prefix="$work/" "$work" >"$work.log" 2>&1
            echo $? >"$work.status"
        ) &
        pids+=($!)
        names+=("$name")
        works+=("$work")
    done
    wait "${pids[@]}" 2>/dev/null
    ((${#names[@]})) || problems+=("fuzz: no fuzz targets were built")
    for i in "${!names[@]}"; do
        name=${names[$i]} work=${works[$i]}
        if [[ "$(cat "$work.status" 2>/dev/null)" == 0 ]]; then
            passed=$((passed + 1))
            echo "== fuzz: $name passed"
            grep -E '^stat::number_of_executed_units' "$work.log" || true
        else
            failed=$((failed + 1))
            echo "== fuzz: $name failed"
            tail -n 40 "$work.log"
            problems+=("fuzz: $name found a failure (artifacts in $work)")
        fi
        rm -f "$work.log" "$work.status"
    done
}
run_fuzz
# -------------------------------------------------------------------------

for p in "${problems[@]}"; do
    echo "test.sh: $p" >&2
done
echo "$passed passed, $failed failed"
if ((failed > 0 || ${#problems[@]} > 0)); then
    exit 1
fi
