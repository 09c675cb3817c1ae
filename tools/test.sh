#!/usr/bin/env bash
# Every test: installs what is missing, builds the host tests and the Windows programs, then runs
# the host tests, the Wine tests and the audit with CTest. Extra arguments go to ctest (for example
# -R host).
#
# Where the kernel runs no 32-bit x86 program, Wine cannot run the programs: the Wine tests are then
# reported as skipped, with the reason, and everything else still gates. LAUNCH_REQUIRE_WINE=1
# makes that a failure instead; LAUNCH_ASSUME_NO_32BIT=1 acts as on such a machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

# Decided once, after the packages are in, and handed to every Wine test.
LAUNCH_WINE_UNAVAILABLE=$(python3 tests/wine/run.py --why-not)
export LAUNCH_WINE_UNAVAILABLE
say_why() {
  if [ -z "$LAUNCH_WINE_UNAVAILABLE" ]; then return; fi
  if [ "${LAUNCH_REQUIRE_WINE:-}" = 1 ]; then
    echo "test: Wine tests FAIL (LAUNCH_REQUIRE_WINE=1): $LAUNCH_WINE_UNAVAILABLE"
  else
    echo "test: Wine tests SKIPPED: $LAUNCH_WINE_UNAVAILABLE"
  fi
}
say_why

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
status=0
ctest --test-dir build -j2 --output-on-failure "$@" || status=$?
say_why
exit $status
