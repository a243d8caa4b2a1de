#!/bin/sh
# Draws the pictures of the README (docs/screenshots/*.png) offscreen: the main window with a
# few rows, the LAME options window and the console window during a real run, in English.
# Uses the Release build in build/ (as run.sh makes it).
set -eu
cd "$(dirname "$0")/.."
. ./scripts/deps.sh
quenzal_install_deps $QUENZAL_RUNTIME_DEPS
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2 --target quenzal_screenshots
QT_QPA_PLATFORM=offscreen ./build/cmake/tools/quenzal_screenshots build docs/screenshots
