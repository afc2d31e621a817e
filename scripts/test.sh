#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, then
# builds and runs the whole suite again with AddressSanitizer and
# UndefinedBehaviorSanitizer: any report fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs="$(nproc)"

cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_BUILD_TESTS=ON
cmake --build build-tests
(cd build-tests && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

# The sanitizer pass. halt_on_error and -fno-sanitize-recover make every
# report end its test with an error. Leaks are checked too; the only
# suppression (tests/reliability/lsan.supp) is for fontconfig's caches, which live
# until exit by design. The randomized play test plays fewer sequences in
# this slower build.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_BUILD_TESTS=ON \
  -DQUORVANE_SANITIZE=ON
cmake --build build-asan
(
  cd build-asan
  export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
  export LSAN_OPTIONS="suppressions=$PWD/../tests/reliability/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  export QUORVANE_PLAY_SEQUENCES=500
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs"
)
