#!/usr/bin/env bash
# Builds the programs and makes the ship-ready folder build/package/usb-driver-launchers/ and
# build/package/usb-driver-launchers.zip: installer.exe, uninstaller.exe, INTEGRATORS.txt, SHA256SUMS.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
rm -rf build/package
cmake --install build/windows --prefix build/package/usb-driver-launchers >/dev/null
(cd build/windows && cpack -B "$PWD/../package" >/dev/null)
rm -rf build/package/_CPack_Packages
ls -l build/package build/package/usb-driver-launchers
(cd build/package/usb-driver-launchers && sha256sum -c SHA256SUMS)
