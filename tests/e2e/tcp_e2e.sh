#!/usr/bin/env bash
# Reception from the network through the real Tamblix.exe under Wine, the devices played by
# tests/e2e/lib/tcp_device.py on 127.0.0.1 (and a foreign peer on 127.0.0.2):
#   TCP client: a frame typed; the device closes, the program connects again within the
#     back-off (1 s) and the next frame is typed; the request on its timer reaches the device
#     over the socket and its answers are typed; 中止 closes the socket at once, nothing is
#     typed after it and no connection follows;
#   a client whose device does not answer says "接続できません (host:port)" in its caption;
#   TCP server: a peer from 127.0.0.1 (allowed) is typed; one from 127.0.0.2 is closed before
#     anything it sent is typed;
#   Telnet client: the negotiation is refused (WONT, DONT), never typed, IAC IAC typed as 0xFF.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario tcp desktop Tamblix.exe dlgdriver.exe traydriver.exe keyprobe.exe
DEVICE="$HARNESS_PYTHON $HERE/lib/tcp_device.py"
mkdir -p "$(dirname "$H_DEFAULT_INI")"
REQUEST_Q=REQCODE=510D0A0000000000000000000000000000000000

drive() { harness_drive "$@"; }
last_key_ms() { grep -E '^(SYS)?KEY' "$PROBE_RAW" | tail -n 1 | sed -n 's/.* w=\([0-9]*\).*/\1/p' | grep . || echo 0; }
log_ms() { sed -n "s/^$2 \([0-9]*\).*/\1/p" "$1" | head -n 1; }
# settings KEY=VALUE...: lines of CR LF frames, Enter after each, then the given lines.
settings() {
  harness_stx_etx_settings "$H_DEFAULT_INI" RCVSTA=0000000000 RCVEND=0D0A000000 \
    "$HARNESS_ENTER_AFTER" "$@"
}
# start_app NAME: the program started from its dialog, then the probe in front.
start_app() {
  harness_wine_bg APP 120 "$H_TMP/app.out" Tamblix.exe
  drive wait-window 60 >/dev/null || harness_abort "$1: the main dialog did not appear"
  drive click $IDC_START wait-enabled $IDC_STOP 1 40 >/dev/null || harness_abort "$1: reception did not start"
  harness_probe_start "probe-$1" 90 || harness_abort "$1: the probe did not get the foreground"
}
end_app() {
  harness_tray post $WM_COMMAND $IDM_EXIT 0 >/dev/null
  # The next start must not find this program's dialog still closing.
  harness_wait_pid "$APP" 20
  harness_stop_pid "$APP"
  harness_probe_stop
}
# device MODE NAME SECONDS: starts a device; sets DEV_LOG, DEV_GO, DEV_PORT.
device() {
  DEV_LOG=$H_TMP/$2.log DEV_GO=$H_TMP/$2.go
  : >"$DEV_LOG"
  $DEVICE "$1" "$H_TMP/$2.port" "$DEV_LOG" "$3" "$DEV_GO" &
  DEV_PID=$!
  harness_wait_file "$H_TMP/$2.port" 10 || harness_abort "$2: the device did not listen"
  DEV_PORT=$(cat "$H_TMP/$2.port")
}

# ---- TCP client ------------------------------------------------------------------------------
device client-device client 90
settings SOURCE=1 TCPHOST=127.0.0.1 "TCPPORT=$DEV_PORT" "$REQUEST_Q" REQTIMER=700
start_app client
touch "$DEV_GO"
harness_check "client: the first frame is typed" harness_wait_line "$PROBE_TEXT" 'A1\{CR\}' 10
harness_check "client: after the device closed, the next connection's frame is typed" \
  harness_wait_line "$PROBE_TEXT" 'B2\{CR\}' 10
closed=$(log_ms "$DEV_LOG" closed) again=$(sed -n 's/^connect \([0-9]*\).* 2$/\1/p' "$DEV_LOG")
gap=$(( ${again:-999999999999999} - ${closed:-0} ))
harness_check "client: connected again 1 s after the close, within the back-off (${gap} ms)" \
  test "$gap" -ge 900 -a "$gap" -le 2500
