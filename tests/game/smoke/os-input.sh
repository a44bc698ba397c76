#!/usr/bin/env bash
# The real program driven through the X server as a person would: xdotool finds its window and
# gives it the input focus, clicks the main menu's credits button at its centre, types the
# developer code and takes a screenshot with Control+Shift+S. Every wait is on a line of the
# game's log or on the window; nothing waits by the clock.
#
#   os-input.sh AUTOPLAY PROGRAM ROOT PROFILE_WALK
set -euo pipefail
autoplay=$1 program=$2 root=$3 walk=$4
limit=120  # seconds any one wait may take before the run fails

data=$(mktemp -d)
game=""
tailer=""
cleanup() {
  [[ -n "$tailer" ]] && kill "$tailer" 2>/dev/null || true
  if [[ -n "$game" ]] && kill -0 "$game" 2>/dev/null; then
    kill "$game" 2>/dev/null || true
    wait "$game" 2>/dev/null || true
  fi
  rm -rf "$data"
}
trap cleanup EXIT
fail() {
  echo "os-input: $*" >&2
  echo "--- the game's log:" >&2
  cat "$data/game.log" >&2 || true
  exit 1
}

# The profile file, written by the walks' profile writer.
"$autoplay" --profile-only --data "$data" "$walk" || fail "the profile was not written"
export XDG_DATA_HOME="$data/user" OSKEL_COMMON_DATA_DIR="$data/common"

: >"$data/game.log"
(cd "$root" && exec "$program") >"$data/game.log" 2>&1 &
game=$!

# Reads the log from its start (or from the line after the last one found) until a line holds
# the text; fails after the time limit or when the game has ended.
read_lines=0
wait_log() {
  local text=$1 line n=0
  exec {feed}< <(exec timeout "$limit" tail -n "+$((read_lines + 1))" -F "$data/game.log" \
                    2>/dev/null)
  tailer=$!
  while IFS= read -r -u "$feed" line; do
    n=$((n + 1))
    if [[ "$line" == *"$text"* ]]; then
      read_lines=$((read_lines + n))
      kill "$tailer" 2>/dev/null || true
      exec {feed}<&-
      tailer=""
      return 0
    fi
  done
  exec {feed}<&-
  tailer=""
  fail "no log line \"$text\" within $limit s"
}

wait_log "Scene entered: GMainMenuScene"
kill -0 "$game" 2>/dev/null || fail "the game has ended"

window=$(timeout "$limit" xdotool search --sync --onlyvisible --pid "$game" | head -n 1) ||
  fail "xdotool found no window of the game"
xdotool windowfocus --sync "$window" || fail "the window did not take the input focus"

# The credits button's centre, in the window's pixels (the 1024 x 768 design at scale 1).
xdotool mousemove --window "$window" --sync 512 550 || fail "the pointer did not move"
xdotool click --window "$window" 1
wait_log "Node was pressed: CreditsButton"

xdotool type --window "$window" --delay 20 plumvast
xdotool key --window "$window" ctrl+shift+s
wait_log "Screenshot saved"
shot=$(find "$data/user" -name 'screenshot*.jpg' -size +0 | head -n 1)
[[ -n "$shot" ]] || fail "no screenshot file in the user data folder"
echo "os-input: the click reached CreditsButton; the screenshot is $(basename "$shot")"

kill "$game"
wait "$game" 2>/dev/null || true
game=""
