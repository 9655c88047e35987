#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test through CTest.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
tools/install-packages.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DVELK_SANITIZE=ON
cmake --build build/test -j "$(nproc)"
cd build/test
ctest --output-on-failure -j "$(nproc)" "$@"
