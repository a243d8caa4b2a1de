#!/bin/sh
# Installs what is missing, builds the test build (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-test/, runs the whole suite headless, installs it into a
# temporary prefix and runs the installed program as an ordinary user, then fuzzes everything
# that reads outside input. Arguments are passed to ctest (for example -R tst_mainwindow).
set -eu
cd "$(dirname "$0")"
. ./scripts/deps.sh
quenzal_install_deps $QUENZAL_TEST_DEPS
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENZAL_SANITIZE=ON
cmake --build build-test -j2

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-test && dbus-run-session -- ctest --output-on-failure --no-tests=error -j2 "$@")

# ---- Install smoke test: the installed program, run by an ordinary user -------------------------
./tests/smoke_install.sh build-test

# ---- Fuzz step: everything that reads outside input ----------------------------------------
# The MP3 header and ID3v1 tag readers, the profile-file reader and writer, the number readers
# and the script builder (its lines run by /bin/sh against a stand-in lame) each get 30 seconds
# of libFuzzer from a generated seed corpus; a crash, a sanitizer report or a broken invariant
# fails the script and leaves the input in build-fuzz/crashes/.
if command -v clang++ >/dev/null 2>&1; then
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZAL_FUZZ=ON
    cmake --build build-fuzz -j2
    rm -rf build-fuzz/corpus
    ./build-fuzz/mp3_fuzz_corpus build-fuzz/corpus
    mkdir -p build-fuzz/crashes
    for target in mp3_header:header mp3_tag:tag profile:profile numbers:numbers script:script; do
        fuzzer=${target%%:*}
        corpus=${target##*:}
        echo "Fuzzing $fuzzer for 30 seconds"
        if ! ./build-fuzz/fuzz_$fuzzer -max_total_time=30 -max_len=8192 \
            -artifact_prefix=build-fuzz/crashes/ build-fuzz/corpus/$corpus \
            >build-fuzz/fuzz_$fuzzer.log 2>&1; then
            tail -n 60 build-fuzz/fuzz_$fuzzer.log
            echo "The $fuzzer fuzzer found a fault (input in build-fuzz/crashes/)."
            exit 1
        fi
        grep '^Done' build-fuzz/fuzz_$fuzzer.log || true
    done
else
    echo "Note: clang++ is not installed; the fuzz step is skipped."
fi
echo "All tests passed."
