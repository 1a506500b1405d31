#!/usr/bin/env bash
# Builds one fuzz target with Clang and libFuzzer and fuzzes it for a bounded time.
#   scripts/fuzz.sh TARGET [SECONDS] [JOBS]     (default 300 seconds, 1 job)
#   scripts/fuzz.sh list                        (the targets)
# The working corpus grows in build/fuzz/corpus/TARGET (seeded from fuzz/corpus/TARGET); inputs that
# crash, hang (a second per input) or run out of memory land in build/fuzz/crashes/TARGET/. Keep each
# one as fuzz/regressions/TARGET/<name> once the reader is mended: the test build runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-}
seconds=${2:-300}
jobs=${3:-1}

# Clang and its fuzzer runtime (not needed by the ordinary build and tests).
if ! command -v clang++-14 >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed"; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 install -y -qq clang-14 libclang-rt-14-dev
fi
bash scripts/setup.sh

if [ ! -f build/fuzz/build.ninja ]; then
  CC=clang-14 CXX=clang++-14 cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if [ "$target" = "list" ] || [ -z "$target" ]; then
  ninja -C build/fuzz -t targets all | sed -n 's/^fuzz_\([a-z0-9]*\): phony$/\1/p' | sort -u
  [ -n "$target" ] && exit 0
  echo "usage: $0 TARGET [SECONDS] [JOBS]" >&2
  exit 2
fi
cmake --build build/fuzz --target "fuzz_$target" -j "${FUZZ_BUILD_JOBS:-4}"

corpus=build/fuzz/corpus/$target
crashes=build/fuzz/crashes/$target
mkdir -p "$corpus" "$crashes"
[ -d "fuzz/corpus/$target" ] && cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
# A crash ends a libFuzzer run: go on until the time is used, each crash kept in its folder.
end=$(( $(date +%s) + seconds ))
while :; do
  left=$(( end - $(date +%s) ))
  [ "$left" -gt 0 ] || break
  args=(-max_total_time="$left" -timeout=1 -rss_limit_mb=2048 -malloc_limit_mb=1024 -max_len=65536
        -print_final_stats=1 -artifact_prefix="$crashes/")
  if [ "$jobs" -gt 1 ]; then args+=(-fork="$jobs" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1); fi
  set +e
  "build/fuzz/fuzz_$target" "${args[@]}" "$corpus" 2>&1 | tee -a "build/fuzz/$target.log" | grep -E "^#[0-9]+.*(DONE|pulse|NEW)|^stat::|ERROR|SUMMARY|fuzz check|Test unit written" | tail -n 40
  set -e
  [ "$jobs" -gt 1 ] && break
done
n=$(find "$crashes" -type f | wc -l)
echo "fuzz $target: ${seconds}s, $n inputs in $crashes"
