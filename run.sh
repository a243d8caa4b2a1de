#!/bin/sh
# Installs what is missing, builds Quenzal in build/ and starts it.
set -eu
cd "$(dirname "$0")"
. ./scripts/deps.sh
quenzal_install_deps $QUENZAL_RUNTIME_DEPS
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2 --target quenzal
exec ./build/quenzal "$@"
