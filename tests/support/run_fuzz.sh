#!/usr/bin/env bash
# Builds a libFuzzer target with clang (address, leak and undefined-behaviour
# sanitizers) and runs it for a bounded time, starting from a folder of seeds.
# Any crash, leak, hang or sanitizer report fails the test.
# Usage: run_fuzz.sh <include folders, split by :> <work folder> <seconds> <seeds folder> <sources...>
set -euo pipefail
IFS=: read -ra include_dirs <<<"$1"
work=$2
seconds=$3
seeds=$4
shift 4
compiler=${CLANGXX:-clang++}

mkdir -p "$work/corpus"
cp "$seeds"/* "$work/corpus/"
"$compiler" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  "${include_dirs[@]/#/-I}" "$@" -o "$work/fuzz_target"

cd "$work"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ./fuzz_target -max_total_time="$seconds" -timeout=10 -max_len=65536 -print_final_stats=1 \
  -artifact_prefix="$work/" corpus
