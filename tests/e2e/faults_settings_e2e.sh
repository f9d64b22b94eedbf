#!/usr/bin/env bash
# Faulty settings files against the real Tamblix.exe under Wine. For each fault the program is
# started anew and must come up with its main dialog showing the defaults; a start on the
# virtual COM5 must then receive a frame (shown in the dialog's displays, the dialog being in
# front). The faults: the default file replaced by random bytes, by an empty file, by a folder
# of that name (the save at start fails silently); a "/F" file of random bytes and over-long
# lines; a read-only default file and a read-only /F file (the save at start and 設定書込 leave
# them as they are; 設定書込 is first shown to write the /F file while it is writable).
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario faults_settings desktop port Tamblix.exe dlgdriver.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"

DOCS=$H_DOCS
INI_DIR=$DOCS/Tamblix
INI=$INI_DIR/Tamblix.ini
mkdir -p "$INI_DIR"

# The file a start writes for the default record with the port COM5 chosen.
DEFAULT_TEXT=$(printf '%s\r\n' '[Tamblix( TM ) Ver.2.5.2]' PORT=4 BAUD=0 BITS=1 PARITY=0 STOPBIT=0 \
  RTSC=0 CTSC=0 XFLOWC=0 AUTOSTA=0 DATADELAY=50 CONVCODE=0 DATAWAIT=10 SENDDELAY=10 \
  KANJIIN=0000000000 KANJIOUT=0000000000 KANAIN=0000000000 KANAOUT=0000000000 \
  RCVSTA=0000000000 RCVEND=0000000000 RCVSTAOUT=0 RCVENDOUT=0 \
  PRECODE=0000000000000000000000000000000000000000 POSTCODE=0000000000000000000000000000000000000000 \
  LOGEXEC=0 LOGNOSEND=0 LOGOPENMD=1 LOGFLSIZE=000A LOGDSPMSG=1 LOGABORT=1 LOGFOLDER= LOGFILE= \
  LOGNAME=1 LOGADDENT=1 LOGWDATE=0 LOGWTIME=0 SENDMODE=0 \
  REQCODE=0000000000000000000000000000000000000000 REQTIMER=0 REQAFTER=0 REQHOTKEY=0000 FILTER= \
  DUPTIME=0 TARGET= TARGETMODE=0 TARGETWAIT=30 IMEOFF=1 OUTPUT= SOURCE=0 TCPHOST= TCPPORT=4001 TCPALLOW= PORTID= | od -An -tx1 | tr -d ' \n')

drive() { harness_drive "$@"; }
# random_bytes N SEED: N pseudo-random bytes on stdout, the same for a seed.
random_bytes() {
  $HARNESS_PYTHON -c 'import random,sys; r=random.Random(int(sys.argv[2])); sys.stdout.buffer.write(bytes(r.randrange(256) for _ in range(int(sys.argv[1]))))' \
    "$1" "$2"
}
hex_of() { od -An -tx1 <"$1" | tr -d ' \n'; }

