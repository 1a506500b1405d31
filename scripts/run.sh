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
# The display must answer, before anything is set up or built: an X display through xdpyinfo when it
# is installed, else by its local socket; a Wayland display by its socket.
display_answers() {
  if [ -n "${WAYLAND_DISPLAY:-}" ]; then
    local socket=$WAYLAND_DISPLAY
    [ "${socket#/}" = "$socket" ] && socket="${XDG_RUNTIME_DIR:-/nonexistent}/$socket"
    [ -S "$socket" ] && return 0
  fi
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null; then
    xdpyinfo >/dev/null 2>&1
    return
  fi
  case "$DISPLAY" in
    :*) local number=${DISPLAY#:}; [ -S "/tmp/.X11-unix/X${number%%.*}" ] ;;
    *) return 0 ;;  # a remote display: the player itself says when it does not answer
  esac
}
if ! display_answers; then
  echo "run: the display does not answer (DISPLAY=${DISPLAY:-}, WAYLAND_DISPLAY=${WAYLAND_DISPLAY:-}): the player needs a window, stopping." >&2
  exit 1
fi
bash scripts/setup.sh
bash scripts/build.sh release
game="$root/build/demo"
"$root/build/release/demogame" "$game"
cd "$game"
exec "$root/build/release/player"
