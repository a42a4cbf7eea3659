#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Quilder, then starts it (run) or runs every test (test).
#   ./build.sh run     ./build.sh test
# QUILDER_BUILD_DIR picks the build folder; QUILDER_SANITIZE=ON builds with ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-}
if [[ "$mode" != run && "$mode" != test ]]; then
    echo "usage: ./build.sh run|test" >&2
    exit 2
fi

packages=(build-essential cmake ninja-build qt6-base-dev libgtest-dev libgmock-dev)
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if ((${#missing[@]})); then
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "build.sh: these Debian packages are missing: ${missing[*]}" >&2
            echo "You are not root and sudo is not installed. Ask an administrator to run, as root:" >&2
            echo "    apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
            echo "then run ./build.sh $mode again." >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${missing[@]}"
fi

build_dir=${QUILDER_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DQUILDER_SANITIZE="${QUILDER_SANITIZE:-OFF}"
cmake --build "$build_dir"

if [[ $mode == test ]]; then
    exec ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
fi

exec "$build_dir/shell/quilder"
