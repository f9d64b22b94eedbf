#!/usr/bin/env bash
# The two send modes through the real Tamblix.exe: one frame of ASCII, half-width kana (SO/SI
# shift codes), JIS kanji (ESC $ B ... ESC ( B) and UTF-8 text (CONVCODE 1). With SENDMODE 1 it
# reaches a Unicode probe window as VK_PACKET key events whose WM_CHAR messages carry exactly
# the characters' UTF-16 units, in order, and Enter after it is still a key press; with SENDMODE
# 0 the same frame is typed as Alt codes; with SENDMODE 2 a window that reads the clipboard on
# Ctrl+V gets the frame's text once by pasting (no Alt codes, no VK_PACKET), then Enter, and the
# user's clipboard text is back afterwards; a window that never reads gets Ctrl+V and Enter,
# and the user's text is back after the bound. The log is byte for byte the same in both modes. Under
# a locale whose ANSI code page is not 932 (en_US.UTF-8) mode 1 still types the characters, the
# UTF-8 conversion still gives Shift_JIS and the program's texts (list entries, caption) are the
# right characters; in mode 0 the caption says that Alt codes type other characters there.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario send_mode desktop port Tamblix.exe traydriver.exe keyprobe.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"
mkdir -p "$H_DOCS/Tamblix"
LOGS=$H_TMP/logs
mkdir -p "$LOGS"

# A1, SO ｱｲ SI, ESC $ B 日本 ESC ( B, あ in UTF-8.
FRAME="02 41 31 0E 31 32 0F 1B 24 42 46 7C 4B 5C 1B 28 42 E3 81 82 03"
TEXT=A1ｱｲ日本あ
UNITS="41 31 FF71 FF72 65E5 672C 3042 0D"

# Settings added to the next runs, and the frame they send (the template rows set them).
EXTRA=()
SEND=$FRAME
# run_mode NAME SENDMODE [unicode [LOCALE [CHECK]]]: the program started with /FNAME in the given
# mode (under LOCALE, else the harness's ja_JP), the frame SEND sent once, the probe's records kept as
# H_TMP/NAME.raw and NAME.txt, the log as LOGS/NAME.log; CHECK runs while the program still
# receives; 終了 ends the program.
run_mode() {
  local name=$1 mode=$2 kind=${3:-} locale=${4:-$LANG} check=${5:-true} app
  harness_stx_etx_settings "$H_DOCS/Tamblix$name.ini" AUTOSTA=1 CONVCODE=1 SENDMODE="$mode" \
    KANJIIN=1B24420000 KANJIOUT=1B28420000 KANAIN=0E00000000 KANAOUT=0F00000000 \
    "$HARNESS_ENTER_AFTER" LOGEXEC=1 "LOGFOLDER=$(harness_winpath "$LOGS")" "LOGFILE=$name.log" "${EXTRA[@]}"
  # A start under another locale can take Wine over a minute on a loaded machine (seen in CI).
  LANG=$locale LC_ALL=$locale harness_wine_bg app 180 "$H_TMP/$name.out" Tamblix.exe "/F$name"
  harness_wait_state 'main=hidden about=0 splash=0' 120 || { harness_note "$name: no automatic start"; return 1; }
  harness_probe_start "$name" 60 $kind || { harness_note "$name: the probe is not in front"; return 1; }
  $FEED "$H_TMP/device" "$SEND"
  harness_wait_count "$PROBE_RAW" '^KEYUP vk=0D ' 1 20
  sleep 0.5
  harness_probe_stop
  $check
  harness_tray post "$WM_COMMAND" "$IDM_EXIT" 0
  harness_wait_pid "$app" 20
  harness_stop_pid "$app"
}
# chars RAWFILE: the WM_CHAR codes of a probe's records, in order.
chars() { sed -n 's/^CHAR code=\([0-9A-F]*\) .*/\1/p' "$1" | paste -sd ' '; }
typed() { iconv -f CP932 -t UTF-8 "$H_TMP/$1.txt" 2>/dev/null; }
# The main dialog's caption, read as UTF-16 by the driver.
caption() { harness_tray caption >/dev/null; tr -d '\r' <"$H_TMP/tray.out" | sed -n 's/^caption //p'; }
CAPTION="Tamblix( TM ) Ver.2.5.2"
NOTICE="$CAPTION - Altコードでは文字が化けます。送信方式を「Unicode」に"
IDC_SENDMODE=$(harness__res_id IDC_SENDMODE)
english_texts() {
  harness_expect_eq "ANSI code page not 932: the send mode entries read right" \
    "item $IDC_SENDMODE Altコード|item $IDC_SENDMODE Unicode|item $IDC_SENDMODE 貼り付け" \
    "$(harness_drive items "$IDC_SENDMODE" | paste -sd '|')"
  harness_expect_eq "ANSI code page not 932, mode 1: no notice" "$CAPTION" "$(caption)"
}
english_notice() {
  harness_expect_eq "ANSI code page not 932, mode 0: the caption says so while receiving" \
    "$NOTICE" "$(caption)"
}
japanese_caption() { harness_expect_eq "code page 932, mode 0: no notice" "$CAPTION" "$(caption)"; }

