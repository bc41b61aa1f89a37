#!/usr/bin/env bash
# Four real clients play a round against the real server through a relay (relay.py); once player0
# has its cards and has seen a few plays, the relay breaks player0's connection. player0 must find
# its way back by itself (the attempt line, then the accepted line), the server must take it back
# into its seat and resend the round, player0's hand and table must then be the server's, and the
# round must end on all four with score sheets that agree.
# Usage: reconnect_play.sh BIN_DIR WORK_DIR [TIMEOUT_SECONDS] [direct|socks5] [CLEARED_TRICKS]
# With socks5 every client goes through microsocks (user name and password) to the relay, and player0
# must come back through the proxy as well.
set -u
bin=$(realpath "$1")
work=$2
limit=${3:-100}
mode=${4:-direct}
cleared=${5:-0}
here=$(dirname "$(realpath "$0")")
rm -rf "$work" && mkdir -p "$work"
cd "$work" || exit 1
work=$(pwd)
. "$here/e2e_lib.sh"

e2e_start_server --log-level info
python3 "$here/relay.py" --server "127.0.0.1:$server_port" --port-file relay.port --cut player0 \
  --log relay.log 2>relay.err &
relay=$!
e2e_pids+=($relay)
for _ in $(seq 50); do [ -s relay.port ] && break; sleep 0.1; done
[ -s relay.port ] || { echo "relay did not start"; cat relay.err; exit 1; }
relay_port=$(cat relay.port)

case "$mode" in
direct) proxy=() ;;
socks5)
  e2e_start_socks5 tableuser 's3cret-Pw'
  proxy=(5 127.0.0.1 "$proxy_port" tableuser 's3cret-Pw') ;;
*) echo "unknown mode $mode"; exit 2 ;;
esac
# A table reconnects only while its lobby is there to go back to; player0 gets a lobby window in its
# runtime folder (the lobby does not start the table: the table's output stays the test's own).
mkdir -p c0/rt
(cd c0 && QT_QPA_PLATFORM=offscreen VEXAL_RUNTIME_DIR="$work/c0/rt" VEXAL_TRACE=1 VEXAL_AUTO_ANSWER=1 \
   ASAN_OPTIONS=detect_leaks=0 exec "$bin/kestrel-lobby" --host 127.0.0.1 --port "$relay_port" \
   --account player0 --password pw >lobby.txt 2>&1) &
e2e_pids+=($!)
for _ in $(seq 50); do [ -n "$(find c0/rt -type s 2>/dev/null)" ] && break; sleep 0.1; done
[ -n "$(find c0/rt -type s 2>/dev/null)" ] || { echo "the lobby window did not appear"; cat c0/lobby.txt; exit 1; }

for i in 0 1 2 3; do
  away=1
  [ "$i" = 0 ] && away=0
  lobby=0
  [ "$i" = 0 ] && lobby=1
  e2e_start_client "c$i" $away "$(E2E_LOBBY=$lobby e2e_launch "player$i" pw 127.0.0.1 "$relay_port" "Vexal-$i" "${proxy[@]}")"
done

# Some cards on the table first, so that the resend has a trick in progress to rebuild; with
# CLEARED_TRICKS above 0 also that many tricks taken, so that it has cleared tricks to sum up.
ready_to_cut() {
  [ "$(grep -c 'trace: play: seat [0-3] cards [1-9]' c0/log.txt 2>/dev/null)" -ge 3 ] &&
    # the opening of play carries a clearing flag as well
    [ "$(grep -cE 'trace: play: .* flag (1|9) ' c0/log.txt 2>/dev/null)" -gt "$cleared" ]
}
deadline=$((SECONDS + 60))
while [ $SECONDS -lt $deadline ]; do
  ready_to_cut && break
  sleep 0.2
done
ready_to_cut ||
  { echo "client 0 did not see the plays to cut after"; grep -v '^sound' c0/log.txt | tail -15; tail -15 server.log; exit 1; }
kill -USR1 $relay

fail=0
e2e_wait_for relay.log '^[0-9]+ cut conn ' 5 || { echo "the relay cut nothing"; tail relay.log; exit 1; }
e2e_wait_for c0/log.txt '^trace: sysmsg0: 正在重新连接服务器\.\.\.$' 15 ||
  { echo "client 0 made no reconnect attempt"; fail=1; }
e2e_wait_for c0/log.txt '^trace: sysmsg0: 正在重连服务器，请等待\.\.\.！$' 20 ||
  { echo "client 0 was not taken back"; fail=1; }
e2e_wait_for server.log 'player0 reconnects' 5 || { echo "the server logged no reconnect"; fail=1; }
if [ "$mode" = socks5 ]; then
  # The proxy's success line comes once for the start and once more for the way back.
  [ "$(grep -c '^trace: sysmsg0: 连接代理服务器成功！$' c0/log.txt)" -ge 2 ] ||
    { echo "client 0 did not come back through the proxy"; fail=1; }
fi
[ $fail = 0 ] || { grep -v '^sound' c0/log.txt | tail -20; tail -20 server.log; exit 1; }

e2e_wait_round "$limit" c0 c1 c2 c3 || exit 1
python3 "$here/round_check.py" "$work" || exit 1
python3 "$here/reconnect_check.py" "$work" || exit 1
echo "client 0 reconnected during the round and the round played to the score sheet on all four"
