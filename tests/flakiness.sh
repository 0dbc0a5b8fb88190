#!/usr/bin/env bash
# Runs the whole test suite of the normal build and of the sanitizer build N times each (default 10) while two
# busy loops keep both cores loaded, and counts the runs that failed: a test whose outcome depends on timing or
# load shows up here. Needs build/ and build-asan/ as ./build.sh test leaves them. Options after N go to ctest.
#   tests/flakiness.sh [N] [CTEST OPTION...]      for example: tests/flakiness.sh 20 -R tst_romfile
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
[ $# -gt 0 ] && shift
ctest_options=("$@")
if ! [[ "$runs" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [N] [CTEST OPTION...]   (N: runs of each suite, default 10)" >&2
    exit 2
fi
for dir in build build-asan; do
    if [ ! -f "$dir/CTestTestfile.cmake" ]; then
        echo "There is no test suite in $dir/: build both suites first with ./build.sh test" >&2
        exit 1
    fi
done
# The sanitizer options of the test step, read from build.sh so that they are kept in one place.
eval "$(sed -n '/^SANITIZER_ENV=(/,/^)/p' build.sh)"
if [ -z "${SANITIZER_ENV+set}" ]; then
    echo "build.sh no longer holds SANITIZER_ENV=( ... ) for this script to read." >&2
    exit 1
fi

busy=()
work=$(mktemp -d)
trap 'kill "${busy[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
for _ in 1 2; do
    while :; do :; done &
    busy+=($!)
done

# suite NAME DIR [VARIABLE=VALUE...]: runs the suite of DIR N times and reports the failed runs and tests.
any_failed=0
suite() {
    local name=$1 dir=$2 failed=0
    shift 2
    : >"$work/tests"
    for ((run = 1; run <= runs; run++)); do
        if ! env QT_QPA_PLATFORM=offscreen "$@" ctest --test-dir "$dir" -j "$(nproc)" "${ctest_options[@]}" \
            >"$work/log" 2>&1; then
            failed=$((failed + 1))
            any_failed=1
            # The lines under "The following tests FAILED:", such as "  5 - tst_romfile (Failed)".
            sed -n 's/^[[:space:]]*[0-9]\+ - \(.*\)$/\1/p' "$work/log" >>"$work/tests"
        fi
    done
    echo "$name: $failed of $runs runs failed"
    sort "$work/tests" | uniq -c | sed 's/^ *\([0-9]*\) \(.*\)/    \2 in \1 of them/'
}

suite "build/" build
suite "build-asan/ (AddressSanitizer and UndefinedBehaviorSanitizer)" build-asan "${SANITIZER_ENV[@]}"
exit "$any_failed"