run_mode unicode 1 unicode
harness_expect_eq "mode 1: the WM_CHAR units of the frame and Enter, in order" "$UNITS" \
  "$(chars "$H_TMP/unicode.raw")"
harness_expect_eq "mode 1: every character came as VK_PACKET, Enter as its key" \
  "E7 E7 E7 E7 E7 E7 E7 0D" \
  "$(sed -n 's/^KEYDOWN vk=\([0-9A-F]*\) .*/\1/p' "$H_TMP/unicode.raw" | paste -sd ' ')"
harness_expect_eq "mode 1: the probe decodes the frame" "$TEXT{CR}" "$(typed unicode)"

run_mode altcode 0 "" "$LANG" japanese_caption
harness_expect_eq "mode 0: the same frame as Alt codes" "$TEXT{CR}" "$(typed altcode)"
harness_check "the log is byte for byte the same in both modes" \
  cmp "$LOGS/unicode.log" "$LOGS/altcode.log"
harness_expect_eq "the log holds the frame in Shift_JIS" "$TEXT" \
  "$(iconv -f CP932 -t UTF-8 "$LOGS/altcode.log" 2>/dev/null | tr -d '\r\n')"

# clip: the clipboard's text as the user sees it.
clip() { harness_tray clipget >/dev/null; tr -d '\r' <"$H_TMP/tray.out"; }
harness_tray clipset user-text-1 >/dev/null
run_mode paste 2 "unicode paste"
harness_expect_eq "mode 2: the frame's text pasted once, then Enter as its key" "$TEXT{CR}" "$(typed paste)"
harness_expect_eq "mode 2: one paste, no Alt codes or Unicode packets" "1 0 0" \
  "$(grep -c '^PASTE units=' "$H_TMP/paste.raw") $(grep -c 'vk=12 ' "$H_TMP/paste.raw") $(grep -c 'vk=E7 ' "$H_TMP/paste.raw")"
harness_expect_eq "mode 2: the user's clipboard text is back" "clip user-text-1" "$(clip)"
harness_check "mode 2: the log is byte for byte the same" cmp "$LOGS/paste.log" "$LOGS/altcode.log"
harness_tray clipset user-text-2 >/dev/null
run_mode noread 2 unicode
harness_expect_eq "mode 2, a window that never reads: Ctrl+V and Enter" "{CTRL+V}{CR}" "$(typed noread)"
harness_expect_eq "mode 2, a window that never reads: the user's text is back after the bound" \
  "clip user-text-2" "$(clip)"

run_mode english 1 unicode en_US.UTF-8 english_texts
harness_expect_eq "ANSI code page not 932, mode 1: the same units" "$UNITS" \
  "$(chars "$H_TMP/english.raw")"
harness_check "ANSI code page not 932: the UTF-8 conversion still gives Shift_JIS (the log)" \
  cmp "$LOGS/english.log" "$LOGS/altcode.log"
run_mode englishalt 0 "" en_US.UTF-8 english_notice

# The output template puts the fields in cells of their own in both modes: its Tabs are keys,
# its other characters typed as the data's are; the log has the keys by their names.
frame_hex() { printf '\x02%s\x03' "$1" | od -An -tx1 | xargs; }
EXTRA=('FILTER=^(\d+),(\w+),(\d+)$' "OUTPUT=\$1[TAB]\$2[TAB]'\$3")
SEND=$(frame_hex 123,ABC,007)
run_mode excelalt 0
harness_expect_eq "template, mode 0: 123 Tab ABC Tab '007 Enter" "123{TAB}ABC{TAB}'007{CR}" "$(typed excelalt)"
harness_expect_eq "template: the log has the keys by their names" "123[TAB]ABC[TAB]'007" \
  "$(tr -d '\r\n' <"$LOGS/excelalt.log")"
run_mode excelunicode 1 unicode
harness_expect_eq "template, mode 1: the same keys and characters" "123{TAB}ABC{TAB}'007{CR}" \
  "$(typed excelunicode)"
# Without a template only the outermost group is typed: once, not once per group.
EXTRA=('FILTER=^((\d+)\.\d+)')
SEND=$(frame_hex 12.5)
run_mode nested 0
harness_expect_eq "nested groups without a template: typed once" "12.5{CR}" "$(typed nested)"
harness_finish
