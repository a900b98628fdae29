#!/usr/bin/env bash
# Builds everything twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test of both builds, then fuzzes
# the registry parser for a minute.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
source "$top/scripts/deps.sh"
velnet_install_missing

jobs="$(nproc)"
# Builds of other clones of this tree on the machine share the compiler cache.
export CCACHE_BASEDIR="$top"
for variant in normal sanitize; do
  dir="$top/build/$variant"
  sanitize=OFF
  [ "$variant" = sanitize ] && sanitize=ON
  cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELNET_SANITIZE=$sanitize
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 300)
done
# The registry parser's fuzzer, built with clang, over its seed corpus.
"$top/scripts/fuzz.sh" 60
echo "All tests passed in both builds."
