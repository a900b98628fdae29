#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything twice (optimised with warnings as errors, and with
# AddressSanitizer and UndefinedBehaviorSanitizer), runs every test of both
# builds, fuzzes the
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
  # The plain build is optimised as the package is (-O2), with assertions
  # kept and warnings as errors: the optimiser's warnings (-Wrestrict,
  # -Wmaybe-uninitialized, ...) show only there. The sanitizer build stays a
  # debug build, so that its reports point at the line.
  if [ "$variant" = normal ]; then
    CI=1 cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_C_FLAGS_RELEASE=-O2 -DCMAKE_CXX_FLAGS_RELEASE=-O2 -DVELNET_SANITIZE=OFF
  else
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELNET_SANITIZE=ON
  fi
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
