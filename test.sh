#!/bin/sh
# Installs what is missing, builds the test build (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-test/ and runs the whole suite headless.
set -eu
cd "$(dirname "$0")"
. ./scripts/deps.sh
quenzal_install_deps $QUENZAL_TEST_DEPS
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENZAL_SANITIZE=ON
cmake --build build-test -j2
cd build-test
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export LSAN_OPTIONS="suppressions=$(pwd)/../tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
dbus-run-session -- ctest --output-on-failure --no-tests=error -j2 "$@"
