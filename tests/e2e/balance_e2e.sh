#!/usr/bin/env bash
# A balance that answers only when asked, end to end: Tamblix.exe sends the request (REQCODE
# "Q" CR LF) on its timer, after each frame, on its hot key and from the tray menu; the pattern
# types only the number of stable readings ("ST,+00012.34  g" -> "12.34", "US," lines not at
# all); nothing is sent after 中止. The device is tests/e2e/lib/balance.py on the virtual port.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario balance desktop port Tamblix.exe traydriver.exe dlgdriver.exe keyprobe.exe
IDM_REQUEST=$(harness__res_id IDM_REQUEST)
HOTKEY=0375  # Ctrl+Shift+F6 as the hot-key control gives it
requests() { grep -c '^request ' "$BALANCE_LOG" 2>/dev/null; true; }
# What the probe got since start_scale, a line a frame; the hot key's own Ctrl and Shift, which
# reach the window in front as they would from the keyboard, are not the program's.
typed_lines() {
  tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT" |
    sed 's/{CTRL+SHIFT+v75}//g; s/{SHIFT}//g; s/{CTRL}//g; s/{CR}/\n/g'
}
# The lines typed to their Enter: a weight still being typed when looked at is left out.
typed_whole_lines() { { typed_lines; echo; } | sed '$d'; }

# ---- the timer: REQTIMER 200 -------------------------------------------------------------------
# The requests the timer sent before the balance listened are dropped (BALANCE_DRAIN): their
# answers would keep the reader typing through the counted 2 s, longer the slower Wine starts
# the probe.
export BALANCE_DRAIN=1
harness_balance_start 6 REQTIMER=200
sleep 3
in_two_seconds=$(harness_requests_in_two_seconds "$BALANCE_LOG")
# A late timer sends once and runs on from now, so a reader Wine keeps waiting under load sends
# fewer (6 seen at a load of 17 on 2 cores); a period twice as long (5) or a burst (12 or more)
# still fails. The exact period is the schedule's unit test's.
harness_check "timer 200 ms: 6 to 11 requests in 2 s (got $in_two_seconds)" \
  test "$in_two_seconds" -ge 6 -a "$in_two_seconds" -le 11
harness_check "each stable weight typed as a number and Enter" \
  test "$(typed_lines | grep -cxE '12\.34|12\.56')" -ge 6
harness_expect_eq "nothing else typed, no unstable weight" "" "$(typed_whole_lines | grep -vxE '12\.34|12\.56|')"
# 中止 from the dialog: no request after it.
harness_tray post $WM_COMMAND $IDM_SHOW 0 >/dev/null
harness_drive wait-window 20 >/dev/null
harness_drive click "$IDC_STOP" >/dev/null
harness_drive wait-enabled "$IDC_START" 1 10 >/dev/null
before=$(requests); sleep 1
harness_expect_eq "nothing is sent after 中止" "$before" "$(requests)"
harness_balance_end

# ---- REQTIMER 1 written into the file: raised to 100 ms, not a request a millisecond -----------
harness_balance_start 4 REQTIMER=1
sleep 3
in_two_seconds=$(harness_requests_in_two_seconds "$BALANCE_LOG")
# 20 in 2 s at 100 ms; a late timer sends once and runs on from the end of typing the answer,
# so fewer while each answer is being typed (8 seen on a loaded machine, 2 once in CI); 61 were
# seen at 1 ms before the floor. The exact period is the schedule's unit test's; this row
# catches the flood, and a timer that 1 turned off (no request after the dropped ones).
harness_check "REQTIMER=1 in the file: at most about 10 requests a second ($in_two_seconds in 2 s)" \
  test "$in_two_seconds" -ge 1 -a "$in_two_seconds" -le 21
harness_balance_end
unset BALANCE_DRAIN

# ---- after each frame: REQAFTER, no timer ------------------------------------------------------
harness_balance_start 4 REQAFTER=1
# The request owed at the start went out before the balance listened; once in a CI run it never
# reached the balance (0 requests). The tray menu's request starts the chain the row counts.
harness_tray post $WM_COMMAND $IDM_REQUEST 0 >/dev/null
sleep 2
# Each request waits for the typing of the answer before it; 4 were seen at a load of 7, and a
# chain that stops after its first frame gives 1 (2 with the request of the start).
harness_check "after each frame: the balance keeps answering with no timer ($(requests) requests in 2 s)" \
  test "$(requests)" -ge 3
harness_balance_end

# ---- the hot key and the tray menu: one request each -------------------------------------------
# The balance answers 15 s: the held hot key below comes some 11 s after its start under load.
harness_balance_start 15 REQHOTKEY=$HOTKEY
sleep 1
harness_expect_eq "no request without the timer, REQAFTER or the key" 0 "$(requests)"
# Once in a CI run under load, Wine handed the injected chord to the window in front as typed
# keys instead of to the program's hot key (cause not pinned down; the caption is printed when
# it happens). One more press is allowed then: a program that never registered the key still
# fails, and the press that arrives still makes exactly one request.
for press in 1 2; do
  harness_tray hotkey "$HOTKEY" >/dev/null
  sleep 1.5
  [ "$(requests)" != 0 ] && break
  harness_tray caption >/dev/null
  echo "NOTE the hot key did not reach the program (press $press); $(tr -d '\r' <"$H_TMP/tray.out")"
done
harness_expect_eq "the hot key pressed once: one request" 1 "$(requests)"
harness_expect_eq "the hot key pressed once: one weight typed" "12.34" "$(typed_lines | tr -d '\n')"
harness_tray post $WM_COMMAND $IDM_REQUEST 0 >/dev/null
sleep 1.5
harness_expect_eq "要求コード送信 in the tray menu: one more request" 2 "$(requests)"
# The second answer is unstable: nothing more typed.
harness_expect_eq "the unstable answer is not typed" "12.34" "$(typed_lines | tr -d '\n')"
# The hot key pressed with Ctrl and Shift held 1.5 s after it: the answer waits for their
# release and is typed whole after it, never as Ctrl+Shift shortcuts.
harness_wine_bg HOLD_PID 20 "$H_TMP/hold.out" traydriver.exe hotkey "$HOTKEY" 1500
harness_wait_line "$H_TMP/hold.out" '^pressed' 10
sleep 1
harness_expect_eq "the hot key held: the request is sent, nothing is typed before the release" \
  "3 12.34" "$(requests) $(typed_lines | tr -d '\n')"
harness_wait_pid "$HOLD_PID" 10
sleep 0.5
harness_expect_eq "the hot key held: the answer is typed after the release" "12.3412.56" \
  "$(typed_lines | tr -d '\n')"
harness_balance_end

harness_finish
