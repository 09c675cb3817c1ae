#!/usr/bin/env bash
# The main job: installs what is missing, builds the programs, lays out a driver package with the
# stand-in tool and runs the installer and the uninstaller in it under Wine, saying what happened.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
LAUNCH_WINDOWS_BIN=build/windows LAUNCH_WINE_WORK=build/wine python3 tools/demo.py
