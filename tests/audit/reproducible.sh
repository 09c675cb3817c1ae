#!/usr/bin/env bash
# Builds the programs twice from copies of the source tree at two different paths, into two
# different build folders, and checks that both builds and the main build give byte-identical
# installer.exe and uninstaller.exe.
#   reproducible.sh <source dir> <main windows build dir> <scratch dir>
set -euo pipefail
src=$1 main=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
for copy in a "second copy at a longer path"; do
  tree="$scratch/$copy/src"
  mkdir -p "$tree"
  (cd "$src" && tar --exclude=./build --exclude=./.git -cf - .) | tar -xf - -C "$tree"
  cmake -S "$tree" -B "$scratch/$copy/out-$RANDOM" -DCMAKE_TOOLCHAIN_FILE="$tree/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
  cmake --build "$scratch/$copy"/out-* --target installer uninstaller -j2 >/dev/null
done
status=0
for program in installer/installer.exe uninstaller/uninstaller.exe; do
  sums=$(sha256sum "$main/$program" "$scratch"/*/out-*/"$program" | awk '{print $1}' | sort -u)
  if [ "$(echo "$sums" | wc -l)" -ne 1 ]; then
    echo "NOT reproducible: $program"
    sha256sum "$main/$program" "$scratch"/*/out-*/"$program"
    status=1
  else
    echo "reproducible: $program $sums"
  fi
done
rm -rf "$scratch"
exit $status
