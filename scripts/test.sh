#!/usr/bin/env bash
# Sets everything up, builds and runs the whole test suite.
# With --sanitize: AddressSanitizer (with LeakSanitizer) + UndefinedBehaviorSanitizer,
# warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [ "${1:-}" = "--sanitize" ]; then
  export BUILD_DIR=build-sanitize
  bash scripts/build.sh -DVELOQUIX_SANITIZE=ON -DVELOQUIX_WERROR=ON
  # Leaks are reported too; scripts/lsan.supp names only system libraries
  # that keep their allocations for the life of the process.
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  export BUILD_DIR=build
  bash scripts/build.sh
fi
cd "$BUILD_DIR"
ctest --output-on-failure -j2 --timeout 300
