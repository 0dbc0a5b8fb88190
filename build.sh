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
    xvfb xauth
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
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
