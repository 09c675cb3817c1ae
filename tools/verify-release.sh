#!/usr/bin/env bash
# Tells whether signed (or unsigned) installer.exe and uninstaller.exe files, for example unpacked
# from a vendor's driver package, were built from this checkout: names the signer, checks the
# signature (its chain against CAFILE when given), and compares each file without its signature
# with this checkout's own reproducible build.
#   verify-release.sh [--ca CAFILE] FILE...
# One line per file; exit code 0 only when every file is validly signed and built from this source.
# Builds first (build/windows); with LAUNCH_WINDOWS_BIN set, compares with that build instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${LAUNCH_WINDOWS_BIN:-}" ]; then
  bash "$root/tools/setup.sh" >/dev/null
  cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build" -j"$(nproc)" >/dev/null
  LAUNCH_WINDOWS_BIN=$root/build/windows
fi
exec python3 "$root/tools/verify_release.py" --build "$LAUNCH_WINDOWS_BIN" "$@"
