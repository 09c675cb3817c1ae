#!/usr/bin/env bash
# Every test: installs what is missing, builds the host tests and the Windows programs, then runs
# the host tests and the Wine tests with CTest. Extra arguments go to ctest (for example -R host).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build -j2 --output-on-failure "$@"
