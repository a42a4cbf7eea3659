#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Quilder, then starts it (run), runs every test (test) or
# makes the Debian package quilder_<version>_<arch>.deb in this folder (package).
#   ./build.sh run     ./build.sh test     ./build.sh package
# QUILDER_BUILD_DIR picks the build folder; QUILDER_SANITIZE=ON builds with ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-}
if [[ "$mode" != run && "$mode" != test && "$mode" != package ]]; then
    echo "usage: ./build.sh run|test|package" >&2
    exit 2
fi

packages=(build-essential cmake ninja-build qt6-base-dev libgtest-dev libgmock-dev libxxhash-dev liburing-dev)
# The tests have a file manager's own tools (gio, gvfs on a session bus) list and restore what
# the trash holds, and make ext4, btrfs and XFS images to mount.
[[ $mode == test ]] && packages+=(libglib2.0-bin gvfs dbus e2fsprogs btrfs-progs xfsprogs)
# dpkg-shlibdeps finds the package's Depends.
[[ $mode == package ]] && packages+=(dpkg-dev)
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
# ccache, where installed, makes rebuilds cheap; an empty launcher undoes an earlier one.
launcher=
if command -v ccache >/dev/null 2>&1; then launcher=ccache; fi
cmake -S . -B "$build_dir" -G Ninja -DQUILDER_SANITIZE="${QUILDER_SANITIZE:-OFF}" \
    -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"

if [[ $mode == package ]]; then
    # Only what the package holds; cpack itself builds nothing.
    cmake --build "$build_dir" --target quilder compressed_documents
    rm -f "$build_dir"/quilder_*.deb
    (cd "$build_dir" && cpack -G DEB)
    deb=$(cd "$build_dir" && echo quilder_*.deb)
    mv "$build_dir/$deb" .
    echo "build.sh: made ./$deb; install it with: sudo apt install ./$deb"
    exit 0
fi

cmake --build "$build_dir"

if [[ $mode == test ]]; then
    exec ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
fi

exec "$build_dir/shell/quilder"
