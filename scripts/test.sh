#!/usr/bin/env bash
# Installs what is missing, checks the formatting, then builds and runs every test headless: once in a plain build,
# once under AddressSanitizer and UndefinedBehaviorSanitizer, and the tests that run threads once more under
# ThreadSanitizer. The benchmarks are built (not timed) to keep them compiling, and the fuzzers are built with clang.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# The tracked sources are kept as Debian's clang-format leaves them (the .clang-format at the root).
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
else
    find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0 |
        xargs -0 clang-format --dry-run -Werror
fi

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

# ThreadSanitizer needs a build of its own. Only the suites whose tests run threads are built and run: the loading
# and cursor threads, the mixer and the audio device, the image pool, the message-box hand-off, the window
# system's queue, the resource manager's loading group, the tree changes, the HTTP transfer and the board's level
# loading.
tsan_suites='AudioMixer|AudioOutput|DirectSoundTest|Clipboard|MessageBox|WindowSystemTest'
tsan_suites+='|PooledImages|ImagePoolTest|ImagePoolRef|AppLoop|AppServices|AppCursors|ResourceManagerTest'
tsan_suites+='|WidgetContainer|CritSect|DSoundManagerTest|HTTPTransfer|TMEngineTest|TMEngine3Test'
tsan_suites+='|TMBoardGameTest|SurvivalStagesTest|LevelLoadingTest'
tsan_suites+='|GameLevelRunTest'
tsan_suites+='|TMBoard_CareerTest'
cmake -S . -B build-tsan -G Ninja -DILVANE_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DILVANE_TSAN=ON
cmake --build build-tsan -j "$jobs" --target platform_tests pyxo_tests engine_tests game_tests
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp" \
    ctest --test-dir build-tsan -j "$jobs" --output-on-failure --timeout 600 -R "^($tsan_suites)\."

# The fuzzers build with clang, whose warnings differ from g++'s; -Werror holds for both compilers.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DILVANE_WERROR=ON -DILVANE_FUZZ=ON -DILVANE_SANITIZE=ON \
    -DILVANE_TESTS=OFF
cmake --build build-fuzz -j "$jobs"
