#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the registry parser's libFuzzer target with clang and runs it over
# the committed seed corpus (tests/fuzz/corpus) for the given seconds (60).
# An input that fails is added to the committed corpus, so that it is replayed
# by every later build (reg_corpus_tests) once the fault is mended.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is not installed, the fuzzer is skipped" >&2
  exit 0
fi
dir="$top/build/fuzz"
cmake -S "$top/tests/fuzz/libfuzzer" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir"
# New inputs go to a scratch folder; the committed corpus is only read.
mkdir -p "$dir/found" "$dir/artifacts"
rm -f "$dir"/artifacts/*
corpus="$top/tests/fuzz/corpus"
if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$dir/reg_parser_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
  -rss_limit_mb=2048 -artifact_prefix="$dir/artifacts/" -print_final_stats=1 \
  "$dir/found" "$corpus"; then
  for f in "$dir"/artifacts/*; do
    [ -f "$f" ] || continue
    cp "$f" "$corpus/failed-$(sha1sum "$f" | cut -c1-16)"
  done
  echo "fuzz: the failing input is now in tests/fuzz/corpus; commit it with the mend" >&2
  exit 1
fi
echo "fuzz: no failure in $seconds seconds"
