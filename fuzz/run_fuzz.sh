#!/bin/sh
# Builds the ASC reader fuzzer with clang, AddressSanitizer and UndefinedBehaviorSanitizer, makes
# the seed corpus from the files the reader tests write and from examples/, and runs it.
#   fuzz/run_fuzz.sh [seconds]     default 600
# Folders: $BUILD for the fuzzer (default build-fuzz), $TEST_BUILD for the ordinary build whose
# reader test writes the seeds (default build; configured here when it is not yet).
set -e
SRC=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$SRC/build-fuzz}
TEST_BUILD=${TEST_BUILD:-$SRC/build}
SECONDS_TO_RUN=${1:-600}
CC=clang CXX=clang++ cmake -S "$SRC" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEV_BUILD_FUZZ=ON -DZEV_SANITIZE=ON -DZEV_BUILD_TESTS=OFF -DZEV_BUILD_BENCH=OFF > /dev/null
cmake --build "$BUILD" --target fuzz_asc_reader -j2
[ -f "$TEST_BUILD/build.ninja" ] || [ -f "$TEST_BUILD/Makefile" ] ||
  cmake -S "$SRC" -B "$TEST_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$TEST_BUILD" --target test_ZEV_datatable_asc -j2
CORPUS="$BUILD/fuzz/corpus"
mkdir -p "$CORPUS"
ZEV_ASC_CORPUS="$CORPUS" QT_QPA_PLATFORM=offscreen "$TEST_BUILD/tests/test_ZEV_datatable_asc" \
  > /dev/null
cp "$SRC"/examples/*.asc "$CORPUS/"
cd "$BUILD/fuzz"
exec ./fuzz_asc_reader -max_total_time="$SECONDS_TO_RUN" -timeout=1 -rss_limit_mb=2048 \
  -max_len=65536 "$CORPUS"
