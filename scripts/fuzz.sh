#!/usr/bin/env bash
# Builds one fuzz target with Clang and libFuzzer, fuzzes it for a bounded time, then replays what
# it found under the sanitizers of the test build.
#   scripts/fuzz.sh TARGET [SECONDS]     (default 300 seconds)
#   scripts/fuzz.sh list                 (the targets)
#   scripts/fuzz.sh ci [SECONDS]         (builds every target, runs each over its corpus and its
#                                         regressions, then fuzzes each for SECONDS, default 4)
# FUZZ_CPU=N runs the fuzzer on CPU N only: the stage is read on a thread of its own, and on a busy
# machine each hand-over between the two threads otherwise waits for a free CPU.
# The fuzzer runs with UndefinedBehaviorSanitizer only (FUZZ_ASAN=1 adds AddressSanitizer, at less
# than half the speed). Its corpus grows in build/fuzz/corpus/TARGET, seeded from fuzz/corpus/TARGET.
# Inputs that crash, hang (a second per input), run out of memory, or fail the replay under
# AddressSanitizer, UndefinedBehaviorSanitizer and the allocation watch land in
# build/fuzz/crashes/TARGET/. Keep each as fuzz/regressions/TARGET/<name> once the reader is mended:
# the test build runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-}
seconds=${2:-300}
seconds_ci=${2:-4}

# Clang and its fuzzer runtime (not needed by the ordinary build and tests).
if ! command -v clang++-14 >/dev/null ||
   ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed"; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 install -y -qq clang-14 libclang-rt-14-dev
fi
bash scripts/setup.sh

# The targets: one per source of fuzz/targets/, the database source giving ten.
list_targets() {
  local src name
  for src in fuzz/targets/*.cpp; do
    name=$(basename "$src" .cpp)
    if [ "$name" = database ]; then printf 'database%d\n' 0 1 2 3 4 5 6 7 8 9; else echo "$name"; fi
  done | sort
}
if [ "$target" = list ]; then list_targets; exit 0; fi
if [ -z "$target" ]; then
  echo "usage: $0 TARGET [SECONDS] | list | ci [SECONDS]" >&2
  exit 2
fi

build=build/fuzz
asan=OFF
if [ "${FUZZ_ASAN:-0}" = 1 ]; then build=build/fuzz-asan; asan=ON; fi
if [ ! -f "$build/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  CC=clang-14 CXX=clang++-14 cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPLAYER_FUZZ_ASAN=$asan "${launcher[@]}" >/dev/null
fi

# The check that keeps the fuzzer alive: every target builds with Clang, reads every input of its
# corpus and of its regressions without a fault, and fuzzes a few seconds without a find.
if [ "$target" = ci ]; then
  cmake --build "$build" -j "${BUILD_JOBS:-$(nproc)}"
  export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  failed=()
  for t in $(list_targets); do
    dirs=()
    for d in "fuzz/corpus/$t" "fuzz/regressions/$t"; do [ -d "$d" ] && dirs+=("$PWD/$d"); done
    mkdir -p "$work/$t/corpus" "$work/$t/crashes"
    ok=1
    "$build/fuzz_$t" -runs=0 -timeout=10 -rss_limit_mb=2048 "${dirs[@]}" >"$work/$t/replay.log" 2>&1 || ok=0
    if [ $ok = 1 ]; then
      "$build/fuzz_$t" -max_total_time="${seconds_ci}" -timeout=2 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/$t/crashes/" "$work/$t/corpus" "${dirs[@]}" \
        >"$work/$t/fuzz.log" 2>&1 || ok=0
    fi
    if [ $ok = 1 ]; then
      echo "fuzz ci $t: ok, $(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t/fuzz.log") executions"
    else
      echo "fuzz ci $t: FAILED" >&2
      tail -n 30 "$work/$t"/*.log >&2
      mkdir -p build/fuzz/crashes/"$t"
      cp "$work/$t/crashes/"* build/fuzz/crashes/"$t"/ 2>/dev/null || true
      failed+=("$t")
    fi
  done
  [ ${#failed[@]} -eq 0 ] || { echo "fuzz ci: failed: ${failed[*]} (inputs in build/fuzz/crashes/)" >&2; exit 1; }
  exit 0
fi
# The fuzzing program, and the replaying one: the same target in the sanitizer build of the tests.
# FUZZ_NO_BUILD=1 takes both as built (for several runs at once, which must not build together).
if [ "${FUZZ_NO_BUILD:-0}" != 1 ]; then
  jobs=${FUZZ_BUILD_JOBS:-4}
  cmake --build "$build" --target "fuzz_$target" -j "$jobs"
  if [ ! -f build/test/build.ninja ]; then
    cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLAYER_SANITIZE=ON -DPLAYER_TESTS=ON >/dev/null
  fi
  cmake --build build/test --target "fuzz_$target" -j "$jobs"
fi

# Absolute paths: a target makes a temporary game folder its current folder.
corpus=$PWD/build/fuzz/corpus/$target
crashes=$PWD/build/fuzz/crashes/$target
log=$PWD/build/fuzz/$target.log
mkdir -p "$corpus" "$crashes"
if [ -d "fuzz/corpus/$target" ]; then cp -n fuzz/corpus/"$target"/* "$corpus"/; fi
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
# Freed blocks are reused at once and not filled: these targets allocate much, and quarantine would
# cost most of the time (the replay keeps the defaults).
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=0:thread_local_quarantine_size_kb=0:max_malloc_fill_size=0:malloc_context_size=3}

# A crash ends a libFuzzer run: fuzz on until the time is used, each crash kept in its folder.
end=$(( $(date +%s) + seconds ))
: > "$log"
while :; do
  left=$(( end - $(date +%s) ))
  [ "$left" -gt 0 ] || break
  set +e
  ${FUZZ_CPU:+taskset -c "$FUZZ_CPU"} "$build/fuzz_$target" -max_total_time="$left" -timeout=1 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" >>"$log" 2>&1
  set -e
done
grep -E "^#[0-9]+ +DONE|^stat::number_of_executed_units|^stat::peak_rss" "$log" | tail -n 3 || true

# The replay of the corpus (in name order) and the crashes: an input that fails is kept with the
# crashes, and the replay goes on after it.
mapfile -t inputs < <(find "$corpus" -type f | sort)
failed=0
while [ ${#inputs[@]} -gt 0 ]; do
  set +e
  build/test/fuzz/fuzz_$target "${inputs[@]}" >/dev/null 2>build/fuzz/$target.replay.err
  rc=$?
  set -e
  [ $rc -eq 0 ] && break
  bad=$(sed -n 's/^input: //p' build/fuzz/$target.replay.err | tail -n 1)
  [ -n "$bad" ] || { cat build/fuzz/$target.replay.err >&2; exit 1; }
  cp "$bad" "$crashes/replay-$(basename "$bad")"
  cp build/fuzz/$target.replay.err "$crashes/replay-$(basename "$bad").txt"
  failed=$((failed + 1))
  for i in "${!inputs[@]}"; do
    if [ "${inputs[$i]}" = "$bad" ]; then inputs=("${inputs[@]:$((i + 1))}"); break; fi
  done
done
echo "fuzz $target: ${seconds}s; corpus of $(find "$corpus" -type f | wc -l) inputs replayed ($failed failed);" \
     "$(find "$crashes" -type f ! -name '*.txt' | wc -l) inputs in $crashes"
