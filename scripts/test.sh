#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test headless: once in a plain build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer. The benchmarks are built (not timed) to keep them compiling, and
# the fuzzers are built with clang.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
jobs=$(nproc)

run_suite() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DILVANE_WERROR=ON "$@"
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600
}

run_suite build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DILVANE_BENCH=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DILVANE_SANITIZE=ON
# The fuzzers build with clang, whose warnings differ from g++'s; -Werror holds for both compilers.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DILVANE_WERROR=ON -DILVANE_FUZZ=ON -DILVANE_SANITIZE=ON \
    -DILVANE_TESTS=OFF
cmake --build build-fuzz -j "$jobs"
