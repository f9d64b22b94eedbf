#!/usr/bin/env bash
# The shipped 32-bit program end to end: the i686 Tamblix.exe (build/win32, the one
# scripts/package zips) under 32-bit Wine in the i386 chroot that scripts/i386/prepare makes,
# run through qemu-i386 and binfmt_misc. A /F settings file with automatic start, a pty mapped
# as COM5 with the modem-status shim built for i386 preloaded, the i686 keyboard probe in
# front: the worked STX/ETX frame, a JIS kanji frame and a UTF-8 frame are typed and logged
# exactly; 表示 brings the main dialog back for a screenshot (build/screenshots/
# main_dialog_i686.png) and 終了 from the tray menu ends the process with status 1.
#
# Not a *_e2e.sh: scripts/test runs it as its own level. Without qemu-i386, binfmt_misc or the
# prepared chroot it says what is missing and fails. It works in a private mount namespace and
# unmounts what it mounted; the chroot's /dev has no serial devices (any /dev/ttyS* there is
# covered by /dev/null), so Wine cannot reach the machine's console.
#   TAMBLIX_BUILD_WIN32   the i686 build folder (default <root>/build/win32)
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
source "$ROOT/scripts/i386/env.sh"

missing() {
  echo "FAIL the 32-bit environment is not usable: $*"
  echo "     (scripts/setup prepares it: scripts/i386/prepare, as root)"
  echo "checks: 0 passed, 1 failed"
  exit 1
}
if [ -z "${I386_IN_NAMESPACE:-}" ]; then
  [ "$(id -u)" -eq 0 ] || missing "needs root (chroot and mounts)"
  [ -x "$I386_QEMU" ] || missing "no qemu-i386 at $I386_QEMU"
  why=$(i386_binfmt_status) || missing "$why"
  [ -f "$I386_READY" ] || missing "no prepared chroot at $I386_ROOT (marker $I386_READY missing)"
  I386_IN_NAMESPACE=1 exec unshare -m --propagation private bash "$0" "$@"
fi

source "$ROOT/tests/e2e/lib/harness.sh"
harness_init i686
# The harness finds programs in BUILD_WIN: here the i686 build, run in the chroot.
BUILD_WIN=${TAMBLIX_BUILD_WIN32:-$ROOT/build/win32}
harness_need_exe Tamblix.exe keyprobe.exe traydriver.exe
echo "NOTE 32-bit Wine runs through $(i386_binfmt_status)"

# One run at a time uses the chroot's run prefix.
exec 8>"$I386_CACHE/run.lock"
flock -w 600 8 || harness_abort "another 32-bit run holds $I386_CACHE/run.lock"

I386_WINE_ENV=(HOME="$I386_RUN/home" WINEPREFIX="$I386_RUN/prefix" WINEDEBUG=-all
               WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8)

# Wine programs run in the chroot. The run's folder (H_TMP) and the build folder are bound at
# the same paths inside it, so the harness's paths (and Z:\ paths) mean the same there.
harness_wine_bg() {
  local h__var=$1 h__secs=$2 h__out=$3 h__exe
  h__exe=$(harness_exe_path "$4"); shift 4
  ( exec timeout "$h__secs" "${I386_CHROOT[@]}" "${I386_WINE_ENV[@]}" DISPLAY="${DISPLAY:-}" \
      ${I386_PRELOAD:+LD_PRELOAD=$I386_PRELOAD} wine "$h__exe" "$@" ) >"$h__out" 2>&1 &
  H_PIDS+=("$!")
  printf -v "$h__var" '%s' "$!"
}

i386_cleanup() {
  local rc=$?
  local pid
  for pid in "${H_PIDS[@]}"; do harness_stop_pid "$pid"; done
  timeout 30 "${I386_CHROOT[@]}" "${I386_WINE_ENV[@]}" wineserver -k >/dev/null 2>&1
  i386_unmount_all
  [ "${HARNESS_KEEP:-0}" = 1 ] || rm -rf --one-file-system "${I386_ROOT:?}$I386_RUN"
  rmdir "$I386_ROOT$H_TMP" "$I386_ROOT$BUILD_WIN" 2>/dev/null
  (exit "$rc")
  harness_cleanup
}
trap i386_cleanup EXIT

bind_same() {  # bind_same DIR [ro]: DIR at the same path inside the chroot
  mkdir -p "$I386_ROOT$1" && i386_mount --bind "$1" "$I386_ROOT$1" &&
    { [ "${2:-}" != ro ] || mount -o remount,bind,ro "$I386_ROOT$1"; }
}
i386_mount_base || harness_abort "mounting /proc, /dev/pts, /dev/shm in the chroot failed"
bind_same "$H_TMP" || harness_abort "binding $H_TMP into the chroot failed"
bind_same "$BUILD_WIN" ro || harness_abort "binding $BUILD_WIN into the chroot failed"
mkdir -p "$I386_ROOT/tmp/.X11-unix"
harness_xvfb_start || harness_abort "Xvfb did not start"
i386_mount --bind /tmp/.X11-unix "$I386_ROOT/tmp/.X11-unix" || harness_abort "binding the X socket folder failed"
harness_check "no serial device of the machine inside the chroot" \
  test -z "$(find "$I386_ROOT/dev" -name 'ttyS*' ! -samefile /dev/null 2>/dev/null)"

