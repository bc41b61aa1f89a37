# Shared steps of the real-process round drivers (sourced, not run): the server, the clients, waiting
# on their logs, and tearing every started process down on exit. The sourcing script sets `bin` (the
# folder with vexal and vexal-server) and `work` (an empty folder it has changed into).

e2e_pids=()
e2e_cleanup() {
  local p
  for p in "${e2e_pids[@]}"; do kill "$p" 2>/dev/null; done
  # A client under the sanitizers may take a moment to end; one that does not is stopped hard so that
  # the test leaves nothing behind.
  for _ in $(seq 30); do
    local alive=0
    for p in "${e2e_pids[@]}"; do kill -0 "$p" 2>/dev/null && alive=1; done
    [ $alive = 0 ] && break
    sleep 0.1
  done
  for p in "${e2e_pids[@]}"; do kill -9 "$p" 2>/dev/null; done
  wait 2>/dev/null
}
trap e2e_cleanup EXIT

# A port nobody listens on right now, for programs that cannot be told to pick their own.
e2e_free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# e2e_wait_for FILE PATTERN SECONDS: true once an extended regular expression matches a line of FILE.
e2e_wait_for() {
  local deadline=$((SECONDS + $3))
  while [ $SECONDS -lt $deadline ]; do
    grep -qE -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.2
  done
  grep -qE -- "$2" "$1" 2>/dev/null
}

# e2e_start_server ARGS...: starts vexal-server on a port of its own choosing with the round settings
# of these tests and sets `server_port`; the log goes to server.log.
e2e_start_server() {
  ASAN_OPTIONS=alloc_dealloc_mismatch=0:detect_leaks=0 "$bin/vexal-server" --port 0 --bot-wait off \
    --turn-seconds 4 --seed 11 "$@" >server.log 2>&1 &
  e2e_pids+=($!)
  server_port=""
  e2e_wait_for server.log 'listening on 127.0.0.1:[0-9]+' 5 || { echo "server did not start"; cat server.log; exit 1; }
  server_port=$(grep -oE 'listening on 127.0.0.1:[0-9]+' server.log | head -1 | grep -oE '[0-9]+$')
}

# e2e_start_socks5 USER PASSWORD: starts microsocks on 127.0.0.1 demanding that user name and password
# and sets `proxy_port`; its output goes to proxy.log.
e2e_start_socks5() {
  # microsocks cannot pick its own port: take a free one and try again if another program got it first.
  proxy_port=""
  local port proxy ok
  for _ in 1 2 3 4 5; do
    port=$(e2e_free_port)
    microsocks -i 127.0.0.1 -p "$port" -u "$1" -P "$2" >proxy.log 2>&1 &
    proxy=$!
    e2e_pids+=($proxy)
    ok=0
    for _ in $(seq 30); do
      kill -0 "$proxy" 2>/dev/null || break
      python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2).close()" 2>/dev/null && { ok=1; break; }
      sleep 0.1
    done
    [ $ok = 1 ] && { proxy_port=$port; return 0; }
    kill "$proxy" 2>/dev/null
  done
  echo "microsocks did not start"; cat proxy.log; exit 1
}

# e2e_launch ACCOUNT PASSWORD HOST PORT CAPTION [PROXY_TYPE PROXY_HOST PROXY_PORT USER PASSWORD]:
# the launch string the lobby hands a player's table. With E2E_LOBBY=1 in the environment the table
# looks for the lobby under its own title and needs that window to run; otherwise the lobby's title
# is set empty, which no window has, so the table runs alone (and cannot reconnect: it has no lobby
# to fall back on).
e2e_launch() {
  printf '%s$%s$%s$%s$12345Room 1$%s$%s$%s$%s$%s$%s$$%s$0$0$' "$1" "$2" "$3" "$4" \
    "${6:-0}" "${7:-}" "${8:-0}" "${9:-}" "${10:-}" "$([ "${E2E_LOBBY:-0}" = 1 ] && echo 0 || echo 1)" "$5"
}

# e2e_start_client DIR AWAY LAUNCH: one table client in its own program folder (its own "info.vx")
# and runtime folder (its own single-instance lock), output and message boxes to DIR/log.txt.
e2e_start_client() {
  local dir=$1
  mkdir -p "$dir/bin" "$dir/rt"
  # A hard link keeps the program's real folder where the link is.
  ln -f "$bin/vexal" "$dir/bin/vexal" 2>/dev/null || cp "$bin/vexal" "$dir/bin/vexal"
  (cd "$dir" && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 \
     VEXAL_RUNTIME_DIR="$work/$dir/rt" VEXAL_TRACE=1 VEXAL_AUTO_ANSWER=1 VEXAL_AUTOPLAY=1 VEXAL_AWAY="$2" \
     exec ./bin/vexal "$3" >log.txt 2>&1) &
  e2e_pids+=($!)
}

# e2e_wait_round SECONDS DIR...: waits until every client in DIR... has traced its score sheet, then
# checks each one reached it and wrote its round file; false with the client's last lines otherwise.
e2e_wait_round() {
  local limit=$1
  shift
  local deadline=$((SECONDS + limit)) d done_count fail=0
  while [ $SECONDS -lt $deadline ]; do
    done_count=0
    for d in "$@"; do grep -q 'trace: score: 7:' "$d/log.txt" 2>/dev/null && done_count=$((done_count + 1)); done
    [ $done_count = $# ] && break
    sleep 1
  done
  for d in "$@"; do
    if ! grep -q 'trace: score: 7:' "$d/log.txt"; then
      echo "$d did not reach the score sheet"; grep -v '^sound' "$d/log.txt" | tail -15; fail=1; continue
    fi
    grep -q '^\[juNum:1\]' "$d/bin/info.vx" || { echo "$d: info.vx has no section juNum:1"; fail=1; }
  done
  [ $fail = 0 ] || { tail -20 server.log; return 1; }
}
