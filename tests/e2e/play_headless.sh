#!/usr/bin/env bash
# scripts/play with no display plays a demo session: under its own account and account file, so the
# player's account file is left exactly as it was, and following tricks with the hint rather than
# passing every one.
# Usage: play_headless.sh SOURCE_DIR BIN_DIR WORK_DIR
set -u
src=$(realpath "$1")
bin=$(realpath "$2")
work=$3
rm -rf "$work" && mkdir -p "$work/out"

# The player's account as an earlier windowed session left it.
printf '# vexal accounts 1\nplayer\t87654\t3\t1\t2\t5\t0\t1\t2026-01-02\n' >"$work/out/accounts.txt"
cp "$work/out/accounts.txt" "$work/accounts.before"

env -u DISPLAY -u WAYLAND_DISPLAY VEXAL_PLAY_BIN="$bin" VEXAL_PLAY_OUT="$work/out" \
  ASAN_OPTIONS=alloc_dealloc_mismatch=0:detect_leaks=0 \
  timeout 240 "$src/scripts/play" --rounds 1 --seed 7 >"$work/play.txt" 2>&1
rc=$?

fail=0
problem() { echo "$1"; fail=1; }
[ "$rc" = 0 ] || problem "scripts/play ended with $rc"
grep -q '^table: playing 1 round(s) headless as demo$' "$work/play.txt" || problem "the demo did not play as demo"
grep -q '^rounds: 1 played$' "$work/play.txt" || problem "no round was played to its end"
cmp -s "$work/accounts.before" "$work/out/accounts.txt" || problem "the player's account file changed: $(cat "$work/out/accounts.txt")"
grep -q "^demo	" "$work/out/demo-accounts.txt" 2>/dev/null || problem "the demo's own account file holds no demo account"

# A play of its own on a trick another seat has opened: the demo followed with the hint.
followed=$(awk '
  /^play: / && (/ to lead$/) { open = 0; next }
  /^play: seat [123]  / { if ($0 !~ / 过/) open = 1 }
  /^play: you  / && open && $0 !~ / 过/ { n++ }
  /\(trick over\)$/ { open = 0 }
  END { print n + 0 }' "$work/play.txt")
[ "$followed" -gt 0 ] || problem "the demo never followed a trick with a play of its own"

if [ "$fail" != 0 ]; then
  echo "--- scripts/play said:"
  tail -n 60 "$work/play.txt"
  exit 1
fi
echo "headless demo: played as demo, followed $followed time(s), the player's account file untouched"
