#!/usr/bin/env bash
# Builds the programs and makes the ship-ready folder build/package/usb-driver-launchers/ and
# build/package/usb-driver-launchers.zip: installer.exe, uninstaller.exe, INTEGRATORS.txt, SHA256SUMS.
#   package.sh                          unsigned, as built
#   package.sh --sign CERT KEY          signed with a PEM certificate (chain after it) and PEM key
#   package.sh --pkcs12 FILE            signed with a PKCS#12 file, password in LAUNCH_SIGN_PASSWORD
#   ... --timestamp URL                 with an RFC 3161 time stamp from URL
# A signing that fails in any way leaves no package (tools/package.py).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
python3 tools/package.py --build build/windows --out build/package "$@"
(cd build/package/usb-driver-launchers && sha256sum -c SHA256SUMS)
