#!/usr/bin/env bash
# Installs the Debian packages the simulator needs, and only those that are missing. With the
# argument "fuzz", also clang and its libFuzzer runtime for scripts/fuzz.sh.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-httpserver-dev qt6-websockets-dev libx11-dev libasound2-dev libmpv-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    fonts-liberation fonts-wqy-microhei
    libre2-dev qt6-httpserver-dev qt6-websockets-dev
    python3 python3-pytest chromium chromium-driver python3-selenium
)
if [ "${1:-}" = "fuzz" ]; then
    packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
