#!/usr/bin/env bash
# A long headless play of the demo with a random key script: held keys, taps, pauses, the menus'
# keys, the replay key. Samples the player's resident memory and its frame count every few seconds,
# prints the curve, and fails when the memory grows after the first minute, when the frames stop
# (a hang), or when the player ends with an error.
#   scripts/soak.sh MINUTES              (the optimised player, build/release)
# SOAK_ASAN=1 plays the player of the test build (AddressSanitizer and UndefinedBehaviorSanitizer)
# and fails on any sanitizer report. SOAK_SEED=N picks the key script (default 1).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
minutes=${1:-}
if ! [[ "$minutes" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 MINUTES" >&2
  exit 2
fi
seed=${SOAK_SEED:-1}
interval=${SOAK_INTERVAL:-5}   # seconds between samples
stall=${SOAK_STALL:-30}        # seconds without a new frame that count as a hang
if [ "${SOAK_ASAN:-0}" = 1 ]; then
  flavour=test
  bash scripts/build.sh test >/dev/null
else
  flavour=release
  bash scripts/build.sh release >/dev/null
fi
bin=$root/build/$flavour

work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$bin/demogame" "$work/game" >/dev/null

# The key script: a line for each input poll (from 1) whose keys differ from the poll before,
# "<poll> <vk> ..." (no key: all released). Runs of 10 to 120 polls of one choice:
# nothing held, a direction held with or without a button, button taps every few polls, Enter taps
# (the menus, game over and continue), and rarely the replay key.
frames=$(( minutes * 60 * 60 ))
polls=$(( frames * 2 ))
awk -v seed="$seed" -v polls="$polls" 'BEGIN {
  srand(seed)
  split("37 38 39 40", dir, " ")
  split("90 88 67 86 65 83 68 70", button, " ")
  p = 0
  while (p < polls) {
    len = 10 + int(rand() * 110); kind = rand()
    d = dir[1 + int(rand() * 4)]; b = button[1 + int(rand() * 8)]
    for (i = 0; i < len && p < polls; i++) {
      if (kind < 0.15) keys = ""
      else if (kind < 0.45) keys = d
      else if (kind < 0.70) keys = d " " b
      else if (kind < 0.88) keys = (i % 6 < 2) ? b : ""
      else if (kind < 0.995) keys = (i % 20 < 2) ? 13 : ""
      else keys = (i < 2) ? 112 : ""
      p++
      if (keys != last) print p, keys
      last = keys
    }
  }
}' >"$work/keys.txt"

cd "$work/game"
"$bin/player" --headless --frames="$frames" --print-frames --keys="$work/keys.txt" \
  >"$work/frames.txt" 2>"$work/stderr.txt" &
pid=$!

# The run lasts MINUTES of wall time: a player slower than 60 frames a second (a sanitizer build, a
# busy machine) is stopped then, before its last frame; one that stops drawing frames is hung.
start=$(date +%s)
length=$(( minutes * 60 ))
last_frame=-1
last_change=$start
samples=()
failure=""
stopped=0
echo "soak: $minutes min, seed $seed, $flavour player; seconds frame rss_kb"
while kill -0 "$pid" 2>/dev/null; do
  sleep "$interval"
  now=$(date +%s)
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
  [ -n "$rss" ] || break
  frame=$(tail -n 1 "$work/frames.txt" 2>/dev/null | awk '{print $2}')
  frame=${frame:-0}
  elapsed=$(( now - start ))
  echo "soak: $elapsed $frame $rss"
  samples+=("$elapsed $rss")
  if [ "$frame" != "$last_frame" ]; then
    last_frame=$frame
    last_change=$now
  elif [ $(( now - last_change )) -ge "$stall" ]; then
    failure="no new frame for $stall s at frame $frame (hang)"
    break
  fi
  if [ "$elapsed" -ge "$length" ]; then
    stopped=1
    break
  fi
done
status=0
if [ -n "$failure" ] || [ "$stopped" = 1 ]; then
  kill -TERM "$pid" 2>/dev/null || true
  for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null || break; sleep 1; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
else
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || failure="the player ended with status $status"
fi
pid=""
if grep -qE "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:" "$work/stderr.txt"; then
  failure="${failure:+$failure; }a sanitizer report"
  grep -m 20 -E "ERROR:|runtime error:|^    #" "$work/stderr.txt" >&2 || true
fi

# Growth: the lowest of the last three samples against the highest of the samples of the second
# minute, allowing 4 MB or 5 percent of noise.
verdict=$(printf '%s\n' "${samples[@]}" | awk '
  { t[NR] = $1; r[NR] = $2 }
  END {
    base = 0
    for (i = 1; i <= NR; i++) if (t[i] >= 60 && t[i] < 120 && r[i] > base) base = r[i]
    if (base == 0) { print "short"; exit }
    low = -1
    for (i = (NR > 3 ? NR - 2 : 1); i <= NR; i++) if (low < 0 || r[i] < low) low = r[i]
    allow = base * 0.05; if (allow < 4096) allow = 4096
    printf "%s %d %d\n", (low > base + allow ? "grew" : "flat"), base, low
  }')
case "$verdict" in
  grew*) failure="${failure:+$failure; }resident memory grew from ${verdict#grew } kB (after the first minute, then at the end)" ;;
  short) echo "soak: the run was too short to judge the memory" ;;
  flat*) echo "soak: resident memory flat: ${verdict#flat } kB (second minute's highest, end's lowest)" ;;
esac
echo "soak: frames $last_frame in $(( $(date +%s) - start )) s"
if [ -n "$failure" ]; then
  echo "soak: FAILED: $failure" >&2
  tail -n 20 "$work/stderr.txt" >&2 || true
  exit 1
fi
echo "soak: ok"
