#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package build/package/tavlo_*.deb,
# checked by lintian. Install it with: sudo apt install ./build/package/tavlo_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
rm -rf build/package
cpack -G DEB --config build/CPackConfig.cmake -B build/package
deb=$(ls build/package/tavlo_*.deb)
rm -rf build/package/_CPack_Packages
lintian --fail-on error "$deb"
echo "Pakken: $deb"