# start_program CASE [ARGS...]: starts Tamblix.exe, waits for its dialog.
start_program() {
  local name=$1; shift
  harness_wine_bg APP 120 "$H_TMP/$name.out" Tamblix.exe "$@"
  drive wait-window 60 >/dev/null || { harness_check "$name: the main dialog appears" false; return 1; }
  harness_check "$name: the program runs with its main dialog" kill -0 "$APP"
}
# expect_defaults CASE: a few controls of the dialog show the default record.
expect_defaults() {
  harness_expect_eq "$1: the dialog shows the defaults (COM1, 50, 10, 10, no codes, no auto start)" \
    "text 501 COM1|text 1031 50|text 1032 10|text 1033 10|text 1007 |text 1008 |checked 1055 0" \
    "$(drive gettext 501 gettext 1031 gettext 1032 gettext 1033 gettext 1007 gettext 1008 \
         checked 1055 | paste -sd '|')"
}
# receive CASE [PORTTEXT]: a start (on COM5 when PORTTEXT is given) receives a frame.
receive() {
  local name=$1
  if [ -n "${2:-}" ]; then drive settext 501 "$2" >/dev/null; fi
  harness_check "$name: the start opens the port (stop button enabled)" \
    drive click 1002 click 1 wait-enabled 3 1 20
  sleep 0.5
  $FEED "$H_TMP/device" "41 42"
  harness_check "$name: a frame is received (AB in the output display)" drive wait-text 1027 AB 10
  harness_expect_eq "$name: its bytes in the input display" "x41 x42" \
    "$(drive gettext 1026 | sed -n 's/^text 1026 //p' | sed 's/ *$//')"
}
# end_program CASE: stop, close, and the program ends.
end_program() {
  drive click 3 wait-enabled 1 1 10 command 2 >/dev/null
  harness_check "$1: the program ends by its close command" harness_wait_pid "$APP" 20
  wait "$APP" 2>/dev/null; harness__untrack "$APP"
}
# save_with_button: 設定書込, OK in the save dialog (it starts at the current file), then yes
# to replacing the existing file; false when a step finds no dialog.
save_with_button() {
  local title
  title=$(drive click 1001 wait-box 20 box-title | sed -n 's/^box-title //p')
  [ -n "$title" ] || return 1
  drive wait-box 5 box-command 1 >/dev/null || return 1
  drive /caption "$title" wait-box 10 box-command 6 >"$H_TMP/replace.txt" || return 1
  grep -q '^box ファイルは既に存在します' "$H_TMP/replace.txt"
}
no_temp_left() { ! ls "$INI_DIR" | grep -q '\.tmp$'; }

# --- the default file is random bytes ---------------------------------------------------------
random_bytes 8192 7 >"$INI"
start_program garbage && {
  expect_defaults garbage
  receive garbage COM5
  harness_expect_eq "garbage: the start replaced it with the default file (port COM5)" \
    "$DEFAULT_TEXT" "$(hex_of "$INI")"
  end_program garbage
}

# --- the default file is empty ----------------------------------------------------------------
: >"$INI"
start_program empty && {
  expect_defaults empty
  receive empty COM5
  harness_expect_eq "empty: the start wrote the default file (port COM5)" "$DEFAULT_TEXT" "$(hex_of "$INI")"
  end_program empty
}

# --- a folder stands where the default file should be ----------------------------------------
rm -f "$INI"; mkdir -p "$INI"; echo keep >"$INI/inside.txt"
start_program folder && {
  expect_defaults folder
  receive folder COM5
  harness_check "folder: the save at start left the folder as it was" \
    test -d "$INI" -a "$(cat "$INI/inside.txt" 2>/dev/null)" = keep
  harness_check "folder: no temporary file is left beside it" no_temp_left
  end_program folder
}
rm -rf "$INI"

# --- a /F file of random bytes and over-long lines -------------------------------------------
# The default file holds other values: with /F it must not be read.
printf '%s\r\n' '[Tamblix( TM ) Ver.2.5.2]' PORT=2 DATADELAY=77 >"$INI"
FILE_F=$DOCS/Tamblixjunk.ini
{
  random_bytes 4096 11
  printf '\r\nPORT=%s\r\n' "$(printf '9%.0s' $(seq 3000))"
  printf 'DATADELAY=-99999999999999999999\r\nBAUD=zz\r\nRCVSTA=GG02\r\n'
  printf 'LOGFOLDER=%s\r\n' "$(printf 'A%.0s' $(seq 5000))"
  printf 'LOGFILE=%s\r\n' "$(printf 'B%.0s' $(seq 400))"
  random_bytes 2048 12
} >"$FILE_F"
cp "$FILE_F" "$H_TMP/junk.copy"
start_program junk /Fjunk && {
  expect_defaults junk
  receive junk COM5
  harness_check "junk: the start does not write the /F file" cmp -s "$FILE_F" "$H_TMP/junk.copy"
  tr -d '\r' <"$INI" >"$H_TMP/junk.saved"
  harness_check "junk: the saved over-long LOGFOLDER fits its 1024 characters" \
    test "$(sed -n 's/^LOGFOLDER=//p' "$H_TMP/junk.saved" | tr -d '\n' | wc -c)" -le 1024
  harness_check "junk: the saved over-long LOGFILE fits its 50 characters" \
    test "$(sed -n 's/^LOGFILE=//p' "$H_TMP/junk.saved" | tr -d '\n' | wc -c)" -le 50
  harness_expect_eq "junk: the saved file has its 53 lines" 53 "$(wc -l <"$H_TMP/junk.saved")"
  end_program junk
}