harness_expect_eq "the program run is the i686 build" "pei-i386" \
  "$(x86_64-w64-mingw32-objdump -f "$BUILD_WIN/Tamblix.exe" | sed -n 's/.*file format //p')"

# The modem-status shim, built for i386 by the chroot's gcc.
cp "$ROOT/tests/e2e/shim/ptymodem.c" "$H_TMP/ptymodem.c"
timeout 300 "${I386_CHROOT[@]}" gcc -shared -fPIC -O2 -Wall -Wextra -Werror -o "$H_TMP/libptymodem.so" \
  "$H_TMP/ptymodem.c" -ldl >"$H_TMP/shim.log" 2>&1 || { cat "$H_TMP/shim.log"; harness_abort "the i386 shim did not build"; }
# ELF class 1 (32-bit), type 3 (shared object), machine 3 (i386).
harness_expect_eq "the modem-status shim is an i386 shared object" "01 0300 0300" \
  "$(od -An -tx1 -j4 -N1 "$H_TMP/libptymodem.so" | tr -d ' ') $(od -An -tx1 -j16 -N4 "$H_TMP/libptymodem.so" | tr -d ' \n' | sed 's/^\(....\)/\1 /')"
I386_PRELOAD=$H_TMP/libptymodem.so

# A fresh copy of the prepared win32 prefix; its COM5 is the link $I386_COM_LINK.
rm -rf "$I386_ROOT$I386_RUN"
cp -a "$I386_ROOT$I386_TEMPLATE" "$I386_ROOT$I386_RUN" || harness_abort "copying the prefix failed"
mkdir -p "$I386_ROOT$I386_WORK"
i386_mount --bind "$H_TMP" "$I386_ROOT$I386_WORK" || harness_abort "binding the work folder failed"
harness_port_restore
docs=$I386_ROOT$I386_RUN/prefix/drive_c/users/root/Documents
[ -L "$docs" ] && docs=$I386_ROOT$(readlink "$docs")
mkdir -p "$docs/Tamblix"
LOGS=$H_TMP/logs
mkdir -p "$LOGS"
harness_stx_etx_settings "$docs/Tamblixauto.ini" AUTOSTA=1 "$HARNESS_ENTER_AFTER" CONVCODE=1 \
  KANJIIN=1B24420000 KANJIOUT=1B28420000 LOGEXEC=1 LOGOPENMD=1 LOGNAME=1 LOGADDENT=1 \
  "LOGFOLDER=$(harness_winpath "$LOGS")" LOGFILE=i686.log

harness_wine_bg APP 400 "$H_TMP/app.out" Tamblix.exe /Fauto
harness_check "with automatic start, reception starts and the dialog hides in the tray" \
  harness_wait_state 'main=hidden about=0 splash=0' 120
harness_check "the start wrote the default settings file" harness_wait_file "$docs/Tamblix/Tamblix.ini" 30

harness_probe_start probe 200 || harness_abort "the i686 probe window did not get the foreground"
$HARNESS_PYTHON "$ROOT/tests/e2e/lib/serial_feed.py" --gap 500 "$H_TMP/device" \
  "02 34 39 31 32 03" \
  "02 53 4B 55 2D 1B 24 42 46 7C 4B 5C 1B 28 42 03" \
  "02 E3 81 82 E3 81 84 03"
harness_wait_count "$PROBE_RAW" '^KEYUP vk=0D ' 3 60
sleep 1
harness_expect_eq "STX/ETX, JIS kanji and UTF-8 frames typed into the window in front" \
  "4912{CR}SKU-日本{CR}あい{CR}" "$(iconv -f CP932 -t UTF-8 "$PROBE_TEXT" 2>/dev/null)"
harness_probe_stop
harness_wait_count "$LOGS/i686.log" . 3 10
harness_expect_eq "the three frames logged, one record each" \
  "$(printf '4912\r\nSKU-日本\r\nあい\r\n.')" "$(iconv -f CP932 -t UTF-8 "$LOGS/i686.log" 2>/dev/null; echo .)"

# 表示 from the tray menu: the main dialog as the user sees it, then 終了.
harness_tray post 273 150 0
harness_check "表示 brings the main dialog back" harness_wait_state 'main=shown' 30
sleep 2
SHOT=$ROOT/build/screenshots/main_dialog_i686.png
mkdir -p "$(dirname "$SHOT")"
harness_check "screenshot of the i686 main dialog ($SHOT)" \
  timeout 30 import -window root -display "$DISPLAY" "$SHOT"
harness_tray post 273 151 0
harness_check "終了 from the tray menu ends the program" harness_wait_pid "$APP" 60
wait "$APP"; rc=$?
harness__untrack "$APP"
harness_expect_eq "exit status after 終了" 1 "$rc"
harness_finish
