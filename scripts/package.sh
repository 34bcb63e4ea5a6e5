#!/usr/bin/env bash
# Builds the Debian package build-package/qx44sim_<version>_<arch>.deb with CPack, from a release
# build with Debian's hardening flags, and checks it with lintian. Installs what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# Packaging tools only: dpkg-shlibdeps computes the dependencies, lintian checks the result.
tools=()
for p in dpkg-dev lintian file; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || tools+=("$p")
done
if [ ${#tools[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${tools[*]}"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${tools[@]}"
fi

dir=build-package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQX44_BUILD_TESTS=OFF \
    -DQX44_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >&2
cmake --build "$dir" --parallel "$(nproc)" >&2
(cd "$dir" && cpack -G DEB >&2)

deb=$(ls -t "$dir"/qx44sim_*.deb | head -n 1)
echo "lintian $deb:" >&2
lintian --info --fail-on error "$deb" >&2
echo "$deb"
