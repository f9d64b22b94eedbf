#!/usr/bin/env bash
# 設定読込 and 設定書込 end to end: the real Tamblix.exe under Wine, its common file dialogs
# driven as a user would (file name typed, 開く / 保存). A loaded file refills every control;
# the keys it lacks take their defaults, not the values the dialog held; DATADELAY=0 shows as 1.
# Saved under a new name, the file holds exactly the loaded record.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario main_dialog_files desktop Tamblix.exe dlgdriver.exe
drive() { harness_drive "$@"; }
crlf() { printf '%s\r\n' "$@"; }
HEADER='[Tamblix( TM ) Ver.2.5.2]'

# No BITS, PARITY, DATAWAIT, RCVSTA, RCVENDOUT or POSTCODE: the dialog is given other values
# for them first.
LOADED=$H_TMP/load.ini
crlf "$HEADER" PORT=6 BAUD=5 STOPBIT=2 RTSC=3 CTSC=1 XFLOWC=1 AUTOSTA=1 DATADELAY=0 CONVCODE=1 \
  SENDDELAY=777 KANJIIN=1B24420000 KANJIOUT=1B28420000 KANAIN=0E00000000 KANAOUT=0F00000000 \
  RCVEND=0D0A000000 RCVSTAOUT=1 PRECODE=0311014300000000000000000000000000000000 LOGEXEC=1 \
  LOGNOSEND=1 LOGOPENMD=0 LOGFLSIZE=07D0 LOGDSPMSG=0 LOGABORT=0 'LOGFOLDER=C:\logs' \
  'LOGFILE=LOG_&Y&M&D.log' LOGNAME=0 LOGADDENT=0 LOGWDATE=1 LOGWTIME=1 SENDMODE=1 >"$LOADED"
EXPECTED_SAVE=$(crlf "$HEADER" PORT=6 BAUD=5 BITS=1 PARITY=0 STOPBIT=2 RTSC=3 CTSC=1 XFLOWC=1 \
  AUTOSTA=1 DATADELAY=1 CONVCODE=1 DATAWAIT=10 SENDDELAY=777 KANJIIN=1B24420000 \
  KANJIOUT=1B28420000 KANAIN=0E00000000 KANAOUT=0F00000000 RCVSTA=0000000000 RCVEND=0D0A000000 \
  RCVSTAOUT=1 RCVENDOUT=0 PRECODE=0311014300000000000000000000000000000000 \
  POSTCODE=0000000000000000000000000000000000000000 LOGEXEC=1 LOGNOSEND=1 LOGOPENMD=0 \
  LOGFLSIZE=07D0 LOGDSPMSG=0 LOGABORT=0 'LOGFOLDER=C:\logs' 'LOGFILE=LOG_&Y&M&D.log' LOGNAME=0 \
  LOGADDENT=0 LOGWDATE=1 LOGWTIME=1 SENDMODE=1 \
  REQCODE=0000000000000000000000000000000000000000 REQTIMER=0 REQAFTER=0 REQHOTKEY=0000 FILTER= \
  DUPTIME=0 TARGET= TARGETMODE=0 TARGETWAIT=30 IMEOFF=1 OUTPUT= SOURCE=0 TCPHOST= TCPPORT=4001 TCPALLOW= PORTID= | od -An -tx1 | tr -d ' \n')
# control: what it shows after the load (texts of lists and edits, check states)
EXPECTED_FILL="text 501 COM7|text 502 4800|text 503 8|text 504 None|text 507 2|text 505 Toggle
text 508 あり|checked 510 1|checked 511 1|checked 1055 1|checked 1028 1|checked 1029 0
text 1031 1|text 1032 10|text 1033 777|text 1060 Unicode|text 1003 x1B x24 x42|text 1004 x1B x28 x42|text 1005 x0E
text 1006 x0F|text 1007 |text 1008 x0D x0A|text 1009 v11+v43|text 1010 |text 1011 <ESC> $ B
text 1015 |text 1017 [CTRL]+[C]|text 1018 "
READ_FILL=(gettext 501 gettext 502 gettext 503 gettext 504 gettext 507 gettext 505 gettext 508
  checked 510 checked 511 checked 1055 checked 1028 checked 1029 gettext 1031 gettext 1032
  gettext 1033 gettext 1060 gettext 1003 gettext 1004 gettext 1005 gettext 1006 gettext 1007 gettext 1008
  gettext 1009 gettext 1010 gettext 1011 gettext 1015 gettext 1017 gettext 1018)

# choose BUTTON PATH: 設定読込 (1000) or 設定書込 (1001), the path typed as the file name, then
# the dialog's OK button; true when the chooser came and went.
choose() {
  drive click "$1" wait-box 20 >/dev/null || return 1
  drive wait-box 5 box-settext 1148 "$(harness_winpath "$2")" box-command 1 sleep 500 >/dev/null &&
    drive wait-enabled 1 1 30 >/dev/null
}

harness_wine_bg APP 300 "$H_TMP/app.out" Tamblix.exe
drive wait-window 60 >/dev/null || harness_abort "the main dialog did not appear"
drive select 503 7 select 504 Odd settext 1032 33 settext 1007 x02 setcheck 1029 1 command 1029 \
  settext 1010 v0D sleep 300 >/dev/null
harness_check "設定読込: the chooser opens the file" choose 1000 "$LOADED"
harness_expect_eq "設定読込: every control is refilled; missing keys show their defaults" \
  "$(paste -sd '|' <<<"$EXPECTED_FILL")" "$(drive "${READ_FILL[@]}" | paste -sd '|')"
SAVED=$H_TMP/saved/new.ini
mkdir -p "${SAVED%/*}"
harness_check "設定書込: the chooser saves under a new name" choose 1001 "$SAVED"
harness_wait_file "$SAVED" 10
harness_expect_eq "設定書込: the new file holds the loaded record, DATADELAY held to 1" \
  "$EXPECTED_SAVE" "$(od -An -tx1 <"$SAVED" | tr -d ' \n')"

drive command 2 >/dev/null
harness_check "the close command ends the program" harness_wait_pid "$APP" 30
harness_finish
