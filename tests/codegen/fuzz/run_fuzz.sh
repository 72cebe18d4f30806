#!/usr/bin/env bash
# Builds the splitter's libFuzzer target with clang and runs it for a bounded
# time. Any crash, leak or sanitizer report fails the test.
# Usage: run_fuzz.sh <source root> <work folder> <seconds>
set -euo pipefail
source_root=$1
work=$2
seconds=$3
compiler=${CLANGXX:-clang++}

mkdir -p "$work/corpus"
"$compiler" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$source_root" \
  "$source_root/tests/codegen/fuzz/fuzz_split_text_lines.cpp" \
  "$source_root/codegen/text_lines.cpp" \
  -o "$work/fuzz_split_text_lines"

# Seeds: the file format's own examples.
printf 'a\r\n\r\n' >"$work/corpus/seed_written"
printf 'a\n\rb' >"$work/corpus/seed_lf_cr"
printf 'x\r\n\0y' >"$work/corpus/seed_nul"
printf '   1,   2,   3,   4,   5,   6\r\n  -7,   0,   0,   7,   0,   0' >"$work/corpus/seed_records"

cd "$work"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ./fuzz_split_text_lines -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
  -artifact_prefix="$work/" corpus
