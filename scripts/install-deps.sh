#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks, the fuzzer and the package
# need, when any is missing. Runs apt-get directly as root and through sudo otherwise.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev libgl-dev fonts-dejavu-core
    libgtest-dev libgmock-dev libbenchmark-dev
    libcli11-dev nlohmann-json3-dev
    clang libclang-rt-14-dev clang-format clang-tidy
    git
    # the manual pages, the Debian package and the checks of the desktop files
    help2man dpkg-dev lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    run=()
elif command -v sudo >/dev/null 2>&1; then
    run=(sudo)
else
    echo "error: these packages are missing and neither root nor sudo is available to install them:" >&2
    echo "  ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${run[@]}" apt-get update -q || echo "warning: apt-get update failed; trying the install anyway" >&2
"${run[@]}" apt-get install -y -q "${missing[@]}"
