#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer), runs every test of both builds, fuzzes the
# registry parser for a minute and checks that the sources keep the
# repository's clang-format style.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
source "$top/scripts/deps.sh"
velnet_install_missing

# This only checks the style; `clang-format -i <file>` puts a file right.
format_ok=1
if ! (cd "$top" && git ls-files -z '*.h' '*.cpp' | xargs -0 clang-format --dry-run --Werror); then
  format_ok=0
fi

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
if [ "$format_ok" = 0 ]; then
  echo "Some sources differ from the clang-format style (listed above)." >&2
  exit 1
fi
echo "Every source file keeps the clang-format style."
