#!/usr/bin/env bash
# Installs the ship-ready folder from the Windows build into a scratch folder and checks that it
# holds exactly the programs, the integrators' notes and checksums that match them.
#   package.sh <windows build dir> <scratch dir>
set -euo pipefail
build=$1 scratch=$2
rm -rf "$scratch"
cmake --install "$build" --prefix "$scratch" >/dev/null
listing=$(cd "$scratch" && find . -type f | sort | tr '\n' ' ')
expected="./INTEGRATORS.txt ./SHA256SUMS ./installer.exe ./uninstaller.exe "
if [ "$listing" != "$expected" ]; then
  echo "package holds: $listing"
  echo "expected:      $expected"
  exit 1
fi
(cd "$scratch" && sha256sum -c SHA256SUMS)
cmp "$build/installer/installer.exe" "$scratch/installer.exe"
cmp "$build/uninstaller/uninstaller.exe" "$scratch/uninstaller.exe"
rm -rf "$scratch"
