#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test headless: once as a normal
# build with warnings as errors, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh --test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks inside the system's sound libraries are theirs, not ours.
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOLMAR_WERROR=ON -DQUOLMAR_TESTS=ON >/dev/null
cmake --build build --parallel "$jobs"
ctest --test-dir build --output-on-failure --parallel "$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQUOLMAR_WERROR=ON -DQUOLMAR_SANITIZE=ON -DQUOLMAR_TESTS=ON >/dev/null
cmake --build build-sanitize --parallel "$jobs"
ctest --test-dir build-sanitize --output-on-failure --parallel "$jobs"
