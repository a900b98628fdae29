#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package as Debian builds its own: optimised as
# dpkg-buildflags says (-O2), hardened (fortified functions, stack
# protector, read-only relocations bound at start), assertions off.
#   scripts/package.sh [build folder]      (default build/package)
# VELNET_CONFIGURE_ONLY=1 stops after configuring (the tests read the flags).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$top/build/package}"

export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
# Given to CMake outright (it reads the variables only into a new cache, and
# never CPPFLAGS, which carries _FORTIFY_SOURCE).
CPPFLAGS="$(dpkg-buildflags --get CPPFLAGS)"
CFLAGS="$CPPFLAGS $(dpkg-buildflags --get CFLAGS)"
CXXFLAGS="$CPPFLAGS $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
# Release without CMake's own -O3: the optimisation is dpkg-buildflags'.
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELNET_BENCHMARKS=OFF \
  -DCMAKE_C_FLAGS="$CFLAGS" -DCMAKE_CXX_FLAGS="$CXXFLAGS" \
  -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" \
  -DCMAKE_MODULE_LINKER_FLAGS="$LDFLAGS" \
  -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG
[ "${VELNET_CONFIGURE_ONLY:-}" = 1 ] && exit 0
cmake --build "$dir" -j "$(nproc)"
(cd "$dir" && cpack -G DEB)
