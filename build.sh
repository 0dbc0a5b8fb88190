#!/usr/bin/env bash
# One entry point for a newcomer: installs what is missing, builds, then runs the editor or the tests.
#   ./build.sh run    build and start the editor
#   ./build.sh test   build and pass the whole test suite
set -euo pipefail
cd "$(dirname "$0")"

# Every Debian package the project needs, in one place.
PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    llvm
    xvfb xauth
    # looking at the windows on a virtual display, as for the screenshots in docs/
    openbox imagemagick xdotool x11-utils
)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

# Any sanitizer report ends the test process with an error, so the test fails. (libFuzzer itself treats every
# report as a finding.)
SANITIZER_ENV=(
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
)
FUZZ_TARGETS=(fuzz_reader fuzz_encoder fuzz_numbertext)
FUZZ_SECONDS=60
SUMMARY=()
FAILED=0

# run_tests NAME DIR [VARIABLE=VALUE...]: the whole CTest suite of a build folder, headless.
run_tests() {
    local name=$1 dir=$2
    shift 2
    if env QT_QPA_PLATFORM=offscreen "$@" ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"; then
        SUMMARY+=("passed  $name")
    else
        SUMMARY+=("FAILED  $name")
        FAILED=1
    fi
}

# Each target works on a copy of its seed corpus, so a run adds nothing to the repository. An input that crashes,
# breaks a property or takes longer than 25 seconds is kept in build-fuzz/findings/; replay it with
# build-fuzz/fuzz/<target> build-fuzz/findings/<file>.
run_fuzz_targets() {
    local work
    work=$(mktemp -d)
    trap "rm -rf '$work'" EXIT
    mkdir -p build-fuzz/findings
    for target in "${FUZZ_TARGETS[@]}"; do
        cp -r "fuzz/corpus/$target" "$work/$target"
        local dict=()
        [ -f "fuzz/$target.dict" ] && dict=("-dict=fuzz/$target.dict")
        local log="build-fuzz/$target.log"
        echo "Fuzzing $target for ${FUZZ_SECONDS} seconds"
        if env UBSAN_OPTIONS=print_stacktrace=1 "build-fuzz/fuzz/$target" "${dict[@]}" -max_total_time="$FUZZ_SECONDS" \
            -timeout=25 -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$target-" "$work/$target" >"$log" 2>&1; then
            local runs
            runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
            SUMMARY+=("passed  $target: ${runs:-?} inputs in ${FUZZ_SECONDS} s, no finding")
        else
            tail -n 40 "$log"
            SUMMARY+=("FAILED  $target: finding in build-fuzz/findings/, log in $log")
            FAILED=1
        fi
    done
    rm -rf "$work"
}

case "${1:-}" in
run)
    install_missing
    build build
    echo "Starting the editor; a demo ROM to open is at $(pwd)/build/demo.smc"
    exec ./build/app/kyrel-script-editor
    ;;
test)
    install_missing
    build build
    run_tests "test suite" build

    # The same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
    build build-asan -DKYREL_SANITIZE=ON
    run_tests "test suite under AddressSanitizer and UndefinedBehaviorSanitizer" build-asan "${SANITIZER_ENV[@]}"

    # The codec's fuzz targets (libFuzzer needs clang), a bounded run each.
    if command -v clang++ >/dev/null; then
        build build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DKYREL_FUZZ=ON -DKYREL_BUILD_GUI=OFF -DKYREL_BUILD_TESTS=OFF
        run_fuzz_targets
    else
        SUMMARY+=("skipped fuzz targets: no clang++")
    fi

    echo
    echo "Summary:"
    printf '  %s\n' "${SUMMARY[@]}"
    exit "$FAILED"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
