#!/usr/bin/env bash
# Keystrokes end to end: keysend.exe types the worked sequences with the real key output and
# its user32 executor while the keyboard probe is in front; the probe's raw key events and
# decoded text must show exactly those sequences.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

SENDDELAY=60
KEYPAUSE=20

harness_scenario keystrokes probe=90 keysend.exe

harness_wine_fg 60 "$H_TMP/keysend.log" keysend.exe "$SENDDELAY" "$KEYPAUSE"
send_rc=$?
# The last event sent is the second Caps Lock release.
harness_wait_count "$PROBE_RAW" '^KEYUP vk=14 ' 2 10
harness_probe_stop

harness_expect_eq "keysend ran to its end" "0 done" "$send_rc $(tail -n 1 "$H_TMP/keysend.log" | sed 's/^keysend: //' | tr -d '\r')"

# ---- raw events: each key down (D) or up (U) with its key code, in order; "+" marks a key
# that arrived as an extended key (lParam bit 24), as the real keyboard sends the navigation
# cluster, keypad Divide, Num Lock and the right Ctrl and Alt, and never the keypad digits of an
# Alt code or the main Enter key.
mapfile -t EVENTS < <(awk '/^(SYS)?KEY(DOWN|UP) /{ sub("vk=", "", $2);
  print (($1 ~ /DOWN/) ? "D" : "U") $2 (($4 == "ext=1") ? "+" : "") }' "$PROBE_RAW")
POS=0
# expect_events DESC TOKEN...: the next events are exactly these.
expect_events() {
  local desc=$1; shift
  local want="$*" got="${EVENTS[*]:$POS:$#}"
  harness_expect_eq "raw: $desc" "$want" "$got"
  POS=$((POS + $#))
}
# alt_code DIGITS: Alt down, each keypad digit down and up, Alt up.
alt_code() {
  local d out="D12"
  for d in $(echo "$1" | grep -o .); do out+=" D6$d U6$d"; done
  echo "$out U12"
}
# shellcheck disable=SC2046
{
  expect_events '"4" as Alt 0 5 2' $(alt_code 052)
  expect_events '"9" as Alt 0 5 7' $(alt_code 057)
  expect_events '"1" as Alt 0 4 9' $(alt_code 049)
  expect_events '"2" as Alt 0 5 0' $(alt_code 050)
  expect_events 'key list v0D is Enter down, up' D0D U0D
  expect_events '"あ" (82 A0) as Alt 3 3 4 4 0' $(alt_code 33440)
  expect_events 'half-width katakana B1 as Alt 1 7 7' $(alt_code 177)
  expect_events 'CR as the Enter key' D0D U0D
  expect_events 'key list v11+v43 is Ctrl D, C D, Ctrl U, C U' D11 D43 U11 U43
  expect_events 'arrows, Home, End, Page Up/Down, Insert, Delete are extended keys' \
    D25+ U25+ D26+ U26+ D27+ U27+ D28+ U28+ D24+ U24+ D23+ U23+ D21+ U21+ D22+ U22+ D2D+ U2D+ D2E+ U2E+
  expect_events 'keypad Divide, right Ctrl, right Alt, Num Lock twice are extended keys' \
    D6F+ U6F+ D11+ U11+ D12+ U12+ D90+ U90+ D90+ U90+
  expect_events 'Caps Lock toggled twice, as extended records' D14+ U14+ D14+ U14+
}
harness_expect_eq "raw: nothing else arrived" "${#EVENTS[@]}" "$POS"

# Scan codes: every key arrives with the scan code the executor looked up in the layout of the
# window in front (MapVirtualKeyExA).
declare -A SCAN
while read -r _ _ vk scan; do
  SCAN[$vk]=$scan
done < <(grep '^keysend: scan ' "$H_TMP/keysend.log" | tr -d '\r')
harness_check "keysend reported the layout's scan codes" test "${#SCAN[@]}" -eq 29
bad_scans=$(while read -r vk scan; do
  [ "${SCAN[$vk]:-none}" = "$scan" ] || echo "$vk:$scan(want ${SCAN[$vk]:-none})"
done < <(awk '/^(SYS)?KEY(DOWN|UP) /{ split($2, v, "="); split($3, c, "="); print v[2], c[2] }' "$PROBE_RAW") |
  sort -u | tr '\n' ' ')
harness_expect_eq "raw: every key carries the layout's scan code" "" "$bad_scans"
[ "${SCAN[60]:-}" = 00 ] && harness_note "this Wine layout maps the keypad keys to scan code 0"
harness_expect_eq "raw: Caps Lock state went on, then off" "caps=1 caps=0" \
  "$(awk '/^KEYDOWN vk=14 /{ printf "%s%s", sep, $8; sep=" " }' "$PROBE_RAW")"
harness_expect_eq "raw: both Enter presses reach the window as CR characters" 2 \
  "$(grep -c '^CHAR code=0D ' "$PROBE_RAW")"

# Pauses: SENDDELAY after each Alt down, KeyPause after the Enter key list.
min_alt_gap=$(awk '
  /^(SYS)?KEY(DOWN|UP) / { split($2, v, "="); split($9, t, "=");
    if (v[2] == "12" && $1 ~ /DOWN/) { altT = t[2]; first = 1; next }
    if (first && $1 ~ /DOWN/) { first = 0; if (v[2] !~ /^6[0-9]$/) next;  # right Alt alone
      g = t[2] - altT; if (min == "" || g < min) min = g } }
  END { print min + 0 }' "$PROBE_RAW")
harness_check "timing: first keypad digit follows Alt down after SENDDELAY (${min_alt_gap} ms >= $((SENDDELAY - 10)))" \
  test "$min_alt_gap" -ge $((SENDDELAY - 10))
enter_gap=$(awk '
  /^(SYS)?KEY(DOWN|UP) / { split($2, v, "="); split($9, t, "=");
    if (v[2] == "0D" && $1 ~ /UP/ && !seen) { upT = t[2]; seen = 1; next }
    if (seen == 1 && $1 ~ /DOWN/) { print t[2] - upT; seen = 2 } }' "$PROBE_RAW")
harness_check "timing: the next key follows the Enter key list after KeyPause (${enter_gap:-none} ms >= $((KEYPAUSE - 5)))" \
  test "${enter_gap:--1}" -ge $((KEYPAUSE - 5))

# ---- decoded text --------------------------------------------------------------------------
hex() { od -An -tx1 -v | tr -d ' \n'; }
EXTENDED_TEXT='{v25}{v26}{v27}{v28}{v24}{v23}{v21}{v22}{v2D}{v2E}{v6F}{CTRL}{ALT}{v90}{v90}'
expected=$(printf '4912{CR}\x82\xa0\xb1{CR}{CTRL+C}%s{CAPS}{CAPS}' "$EXTENDED_TEXT" | hex)
harness_expect_eq "decoded: 4912{CR} あ ｱ {CR}{CTRL+C}, the extended keys, {CAPS}{CAPS} (hex)" "$expected" "$(hex <"$PROBE_TEXT")"
harness_expect_eq "decoded as UTF-8" "4912{CR}あｱ{CR}{CTRL+C}${EXTENDED_TEXT}{CAPS}{CAPS}" \
  "$(iconv -f CP932 -t UTF-8 <"$PROBE_TEXT" 2>/dev/null)"

if [ "$H_FAIL" -gt 0 ]; then
  echo "---- probe raw events"; cat "$PROBE_RAW"
  echo "---- keysend output"; cat "$H_TMP/keysend.log"
fi
harness_finish
