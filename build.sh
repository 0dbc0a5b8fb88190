#!/usr/bin/env bash
# One entry point for a newcomer: installs what is missing, builds, then runs the editor or the tests.
#   ./build.sh run      build the editor (and the demo ROM) and start it
#   ./build.sh test     build everything and pass the whole test suite
#   ./build.sh package  build the Debian package
#   ./build.sh windows  run the codec's check program built for Windows under Wine, beside the Linux one
#   ./build.sh flaky [N]  run both test suites built by the test command N times on busy cores (tests/flakiness.sh)
set -euo pipefail
cd "$(dirname "$0")"

# Every Debian package the project needs, in one place, in parts by the command that needs them.
# Building and starting the editor and the demo ROM: the compiler, CMake and Qt (Qt's CMake files look for
# pkg-config and OpenGL), and zlib, whose CRC-32 the patches for sharing edits carry.
PACKAGES_RUN=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    zlib1g-dev
)
# Making the Debian package: CPack takes its dependencies from dpkg-shlibdeps and finds what to strip with file.
PACKAGES_PACKAGE=(dpkg-dev file)
# The rest, for the whole test suite and the benchmarks: the benchmark library, clang for the sanitizers and
# fuzzing, the package checks, a virtual display, the Windows cross-build, gettext's tools, and Python for the
# independent patcher the patches are checked with.
PACKAGES_TEST=(
    libbenchmark-dev
    python3
    clang libclang-rt-14-dev clang-format
    llvm
    xvfb xauth
    lintian appstream desktop-file-utils xdotool x11-utils
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    # looking at the windows on a virtual display, as for the screenshots in docs/
    openbox imagemagick
    # a real translation tool, to look at an exported script as a translator does (docs/poedit-script.png)
    poedit
    # msgfmt and msgcat check the PO files the codec writes and read back what they rewrite
    gettext
)
PACKAGES=("${PACKAGES_RUN[@]}" "${PACKAGES_PACKAGE[@]}" "${PACKAGES_TEST[@]}")
# Only for ./build.sh windows: Wine is large, and the test command does not need it.
WINDOWS_PACKAGES=(wine wine64)

# install_missing [PACKAGE...]: installs those of the packages given (by default the whole list) that are missing.
install_missing() {
    local missing=()
    [ $# -eq 0 ] && set -- "${PACKAGES[@]}"
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local install=(apt-get install -y -qq --no-install-recommends "${missing[@]}")
    echo "Missing packages: ${missing[*]}"
    if [ "$(id -u)" -eq 0 ]; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${install[@]}"
    elif command -v sudo >/dev/null; then
        # sudo resets the environment, so the setting that keeps apt from asking goes through env.
        sudo apt-get update -qq
        sudo env DEBIAN_FRONTEND=noninteractive "${install[@]}"
    else
        echo "Without sudo this user cannot install them." >&2
        echo "Run this once as root (for example after su -), then run $0 again:" >&2
        echo "  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
}

# build DIR [TARGET...] [-- CMAKE OPTION...]: configures the build folder and builds the targets, or everything.
build() {
    local dir=$1 targets=() options=()
    shift
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        targets+=(--target "$1")
        shift
    done
    [ $# -gt 0 ] && shift && options=("$@")
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

# Any sanitizer report ends the test process with an error, so the test fails. (libFuzzer itself treats every
# report as a finding.) tests/flakiness.sh reads this list from here.
SANITIZER_ENV=(
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
)
FUZZ_TARGETS=(fuzz_reader fuzz_encoder fuzz_numbertext fuzz_typedtext fuzz_po fuzz_patch)
# The codec and its check program cross-compiled for Windows (no Qt there).
MINGW_OPTIONS=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DKYREL_BUILD_GUI=OFF -DKYREL_BUILD_TESTS=OFF
    -DKYREL_CODEC_CHECK=ON)
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
    # Only the packages that building and starting the editor need; the test command installs the rest.
    install_missing "${PACKAGES_RUN[@]}"
    # Only what the editor needs, so that it starts soon; the tests are built by the test command.
    build build kyrel-script-editor demo_rom
    echo "Starting the editor; a demo ROM to open is at $(pwd)/build/demo.smc"
    exec ./build/app/kyrel-script-editor
    ;;
test)
    install_missing
    build build
    run_tests "test suite" build

    # The same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
    build build-asan -- -DKYREL_SANITIZE=ON
    run_tests "test suite under AddressSanitizer and UndefinedBehaviorSanitizer" build-asan "${SANITIZER_ENV[@]}"

    # The codec's fuzz targets (libFuzzer needs clang), a bounded run each.
    if command -v clang++ >/dev/null; then
        build build-fuzz -- -DCMAKE_CXX_COMPILER=clang++ -DKYREL_FUZZ=ON -DKYREL_BUILD_GUI=OFF -DKYREL_BUILD_TESTS=OFF
        run_fuzz_targets
    else
        SUMMARY+=("skipped fuzz targets: no clang++")
    fi

    # The codec built for Windows, and its version resource compiled and read back.
    build build-mingw -- "${MINGW_OPTIONS[@]}"
    run_tests "Windows cross-build: codec, check program, version resource" build-mingw

    echo
    echo "Summary:"
    printf '  %s\n' "${SUMMARY[@]}"
    exit "$FAILED"
    ;;
package)
    install_missing "${PACKAGES_RUN[@]}" "${PACKAGES_PACKAGE[@]}"
    build build kyrel-script-editor
    if ! cpack_output=$(cd build && cpack -G DEB 2>&1); then
        echo "$cpack_output" >&2
        exit 1
    fi
    deb=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$cpack_output")
    echo "The Debian package is $deb"
    echo "Install it with: sudo apt install $deb"
    ;;
windows)
    install_missing
    install_missing "${WINDOWS_PACKAGES[@]}"
    build build kyrel_codec_check
    build build-mingw -- "${MINGW_OPTIONS[@]}"
    native=$(build/tests/support/kyrel_codec_check) || true
    # A prefix of its own, made afresh, without the offers to install Mono and Gecko that need a display.
    export WINEPREFIX="$(pwd)/build-mingw/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    rm -rf "$WINEPREFIX"
    windows=$(wine build-mingw/tests/support/kyrel_codec_check.exe | tr -d '\r') || true
    echo "Linux:           $native"
    echo "Windows (Wine):  $windows"
    if [ -n "$native" ] && [ "$native" = "$windows" ] && [[ "$native" == "codec check passed"* ]]; then
        echo "The codec check prints the same on both."
    else
        echo "The codec check FAILED or differs between Linux and Windows." >&2
        exit 1
    fi
    ;;
flaky)
    shift
    exec tests/flakiness.sh "$@"
    ;;
*)
    echo "usage: $0 run|test|package|windows|flaky [N]" >&2
    exit 2
    ;;
esac
