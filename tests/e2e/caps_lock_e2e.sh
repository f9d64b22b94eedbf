#!/usr/bin/env bash
# Caps Lock around received data, through the real Tamblix.exe (automatic start, tray): with
# Caps Lock on a frame arrives between two Caps Lock toggles (off before, on again after), with
# it off no toggle is typed. Caps Lock is pressed as the user presses it (SendInput from another
# process), and each case waits until the probe in front has read that press, so the state is
# settled before the frame arrives: the reader thread, which reads no key messages itself, sees
# the system's toggle. The key list after each frame, "v25" (Left), arrives as an extended key.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario caps_lock desktop port Tamblix.exe traydriver.exe keyprobe.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"
mkdir -p "$H_DOCS/Tamblix"
harness_stx_etx_settings "$H_DOCS/Tamblixcaps.ini" AUTOSTA=1 \
  POSTCODE=0125000000000000000000000000000000000000

harness_wine_bg APP 240 "$H_TMP/app.out" Tamblix.exe /Fcaps
harness_check "reception starts by itself and the dialog hides" \
  harness_wait_state 'main=hidden about=0 splash=0' 60
harness_probe_start probe 180 || harness_abort "the probe window did not get the foreground"

# Key events of the probe after line FROM: D/U, the key code, "+" for an extended key.
events_after() {
  tail -n +$(($1 + 1)) "$PROBE_RAW" | awk '/^(SYS)?KEY(DOWN|UP) /{ sub("vk=", "", $2);
    printf "%s%s%s%s", sep, (($1 ~ /DOWN/) ? "D" : "U"), $2, (($4 == "ext=1") ? "+" : ""); sep=" " }'
}
lines() { wc -l <"$PROBE_RAW"; }

FRAME="D12 D60 U60 D66 U66 D65 U65 U12 D25+ U25+"  # "A" as Alt 0 6 5, then Left
TOGGLE="D14+ U14+"
user_presses_caps() {
  local before
  before=$(grep -c '^KEYUP vk=14 ' "$PROBE_RAW")
  harness_tray caps && harness_wait_count "$PROBE_RAW" '^KEYUP vk=14 ' $((before + 1)) 10
}

# case | how the state is set | the key events of one frame
CASES=(
  "Caps Lock off|true|$FRAME"
  "Caps Lock on, pressed by the user|user_presses_caps|$TOGGLE $FRAME $TOGGLE"
  "Caps Lock off again, pressed by the user|user_presses_caps|$FRAME"
)
for row in "${CASES[@]}"; do
  IFS='|' read -r name setup want <<<"$row"
  $setup || harness_note "$name: setting the state did not show in the probe"
  from=$(lines)
  done_before=$(grep -c '^KEYUP vk=25 ' "$PROBE_RAW")
  $FEED "$H_TMP/device" "02 41 03"
  harness_wait_count "$PROBE_RAW" '^KEYUP vk=25 ' $((done_before + 1)) 15
  sleep 0.5  # the restoring toggle follows the frame
  harness_expect_eq "$name: key events of one frame" "$want" "$(events_after "$from")"
done
harness_probe_stop

if [ "$H_FAIL" -gt 0 ]; then
  echo "---- probe raw events"; cat "$PROBE_RAW"
fi
harness_finish
