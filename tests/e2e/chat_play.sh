#!/usr/bin/env bash
# Four real clients at one table of the real server talk through their chat boxes, driven by key
# and mouse events on their real windows (VEXAL_CHAT_SCRIPT): player0 says a line to everybody,
# tries a second within 800 ms, then says a line privately to the player opposite; player1 sends
# quick phrase 10 of list 2. chat_check.py then reads what each client showed and played.
# Usage: chat_play.sh BIN_DIR WORK_DIR [TIMEOUT_SECONDS]
set -u
bin=$(realpath "$1")
work=$2
limit=${3:-60}
here=$(dirname "$(realpath "$0")")
rm -rf "$work" && mkdir -p "$work"
cd "$work" || exit 1

source "$here/e2e_lib.sh"
e2e_start_server --log-level info
port=$server_port

scripts=(
  "wait:1500|type:hello all|enter|type:too fast|enter|wait:1200|portrait:2|type:just you|enter|wait:1500|type:done|enter"
  "wait:2500|phrase:2:10"
  ""
  ""
)
for i in 0 1 2 3; do
  # Each client has its own program folder with the quick phrases, the shared sounds beside it,
  # and its own runtime folder (its own single-instance lock).
  mkdir -p "c$i/bin" "rt$i"
  ln -f "$bin/vexal" "c$i/bin/vexal" 2>/dev/null || cp "$bin/vexal" "c$i/bin/vexal"
  cp "$bin/chat.ini" "c$i/bin/chat.ini"
  ln -sfn "$(realpath "$bin/../common")" "c$i/common"
  launch="player$i\$pw\$127.0.0.1\$$port\$12345Room 1\$0\$\$0\$\$\$1\$\$Vexal-$i\$0\$0\$"
  (cd "c$i" && QT_QPA_PLATFORM=${VEXAL_E2E_PLATFORM:-offscreen} SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 \
     VEXAL_RUNTIME_DIR="$work/rt$i" VEXAL_TRACE=1 VEXAL_AUTO_ANSWER=1 VEXAL_CHAT_SCRIPT="${scripts[$i]}" \
     exec ./bin/vexal "$launch" >log.txt 2>&1) &
  e2e_pids+=($!)
  # One after the other, so the seats are taken in this order.
  sleep 0.3
done

# The last line is player0's "done"; every client shows it once the server has relayed it.
deadline=$((SECONDS + limit))
while [ $SECONDS -lt $deadline ]; do
  seen=0
  for i in 0 1 2 3; do
    grep -q 'trace: chat: .*说道： done' "c$i/log.txt" 2>/dev/null && seen=$((seen + 1))
  done
  [ $seen = 4 ] && break
  sleep 0.5
done
sleep 1
python3 "$here/chat_check.py" "$work" || { tail -20 server.log; exit 1; }
echo "chat lines, the private line, the send gate and the quick phrase reached the right clients"