harness_check "client: the timer's request reaches the device and its answers are typed" \
  harness_wait_line "$PROBE_TEXT" 'N2\{CR\}' 10
harness_expect_eq "client: the request is Q CR LF on the socket" "51" \
  "$(sed -n 's/^request [0-9.]* //p' "$DEV_LOG" | sort -u | tr '\n' ' ' | sed 's/ $//')"
touch "$DEV_GO.stream"
harness_wait_line "$PROBE_TEXT" 'C3\{CR\}' 10 || harness_abort "client: the stream was not typed"
t_req=$(drive click $IDC_STOP clock | sed -n 's/^clock //p')
harness_wait_line "$DEV_LOG" '^eof ' 5
eof=$(log_ms "$DEV_LOG" eof)
closing=$(( ${eof:-999999999999999} - ${t_req:-0} ))
harness_check "client: 中止 closes the socket at once (${closing} ms after the click)" \
  test "$closing" -le 500
sleep 2
lag=$(( $(last_key_ms) - t_req ))
harness_check "client: nothing typed after 中止 while the device kept sending (last key ${lag} ms after)" \
  test "$lag" -le 500
harness_expect_eq "client: no connection after 中止" 0 "$(grep -c '^connect .* 3$' "$DEV_LOG")"
end_app
kill "$DEV_PID" 2>/dev/null; wait "$DEV_PID" 2>/dev/null

# ---- a client whose device is not there ----------------------------------------------------------
# A port nobody listens on: the device server is closed at once again.
device client-device absent 1
wait "$DEV_PID" 2>/dev/null
settings SOURCE=1 TCPHOST=127.0.0.1 "TCPPORT=$DEV_PORT"
start_app absent
sleep 1.5
harness_tray caption >/dev/null
harness_check "client without its device: the caption says 接続できません (127.0.0.1:$DEV_PORT)" \
  grep -q "接続できません (127.0.0.1:$DEV_PORT)" "$H_TMP/tray.out"
end_app

# ---- TCP server ------------------------------------------------------------------------------
SERVER_PORT=$($HARNESS_PYTHON -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
settings SOURCE=2 TCPHOST=127.0.0.1 "TCPPORT=$SERVER_PORT" TCPALLOW=127.0.0.1
start_app server
PEERS=$H_TMP/peers.log
: >"$PEERS"
$DEVICE peer 127.0.0.2 "$SERVER_PORT" 'BAD\r\n' "$PEERS"
harness_check "server: the peer from 127.0.0.2 is closed at once" grep -qE '^closed .* (reset|eof)$' "$PEERS"
: >"$PEERS"
$DEVICE peer 127.0.0.1 "$SERVER_PORT" 'OK1\r\n' "$PEERS" &
PEER_PID=$!
harness_check "server: the peer from 127.0.0.1 is typed" harness_wait_line "$PROBE_TEXT" 'OK1\{CR\}' 10
wait "$PEER_PID"
harness_expect_eq "server: the allowed peer stays connected" 1 "$(grep -c '^open ' "$PEERS")"
harness_check "server: nothing the refused peer sent is typed" bash -c "! grep -q BAD '$PROBE_TEXT'"
end_app

# ---- Telnet client -----------------------------------------------------------------------------
device telnet-device telnet 60
settings SOURCE=3 TCPHOST=127.0.0.1 "TCPPORT=$DEV_PORT"
start_app telnet
touch "$DEV_GO"
harness_check "telnet: the data is typed" harness_wait_line "$PROBE_TEXT" 'Z\{CR\}' 10
# The 0xFF byte starts a two-byte character for the framing (code page 932), which takes the
# first Z as its second byte.
harness_expect_eq "telnet: only the data is typed, IAC IAC as one 0xFF byte" "54ff5a7b43527d" \
  "$(od -An -tx1 "$PROBE_TEXT" | tr -d ' \n')"
harness_expect_eq "telnet: DO answered WONT, WILL answered DONT" "fffc18fffe01" \
  "$(sed -n 's/^got [0-9.]* //p' "$H_TMP/telnet.log" | tr -d '\n')"
end_app
kill "$DEV_PID" 2>/dev/null; wait "$DEV_PID" 2>/dev/null

harness_finish
