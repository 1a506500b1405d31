#!/usr/bin/env bash
# Sets up, then builds and runs every test in both sanitizer flavours: AddressSanitizer with
# UndefinedBehaviorSanitizer (build/test), then ThreadSanitizer (build/tsan); then the pixel tests
# once more in an optimised build, where the vectorised loop copies run (build/vectors).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The thread checker leaves alone only the system libraries named in tests/support/tsan.supp.
export TSAN_OPTIONS="suppressions=$PWD/tests/support/tsan.supp"
for flavour in test tsan; do
  bash scripts/build.sh "$flavour"
  ctest --test-dir "build/$flavour" --output-on-failure -j "$(nproc)" --timeout 300
done
bash scripts/build.sh vectors
(cd build/vectors && ./gfx_tests --gtest_brief=1 && ./platform_tests --gtest_brief=1)
