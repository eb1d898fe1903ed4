#!/usr/bin/env bash
# Installs what is missing, builds quolmar in build/ and starts the game.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOLMAR_TESTS=OFF >/dev/null
cmake --build build --parallel "$(nproc)" --target quolmar
exec build/quolmar "$@"
