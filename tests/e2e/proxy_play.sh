#!/usr/bin/env bash
# Real clients reach the real server through a SOCKS5 proxy (microsocks) that demands a user name
# and password.
#   proxy_play.sh BIN_DIR WORK_DIR TIMEOUT round
#     all four clients go through the proxy and play one round to score sheets that agree.
#   proxy_play.sh BIN_DIR WORK_DIR TIMEOUT wrong-password
#     one client gives the proxy a wrong password: it shows the proxy's refusal in a message box and
#     not one byte of it reaches the server; a second client with the right password, through the
#     same proxy at the same time, is seated, so the server's silence about the first means something.
set -u
bin=$(realpath "$1")
work=$2
limit=${3:-150}
mode=${4:-round}
here=$(dirname "$(realpath "$0")")
rm -rf "$work" && mkdir -p "$work"
cd "$work" || exit 1
work=$(pwd)
. "$here/e2e_lib.sh"

proxy_user=tableuser
proxy_password='s3cret-Pw'

# The connection log of the server is what shows whether the refused client got through.
e2e_start_server --log-level debug

e2e_start_socks5 "$proxy_user" "$proxy_password"

through_proxy() {  # ACCOUNT CAPTION PROXY_PASSWORD
  e2e_launch "$1" pw 127.0.0.1 "$server_port" "$2" 5 127.0.0.1 "$proxy_port" "$proxy_user" "$3"
}

case "$mode" in
round)
  for i in 0 1 2 3; do
    away=1
    [ "$i" = 0 ] && away=0
    e2e_start_client "c$i" $away "$(through_proxy "player$i" "Vexal-$i" "$proxy_password")"
  done
  e2e_wait_round "$limit" c0 c1 c2 c3 || exit 1
  fail=0
  for i in 0 1 2 3; do
    grep -q 'trace: sysmsg0: 连接代理服务器成功！' "c$i/log.txt" || { echo "c$i: no proxy success line"; fail=1; }
  done
  # One connection per client, none left over from a failed handshake.
  opened=$(grep -c 'connection [0-9]* opened' server.log)
  [ "$opened" = 4 ] || { echo "server saw $opened connections, expected 4"; fail=1; }
  [ $fail = 0 ] || exit 1
  python3 "$here/round_check.py" "$work" || exit 1
  echo "round played through the SOCKS5 proxy to the score sheet on all four clients"
  ;;
wrong-password)
  e2e_start_client good 1 "$(through_proxy player0 Vexal-good "$proxy_password")"
  e2e_start_client bad 1 "$(through_proxy intruder Vexal-bad "${proxy_password}x")"
  fail=0
  e2e_wait_for bad/log.txt 'messagebox: .*: 代理服务器用户验证失败！' 30 ||
    { echo "the client with the wrong password showed no authentication failure"; tail -15 bad/log.txt; fail=1; }
  e2e_wait_for server.log 'player0 sits down' 30 ||
    { echo "the client with the right password was not seated"; tail -15 good/log.txt; fail=1; }
  # Anything the refused client might still send would arrive within this settling time.
  sleep 2
  if grep -q intruder server.log; then
    echo "the server heard of the refused client:"; grep intruder server.log; fail=1
  fi
  opened=$(grep -c 'connection [0-9]* opened' server.log)
  [ "$opened" = 1 ] || { echo "server saw $opened connections, only the right password's one expected"; fail=1; }
  grep -q 'trace: sysmsg0: 连接代理服务器成功！' bad/log.txt &&
    { echo "the refused client claims the proxy let it through"; fail=1; }
  grep -q 'trace: sysmsg0: 连接代理服务器成功！' good/log.txt || { echo "good: no proxy success line"; fail=1; }
  [ $fail = 0 ] || { cat server.log; exit 1; }
  echo "wrong proxy password refused before any byte reached the server"
  ;;
*)
  echo "unknown mode $mode"; exit 2 ;;
esac
