#!/usr/bin/env bash
# Installs what is missing, builds the optimised play configuration and starts
# the game. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
tools/install-packages.sh
cmake -S . -B build/play -DCMAKE_BUILD_TYPE=Release
cmake --build build/play -j "$(nproc)"
if [ -x build/play/Wopple2 ]; then
  exec build/play/Wopple2 "$@"
fi
echo "The play build holds the engine libraries only: the Wopple2 program is not part of this version yet."
