#!/usr/bin/env bash
# Sets up, builds the optimised player and the demo tool, writes the demo game into build/demo (what
# its "user_data" folder holds is kept between runs) and starts the player there in a window.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set): the player needs a window, stopping." >&2
  exit 1
fi
bash scripts/setup.sh
bash scripts/build.sh release
game="$root/build/demo"
"$root/build/release/demogame" "$game"
cd "$game"
exec "$root/build/release/player"
