#!/usr/bin/env bash
# Makes the unsigned ship-ready folder and ZIP from the Windows build twice, into a scratch folder,
# and checks that they hold exactly the programs as built, the integrators' notes and checksums
# that match them, and that the ZIP comes out byte for byte the same each time.
#   package.sh <source dir> <windows build dir> <scratch dir>
set -euo pipefail
src=$1 build=$2 scratch=$3
rm -rf "$scratch"
python3 "$src/tools/package.py" --build "$build" --out "$scratch/first" >/dev/null
python3 "$src/tools/package.py" --build "$build" --out "$scratch/second" >/dev/null
folder=$scratch/first/usb-driver-launchers
listing=$(cd "$folder" && find . -type f | sort | tr '\n' ' ')
expected="./INTEGRATORS.txt ./SHA256SUMS ./installer.exe ./uninstaller.exe "
if [ "$listing" != "$expected" ]; then
  echo "package holds: $listing"
  echo "expected:      $expected"
  exit 1
fi
(cd "$folder" && sha256sum -c SHA256SUMS)
cmp "$build/installer/installer.exe" "$folder/installer.exe"
cmp "$build/uninstaller/uninstaller.exe" "$folder/uninstaller.exe"
zipped=$(python3 -m zipfile -l "$scratch/first/usb-driver-launchers.zip" | awk 'NR > 1 {print $1}' | sort | tr '\n' ' ')
expected_zip="usb-driver-launchers/INTEGRATORS.txt usb-driver-launchers/SHA256SUMS usb-driver-launchers/installer.exe usb-driver-launchers/uninstaller.exe "
if [ "$zipped" != "$expected_zip" ]; then
  echo "ZIP holds: $zipped"
  exit 1
fi
cmp "$scratch/first/usb-driver-launchers.zip" "$scratch/second/usb-driver-launchers.zip"
rm -rf "$scratch"
