#!/usr/bin/env bash
# A careless player for a while of wall-clock time: brasquel_autoplay's random mode (a seed from
# the clock, printed first), ended after SECONDS seconds by SIGTERM, which the game takes as a
# window close nobody refuses. Passes when the run ends with exit code 0 (the game ended
# normally, nothing leaked), no sanitizer reported anything, and the run got through at least
# LEAST turns (it did not stand still). On failure the run's seed and the end of its output are
# printed: "brasquel_autoplay --random --seed N" replays it.
#
#   random-minute.sh AUTOPLAY SECONDS LEAST
set -uo pipefail
autoplay=$1 seconds=$2 least=$3

log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$autoplay" --random >"$log" 2>&1 &
player=$!
sleep "$seconds"
kill -TERM "$player" 2>/dev/null
wait "$player"
status=$?

fail() {
  echo "random-minute: $*" >&2
  grep -m1 '^Random run: seed' "$log" >&2
  grep -v -e '^turn ' -e '^\[info\]' -e '^ALSA lib' -e '^AL lib' "$log" | tail -60 >&2
  exit 1
}
grep -m1 '^Random run: seed' "$log"
grep -A3 '^Random run: seed .* turns' "$log"
[[ $status -eq 0 ]] || fail "the run ended with exit code $status"
if grep -q -e 'ERROR: AddressSanitizer' -e 'ERROR: LeakSanitizer' -e 'runtime error:' "$log"; then
  fail "a sanitizer reported"
fi
grep -q '^Random run passed' "$log" || fail "the run did not pass"
turns=$(sed -n 's/^Random run: seed [0-9]*, \([0-9]*\) turns.*/\1/p' "$log")
[[ -n "$turns" && $turns -ge $least ]] || fail "only ${turns:-no} turns in $seconds s"
echo "random-minute: $turns turns in $seconds s, passed"
