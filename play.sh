#!/usr/bin/env bash
# Installs what is missing, builds the optimised program and its data and
# starts the game. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
tools/install-packages.sh
cmake -S . -B build/play -DCMAKE_BUILD_TYPE=Release
# Only what playing needs: the tests and benchmarks have their own commands.
cmake --build build/play -j "$(nproc)" --target Wopple2 game_data
exec build/play/Wopple2 "$@"
