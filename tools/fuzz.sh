#!/usr/bin/env bash
# Builds the fuzz targets of the readers (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz/, seeds them from the project's own generators (the normal build in build/) and runs each one for
# the given seconds, one after the other. Prints executions, time and findings per target; exits non-zero when
# any target found something. Crashing inputs land in build-fuzz/findings/<target>/.
#   tools/fuzz.sh [seconds per target, default 60] [target ...]
# With VELKORN_FUZZ_KEEP_GOING=1 a target goes on after a finding (libFuzzer's fork mode), for long runs that
# should collect every crash rather than stop at the first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(feed rtf picture ini control szdd cab lookup csv)
jobs=$(nproc)

bash tools/setup.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# The seeds come from the normal build's generators.
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build --target velkorn-fuzz-seeds velkorn_language_files -j"$jobs" >/dev/null

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DVELKORN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "${launcher[@]}" >/dev/null
cmake --build build-fuzz --target velkorn_fuzz -j"$jobs" >/dev/null

rm -rf build-fuzz/seeds
QT_QPA_PLATFORM=offscreen build/bin/velkorn-fuzz-seeds build-fuzz/seeds build/dist

mode=()
[ "${VELKORN_FUZZ_KEEP_GOING:-0}" = 1 ] && mode=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)

passed=0
failed=0
for t in "${targets[@]}"; do
    corpus=$PWD/build-fuzz/corpus/$t
    findings=$PWD/build-fuzz/findings/$t
    log=build-fuzz/logs/$t.log
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    start=$(date +%s)
    rc=0
    # Absolute paths: a target may change its directory. The corpus grows across runs; the seeds are read each
    # time. A hang of 25 s or more counts as a finding.
    # Fontconfig's caches (reached through the text layout) are kept until exit by design: not our leaks.
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/tests/fuzz/lsan.supp \
        "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" "${mode[@]}" \
        -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" "$PWD/build-fuzz/seeds/$t" >"$log" 2>&1 || rc=$?
    elapsed=$(($(date +%s) - start))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    # Fork mode prints no final statistics; its status lines start with the total count ("#12345: cov: ...").
    [ -n "$runs" ] || runs=$(sed -n 's/^#\([0-9]*\): cov.*/\1/p' "$log" | tail -1)
    found=$(find "$findings" -type f -newermt "@$start" | wc -l)
    [ "$rc" -ne 0 ] && [ "$found" -eq 0 ] && found=1
    printf 'fuzz_%-8s %10s executions in %4d s, %d findings\n' "$t" "${runs:-?}" "$elapsed" "$found"
    if [ "$found" -gt 0 ]; then
        failed=$((failed + 1))
        grep -m1 -A12 -E '^==[0-9]+==ERROR|runtime error|deadly signal|ALARM|out-of-memory' "$log" || tail -20 "$log"
        find "$findings" -type f -newermt "@$start" -printf '  input: %p\n'
    else
        passed=$((passed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