# --- a /F file whose output template cannot be used: the start is refused with the reason ------
printf '%s\r\n' '[Tamblix( TM ) Ver.2.5.2]' PORT=4 'FILTER=(\d+)' 'OUTPUT=$1[NOKEY]' >"$DOCS/Tamblixbadout.ini"
start_program badoutput /Fbadout && {
  drive click 1 wait-box 20 close-box >"$H_TMP/badout.txt"
  harness_check "badoutput: the start is refused, naming the template and its unknown key" \
    grep -q '拡張設定の出力テンプレートを使えません.*\[NOKEY\]' <(tr -d '\r\n' <"$H_TMP/badout.txt")
  harness_expect_eq "badoutput: no port opened (start enabled, stop not)" "enabled 1 1|enabled 3 0" \
    "$(drive enabled 1 enabled 3 | paste -sd '|')"
  end_program badoutput
}

# --- read-only files when the program saves ---------------------------------------------------
# The default file (written by the start) and the /F file (written by 設定書込) are read-only.
printf '%s\r\n' '[Tamblix( TM ) Ver.2.5.2]' PORT=2 DATADELAY=66 >"$INI"
FILE_RO=$DOCS/Tamblixro.ini
printf '%s\r\n' '[Tamblix( TM ) Ver.2.5.2]' PORT=4 DATADELAY=77 >"$FILE_RO"
chmod 444 "$INI" "$FILE_RO"
cp "$INI" "$H_TMP/ro.default"
start_program readonly /Fro && {
  harness_expect_eq "readonly: the /F file is read (COM5, 77)" "text 501 COM5|text 1031 77" \
    "$(drive gettext 501 gettext 1031 | paste -sd '|')"
  drive settext 1032 33 >/dev/null
  receive readonly
  harness_check "readonly: the save at start leaves the default file unchanged" \
    cmp -s "$INI" "$H_TMP/ro.default"
  harness_check "readonly: no temporary file is left beside it" no_temp_left
  drive click 3 wait-enabled 1001 1 10 >/dev/null
  # 設定書込 works on the /F file: first writable (it is written), then read-only (it is not).
  chmod 644 "$FILE_RO"
  harness_check "readonly: 設定書込 with the /F file writable saves it" save_with_button
  harness_check "readonly: the saved /F file holds the changed DATAWAIT" \
    harness_wait_line "$FILE_RO" $'^DATAWAIT=33\r$' 10
  chmod 444 "$FILE_RO"
  cp "$FILE_RO" "$H_TMP/ro.f"
  drive settext 1032 44 >/dev/null
  harness_check "readonly: 設定書込 on the read-only /F file is answered" save_with_button
  sleep 3  # the writable save above lands within a second or two
  harness_check "readonly: 設定書込 leaves the read-only /F file unchanged" cmp -s "$FILE_RO" "$H_TMP/ro.f"
  harness_check "readonly: no temporary file beside the /F file" test ! -e "$FILE_RO.tmp"
  harness_expect_eq "readonly: the dialog still answers after the failed save" "text 1032 44" \
    "$(drive gettext 1032 | grep '^text')"
  end_program readonly
}
chmod 644 "$INI" "$FILE_RO" 2>/dev/null
harness_finish
