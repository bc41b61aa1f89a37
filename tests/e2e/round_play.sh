#!/usr/bin/env bash
# Four real clients against the real server play one round by themselves: one drives its turns
# through its own controls (VEXAL_AUTOPLAY), three more also sit in away mode. Every client must
# reach the score sheet, trace the lines the server's records imply, and write "info.vx".
# Usage: round_play.sh BIN_DIR WORK_DIR [TIMEOUT_SECONDS]
set -u
bin=$(realpath "$1")
work=$2
limit=${3:-240}
rm -rf "$work" && mkdir -p "$work"
cd "$work" || exit 1

ASAN_OPTIONS=alloc_dealloc_mismatch=0:detect_leaks=0 "$bin/vexal-server" --port 0 --bot-wait off --turn-seconds 4 --seed 11 --log-level info >server.log 2>&1 &
server=$!
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  kill "$server" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

port=""
for _ in $(seq 50); do
  port=$(grep -o 'listening on 127.0.0.1:[0-9]*' server.log | grep -o '[0-9]*$')
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "server did not start"; cat server.log; exit 1; }

for i in 0 1 2 3; do
  # Each client has its own program folder (its own "info.vx") and its own runtime folder (its own
  # single-instance lock); a hard link keeps the program's real folder where the link is.
  mkdir -p "c$i/bin" "rt$i"
  ln -f "$bin/vexal" "c$i/bin/vexal" 2>/dev/null || cp "$bin/vexal" "c$i/bin/vexal"
  away=1
  [ "$i" = 0 ] && away=0
  launch="player$i\$pw\$127.0.0.1\$$port\$12345Room 1\$0\$\$0\$\$\$1\$\$Vexal-$i\$0\$0\$"
  (cd "c$i" && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 \
     VEXAL_RUNTIME_DIR="$work/rt$i" VEXAL_TRACE=1 VEXAL_AUTO_ANSWER=1 VEXAL_AUTOPLAY=1 VEXAL_AWAY=$away \
     exec ./bin/vexal "$launch" >log.txt 2>&1) &
  pids+=($!)
done

deadline=$((SECONDS + limit))
while [ $SECONDS -lt $deadline ]; do
  done_count=0
  for i in 0 1 2 3; do
    grep -q 'trace: score: 7:' "c$i/log.txt" 2>/dev/null && done_count=$((done_count + 1))
  done
  [ $done_count = 4 ] && break
  sleep 1
done

fail=0
for i in 0 1 2 3; do
  if ! grep -q 'trace: score: 7:' "c$i/log.txt"; then
    echo "client $i did not reach the score sheet"; grep -v '^sound' "c$i/log.txt" | tail -15; fail=1; continue
  fi
  grep -q '^\[juNum:1\]' "c$i/bin/info.vx" || { echo "client $i: info.vx has no section juNum:1"; fail=1; }
done
[ $fail = 0 ] || { tail -20 server.log; exit 1; }
python3 "$(dirname "$(realpath "$0")")/round_check.py" "$work" || exit 1
echo "round played to the score sheet on all four clients"
