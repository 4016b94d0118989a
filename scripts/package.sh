#!/usr/bin/env bash
# Builds the Debian packages, veloris (the window) and veloris-cli (the command line),
# Release and without the tests, in build-package, and prints for each its path, its size
# and the dependencies dpkg-shlibdeps found for it.
# Extra arguments go to CMake, e.g. -DVELORIS_INSTALL_DEMO=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build_dir=build-package
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELORIS_BUILD_TESTS=OFF -DVELORIS_INSTALL_DEMO=OFF \
    "$@" >/dev/null
cmake --build "$build_dir" -j2
rm -f "$build_dir"/veloris_*.deb "$build_dir"/veloris-cli_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)

# Two packages: the window, and the command line that needs no desktop.
for name in veloris veloris-cli; do
    debs=("$build_dir"/"$name"_*.deb)
    if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        echo "package.sh: cpack made no single ${name}_*.deb in $build_dir" >&2
        exit 1
    fi
    deb="$(realpath "${debs[0]}")"
    echo "Package: $deb"
    echo "Size: $(stat -c %s "$deb") bytes ($(du -h "$deb" | cut -f1))"
    dpkg-deb -I "$deb" | grep -E '^ (Package|Version|Architecture|Installed-Size|Depends|Section):'
done
