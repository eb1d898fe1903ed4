#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test headless: once as a normal
# build with warnings as errors, once under AddressSanitizer and UndefinedBehaviorSanitizer;
# then what runs threads, the sound tests and one whole game, under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh --test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks inside the system's sound libraries are theirs, not ours.
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
# Set before building too: the build runs its own tools, which are built with it as well.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOLMAR_WERROR=ON -DQUOLMAR_TESTS=ON >/dev/null
cmake --build build --parallel "$jobs"
ctest --test-dir build --output-on-failure --parallel "$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQUOLMAR_WERROR=ON -DQUOLMAR_SANITIZE=ON -DQUOLMAR_TESTS=ON >/dev/null
cmake --build build-sanitize --parallel "$jobs"
ctest --test-dir build-sanitize --output-on-failure --parallel "$jobs"

# -O1 keeps the game quick enough for its windows' timeouts; stacks stay readable.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DQUOLMAR_WERROR=ON -DQUOLMAR_TSAN=ON -DQUOLMAR_TESTS=ON >/dev/null
cmake --build build-tsan --parallel "$jobs" --target tst_sound quolmar
# The game plays its clips on SDL's dummy driver, so that SDL's audio thread runs; it has no
# device for the music. A failure shows the whole race report the program wrote.
SDL_AUDIODRIVER=dummy NOWRITE_LOG_LINES=+1 \
    ctest --test-dir build-tsan --output-on-failure --no-tests=error -R '^(tst_sound|nowrite)$'

# The question file's reader fuzzed for half a minute, from a copy of the seeds so that what the
# fuzzer adds stays out of the tree; a crash or a sanitizer's report fails, and leaves its input
# in build-fuzz.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOLMAR_WERROR=ON \
    -DQUOLMAR_SANITIZE=ON -DQUOLMAR_FUZZ=ON >/dev/null
cmake --build build-fuzz --parallel "$jobs" --target fuzz_questions
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp tests/fuzz/seeds/* "$corpus"
build-fuzz/fuzz_questions -max_total_time=30 -artifact_prefix=build-fuzz/ "$corpus" 2>build-fuzz/fuzz.log ||
    { tail -n 60 build-fuzz/fuzz.log; exit 1; }
