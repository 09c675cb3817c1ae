#!/usr/bin/env bash
# Benchmark: sizes, start-and-wait overhead and probe rate of the programs under Wine. Prints a
# Markdown table (the one in the README came from here). Optional argument: rounds (default 15).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
LAUNCH_WINDOWS_BIN=build/windows LAUNCH_WINE_WORK=build/wine python3 tools/bench.py "$@"
