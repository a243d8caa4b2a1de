#!/bin/sh
# Builds the Debian package quenzal_<version>_<arch>.deb in build-pkg/: a Release build of the
# program alone (no tests), installed under /usr by CPack. Install it with
#   sudo apt-get install ./build-pkg/quenzal_*.deb
set -eu
cd "$(dirname "$0")/.."
. ./scripts/deps.sh
quenzal_install_deps $QUENZAL_PACKAGE_DEPS
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENZAL_TESTS=OFF
cmake --build build-pkg -j2
(cd build-pkg && cpack -G DEB)
ls -l build-pkg/quenzal_*.deb
