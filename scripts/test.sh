#!/usr/bin/env bash
# Sets up, builds the sanitizer build and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh test
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
ctest --test-dir build/test --output-on-failure -j "$(nproc)" --timeout 300
