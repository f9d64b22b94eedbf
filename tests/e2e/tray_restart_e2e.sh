#!/usr/bin/env bash
# A shell still starting refuses the icon a few times; then a restarting shell: the
# notification area forgets the tray icon and then announces itself
# with the broadcast "TaskbarCreated"; the real Tamblix.exe adds its icon again, each time, so
# that 表示 and 終了 stay within reach. The icon is found as the shell scenario finds it.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario tray_restart desktop Tamblix.exe traydriver.exe trayrefuse.exe

# A shell still starting refuses the first four adds of the icon: the program tries again
# every 2 s, and its dialog, minimised meanwhile, stays on the taskbar (the only way back)
# until the icon is in; then it goes into the tray.
harness_wine_bg REFUSE 120 "$H_TMP/refuse.out" trayrefuse.exe 4
harness_wait_line "$H_TMP/refuse.out" '^ready' 20 || harness_abort "the stand-in shell did not start"
harness_expect_eq "the stand-in shell is the one the program finds" "ready first" "$(tr -d '\r' <"$H_TMP/refuse.out")"
SETTINGS=$H_TMP/tray.ini
: >"$SETTINGS"
harness_wine_bg APP 180 "$H_TMP/app.out" Tamblix.exe /F"$(harness_winpath "$SETTINGS")"
harness_check "the first add is refused" harness_wait_line "$H_TMP/refuse.out" '^refused add 1' 40
harness_check "the dialog is shown without an icon" harness_wait_state 'main=shown .* tray=0' 10
harness_tray minimize
harness_check "minimised without an icon, the dialog stays on the taskbar" harness_wait_state 'main=minimized .* tray=0' 5
harness_check "the adds are tried again until the shell takes one" harness_wait_line "$H_TMP/refuse.out" '^gone' 20
harness_check "with the icon in, the dialog goes into the tray" harness_wait_state 'main=hidden .* tray=1' 10
harness_tray post $WM_COMMAND $IDM_SHOW 0
harness_check "the main dialog is shown with its tray icon" harness_wait_state 'main=shown about=0 splash=0 window=1 tray=1' 20

for restart in 1 2; do
  harness_tray delete-icon
  harness_check "restart $restart: the shell has lost the icon" harness_wait_state 'tray=0' 10
  harness_tray taskbar-created
  harness_check "restart $restart: after TaskbarCreated the icon is back" harness_wait_state 'tray=1' 10
done

harness_tray post $WM_COMMAND $IDM_EXIT 0
harness_check "終了 still ends the process" harness_wait_pid "$APP" 20
wait "$APP"; rc=$?
harness__untrack "$APP"
harness_expect_eq "exit status after 終了" 1 "$rc"

harness_finish
