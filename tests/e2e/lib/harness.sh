# Harness of the end-to-end scenarios under Wine. A scenario sources this file, calls
# harness_init, starts what it needs and ends with harness_finish. Everything the harness
# starts is tracked by pid and ended by the EXIT trap; nothing else is touched.
#
#   harness_init NAME            Finds the repository root from this file's location, sources
#                                scripts/lib/wine.sh, makes the temporary folder H_TMP, sets the
#                                cleanup trap and starts the clock. HARNESS_ARCH is the build the
#                                scenario runs: $TAMBLIX_E2E_ARCH, i686 (the shipped program, the
#                                default) or x64; BUILD_WIN is its folder: $TAMBLIX_BUILD_WIN, else
#                                <root>/build/win32 (i686) or <root>/build/win64 (x64). The
#                                scenario's name in its output carries the build ("reception
#                                [i686]").
#   harness_need_exe EXE...      Aborts (exit 2) unless each EXE exists in BUILD_WIN.
#   harness_scenario NAME [desktop] [port] [probe=SECS] EXE...
#                                The common start of a scenario: harness_init NAME, the EXEs
#                                checked, Xvfb, a new prefix, then on request the virtual
#                                desktop, the virtual port COM5 and the probe in front (keyprobe
#                                recording to H_TMP/probe.*); aborts when a step fails. Every
#                                scenario with windows asks for the desktop: without a window
#                                manager Wine waits 2 s for each window it shows or hides
#                                (winex11's wait for the withdrawn state), which was half the
#                                time of a scenario that starts a program ten times.
#   harness_xvfb_start           Exports DISPLAY=$HARNESS_DISPLAY when set (an Xvfb that
#                                scripts/test keeps for the scenarios of one lane, run one after
#                                another; the harness neither starts nor ends it). Else starts Xvfb
#                                on a free display (chosen by Xvfb itself through -displayfd),
#                                waits up to 20 s for it and exports DISPLAY. Xvfb runs under
#                                `timeout` (HARNESS_MAX_SECONDS, default 900), so even a killed
#                                harness cannot leave it running for long.
#   harness_wine_prefix          Creates a private Wine prefix and HOME in H_TMP/wine
#                                (wine_prefix_new: a copy of the run's template prefix when
#                                TAMBLIX_WINE_TEMPLATE names a ready one, else by wineboot); its
#                                wineserver is ended by the cleanup.
#   harness_set_dpi DPI          Wine's display DPI (LogPixels) for the prefix, for every program
#                                started afterwards, the virtual desktop included.
#   harness_reg_set system|user KEY NAME VALUE
#                                Sets a registry value of the prefix in its file (the wineserver
#                                is ended first); VALUE a string or dword:XXXXXXXX.
#   harness_winpath PATH         Prints the Windows form (Z:\...) of an absolute Linux path.
#   harness_wine_bg VAR SECS OUT EXE [ARGS...]
#                                Starts BUILD_WIN/EXE (or EXE when it is a path) in the
#                                background under Wine, with the machine's /dev/ttyS* hidden
#                                and a time limit of SECS; stdout and stderr go to OUT. Stores
#                                the pid in VAR and tracks it for the cleanup.
#   harness_wine_fg SECS OUT EXE [ARGS...]
#                                The same in the foreground; returns the program's exit status
#                                (124 when the time limit ended it).
#   harness_wait_file FILE SECS  Waits until FILE exists and is not empty; 1 on time-out.
#   harness_wait_line FILE REGEX SECS
#                                Waits until a line of FILE matches the extended REGEX.
#   harness_wait_count FILE REGEX N SECS
#                                Waits until at least N lines of FILE match REGEX.
#   harness_wait_pid PID SECS    Waits until the process PID has ended; 1 on time-out.
#   harness_stop_pid PID         Ends a process the harness started: TERM, up to 5 s, KILL.
#   harness_second_port          A second virtual port, COM6, its device side H_TMP/device6.
#   harness_probe_start NAME [SECS [OPTION...]]
#                                Starts keyprobe.exe (lifetime SECS, default 120; options:
#                                "unicode": a Unicode window, which decodes VK_PACKET characters;
#                                "title=TEXT": its title) recording to H_TMP/NAME.raw and
#                                H_TMP/NAME.txt and waits until its window is in front. Sets
#                                PROBE_PID, PROBE_RAW (raw events) and PROBE_TEXT (decoded text).
#                                Fails when the probe does not get the foreground. HARNESS_PROBE_EXE
#                                names another copy of the probe (a path) to run instead.
#                                The probe comes to the front again when NAME.raw.front appears,
#                                and minimises itself when NAME.raw.min appears.
#   harness_probe_stop           Asks the probe to close (its stop file), waits up to 10 s, then
#                                ends it by pid.
#   harness_unix_pid EXE         Prints the pid of the Linux process in which Wine runs EXE (a
#                                program of this prefix named EXE, e.g. Tamblix.exe).
#   harness_unix_status PID FIELD
#                                Prints the number of FIELD (RssAnon, Threads, ...) of
#                                /proc/PID/status; -1 when the process or the field is missing.
#   harness_check DESC CMD...    Runs CMD; prints "PASS DESC" or "FAIL DESC" and counts failures;
#                                returns 1 after a failure.
#   harness_expect_eq DESC EXPECTED ACTUAL
#                                Compares two strings; on failure prints both.
#   harness_note TEXT            Prints "NOTE TEXT".
#   harness_abort TEXT           Prints "FAIL TEXT" and exits 1 (the trap cleans up).
#   harness_finish               Prints the check counts and "FIGURE <name> took N.N s", exits 0
#                                when every check passed, else 1.
#   harness_balance_start SECS KEY=VALUE...
#   harness_balance_end          Tamblix.exe with the settings of a balance polled by requests,
#                                and the simulated balance on the device side (see below).
#   harness_typist_start NAME "PROBE-OPTIONS" KEY=VALUE...
#   harness_typist_feed HEX SECS [FEED-OPTION...]
#   harness_typist_end           Tamblix.exe typing frames written to the port into a probe,
#                                for the benches (see below).
#   harness_requests_in_two_seconds LOG
#                                Prints how many requests the balance's LOG holds in 2 s.
#
# Cleanup (trap on EXIT, INT, TERM): ends the tracked Wine programs by pid, runs wineserver -k
# for the harness's own prefix only, ends its own Xvfb (if it started one) by pid and removes
# H_TMP (kept when HARNESS_KEEP=1, for looking at the files of a failed run).

# The Python of the device stand-ins, resolved once: a version manager's shim (pyenv's, on this
# machine kind) costs half a second of processor at each start, and the scenarios start hundreds.
HARNESS_PYTHON=$(python3 -c 'import sys; print(sys.executable)' 2>/dev/null)
[ -x "$HARNESS_PYTHON" ] || HARNESS_PYTHON=python3
HARNESS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
HARNESS_ROOT=$(cd "$HARNESS_DIR/../../.." && pwd)
HARNESS_MAX_SECONDS=${HARNESS_MAX_SECONDS:-900}

H_NAME=
H_TMP=
H_PIDS=()
H_XVFB_PID=
H_PREFIX_MADE=0
H_PASS=0
H_FAIL=0
H_START_NS=0

harness_init() {
  H_NAME=$1
  # shellcheck source=/dev/null
  source "$HARNESS_ROOT/scripts/lib/wine.sh"
  HARNESS_ARCH=${TAMBLIX_E2E_ARCH:-i686}
  case $HARNESS_ARCH in
    i686) BUILD_WIN=${TAMBLIX_BUILD_WIN:-$HARNESS_ROOT/build/win32} ;;
    x64) BUILD_WIN=${TAMBLIX_BUILD_WIN:-$HARNESS_ROOT/build/win64} ;;
    *) echo "FAIL TAMBLIX_E2E_ARCH must be i686 or x64, not $HARNESS_ARCH"; exit 2 ;;
  esac
  echo "NOTE $H_NAME [$HARNESS_ARCH]: $BUILD_WIN"
  H_TMP=$(mktemp -d "/tmp/tamblix-e2e-$H_NAME.XXXXXX") || { echo "FAIL no temporary folder"; exit 1; }
  H_START_NS=$(date +%s%N)
  trap harness_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

harness_need_exe() {
  local e
  for e in "$@"; do
    if [ ! -f "$BUILD_WIN/$e" ]; then
      echo "FAIL $BUILD_WIN/$e is missing (build the $(harness__preset) preset first)"
      exit 2
    fi
  done
}

harness_scenario() {
  local desktop=0 port=0 probe= exes=() a
  harness_init "$1"; shift
  for a in "$@"; do
    case $a in
      desktop) desktop=1 ;;
      port) port=1 ;;
      probe=*) probe=${a#probe=}; exes+=(keyprobe.exe) ;;
      *) exes+=("$a") ;;
    esac
  done
  harness_need_exe "${exes[@]}"
  harness_xvfb_start || harness_abort "Xvfb did not start"
  harness_wine_prefix
  [ "$desktop" = 1 ] && harness_virtual_desktop
  [ "$port" = 1 ] && harness_virtual_port
  if [ -n "$probe" ]; then
    harness_probe_start probe "$probe" || harness_abort "the probe window did not get the foreground"
  fi
  return 0
}

harness_xvfb_start() {
  if [ -n "${HARNESS_DISPLAY:-}" ]; then
    export DISPLAY=$HARNESS_DISPLAY
    return 0
  fi
  local fdfile=$H_TMP/xvfb.display
  : >"$fdfile"
  timeout "$HARNESS_MAX_SECONDS" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$fdfile" >"$H_TMP/xvfb.log" 2>&1 &
  H_XVFB_PID=$!
  if ! harness_wait_file "$fdfile" 20; then
    echo "NOTE Xvfb did not report a display"; tail -n 5 "$H_TMP/xvfb.log"
    return 1
  fi
  export DISPLAY=":$(tr -dc '0-9' <"$fdfile")"
}

# harness_wine_prefix: a new prefix and HOME. H_DOCS is the documents folder the program finds
# there (HOME itself when the prefix has no Documents), H_DEFAULT_INI its default settings file.
harness_wine_prefix() {
  wine_prefix_new "$H_TMP/wine"
  H_PREFIX_MADE=1
  H_DOCS=$HOME/Documents
  [ -d "$H_DOCS" ] || H_DOCS=$HOME
  H_DEFAULT_INI=$H_DOCS/Tamblix/Tamblix.ini
}

harness_winpath() {
  local p=$1
  printf 'Z:%s' "${p//\//\\}"
}

harness_exe_path() {
  case $1 in
    /*) printf '%s' "$1" ;;
    *) printf '%s' "$BUILD_WIN/$1" ;;
  esac
}

# Runs "$@" in a private mount namespace with /dev/ttyS* hidden, as wine_masked does, but by
# exec all the way down, so that the caller's pid is the `timeout` that runs Wine.
harness__masked_exec() {
  exec unshare -m --propagation private bash -c '
    for t in /dev/ttyS*; do [ -e "$t" ] && mount --bind /dev/null "$t"; done
    exec "$@"' harness_masked "$@"
}

harness_wine_bg() {
  local h__var=$1 h__secs=$2 h__out=$3 h__exe
  h__exe=$(harness_exe_path "$4"); shift 4
  ( harness__masked_exec timeout "$h__secs" "$WINE64" "$h__exe" "$@" ) >"$h__out" 2>&1 &
  H_PIDS+=("$!")
  printf -v "$h__var" '%s' "$!"
}

harness_wine_fg() {
  local fg_pid= fg_rc
  harness_wine_bg fg_pid "$1" "$2" "${@:3}"
  wait "$fg_pid"
  fg_rc=$?
  harness__untrack "$fg_pid"
  return "$fg_rc"
}

harness_wait_file() {
  local file=$1 secs=$2 i
  for ((i = 0; i < secs * 10; i++)); do
    [ -s "$file" ] && return 0
    sleep 0.1
  done
  return 1
}

harness_wait_line() {
  harness_wait_count "$1" "$2" 1 "$3"
}

harness_wait_count() {
  local file=$1 re=$2 n=$3 secs=$4 i c
  for ((i = 0; i < secs * 10; i++)); do
    c=$(grep -cE -- "$re" "$file" 2>/dev/null)
    [ "${c:-0}" -ge "$n" ] && return 0
    sleep 0.1
  done
  return 1
}

harness_wait_pid() {
  local pid=$1 secs=$2 i
  for ((i = 0; i < secs * 10; i++)); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# Once reaped, a pid is forgotten, so that the cleanup can never signal a reused pid.
harness__untrack() {
  local keep=() p
  for p in "${H_PIDS[@]}"; do [ "$p" = "$1" ] || keep+=("$p"); done
  H_PIDS=("${keep[@]}")
}

harness_stop_pid() {
  local pid=$1
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null
    harness_wait_pid "$pid" 5 || kill -KILL "$pid" 2>/dev/null
  fi
  wait "$pid" 2>/dev/null
  harness__untrack "$pid"
  return 0
}

harness_probe_start() {
  local name=$1 secs=${2:-120}
  PROBE_RAW=$H_TMP/$name.raw
  PROBE_TEXT=$H_TMP/$name.txt
  rm -f "$PROBE_RAW" "$PROBE_RAW.stop" "$PROBE_TEXT"
  harness_wine_bg PROBE_PID $((secs + 30)) "$H_TMP/$name.out" "${HARNESS_PROBE_EXE:-keyprobe.exe}" \
    "$(harness_winpath "$PROBE_RAW")" "$(harness_winpath "$PROBE_TEXT")" "$secs" "${@:3}"
  if ! harness_wait_line "$PROBE_RAW" '^READY' 60; then
    echo "NOTE the probe did not start"; tail -n 5 "$H_TMP/$name.out"
    return 1
  fi
  grep -q '^READY fg=1' "$PROBE_RAW"
}

harness_probe_stop() {
  [ -n "${PROBE_PID:-}" ] || return 0
  : >"$PROBE_RAW.stop"
  harness_wait_pid "$PROBE_PID" 10
  harness_stop_pid "$PROBE_PID"
  PROBE_PID=
}

harness_check() {
  local desc=$1; shift
  if "$@"; then
    echo "PASS $desc"; H_PASS=$((H_PASS + 1))
  else
    echo "FAIL $desc"; H_FAIL=$((H_FAIL + 1)); return 1
  fi
}

harness_expect_eq() {
  if [ "$2" = "$3" ]; then
    echo "PASS $1"; H_PASS=$((H_PASS + 1))
  else
    echo "FAIL $1"; echo "  expected: $2"; echo "  actual:   $3"; H_FAIL=$((H_FAIL + 1))
  fi
}

harness_note() { echo "NOTE $*"; }

harness_abort() {
  echo "FAIL $*"
  exit 1
}

harness_finish() {
  local ns=$(( $(date +%s%N) - H_START_NS ))
  echo "checks: $H_PASS passed, $H_FAIL failed"
  printf 'FIGURE %s [%s] took %d.%d s\n' "$H_NAME" "$HARNESS_ARCH" $((ns / 1000000000)) $(( (ns / 100000000) % 10 ))
  [ "$H_FAIL" -eq 0 ] && [ "$H_PASS" -gt 0 ] && exit 0
  exit 1
}

harness_cleanup() {
  local rc=$? pid
  trap - EXIT
  for pid in "${H_PIDS[@]}"; do harness_stop_pid "$pid"; done
  if [ "$H_PREFIX_MADE" = 1 ]; then wine_stop; fi
  if [ -n "$H_XVFB_PID" ]; then harness_stop_pid "$H_XVFB_PID"; fi
  if [ -n "$H_TMP" ] && [ -d "$H_TMP" ]; then
    if [ "${HARNESS_KEEP:-0}" = 1 ]; then echo "NOTE kept $H_TMP"; else rm -rf "$H_TMP"; fi
  fi
  exit "$rc"
}

# harness_virtual_port: a pty pair whose Wine side is mapped as COM5 (H_TMP/com5) and whose
# device side (H_TMP/device) the scenario writes to; socat is tracked for the cleanup. Exports
# LD_PRELOAD with the modem-status shim (harness_pty_shim).
harness_virtual_port() {
  local shim
  shim=$(harness_pty_shim) || harness_abort "$shim"
  harness_port_restore
  harness_reg_set system 'Software\Wine\Ports' COM5 "$H_TMP/com5"
  export LD_PRELOAD=$shim
}

# harness_pty_shim: prints the LD_PRELOAD entry of the modem-status shim: $TAMBLIX_PTY_SHIM, else
# build/native/preload/$LIB/libptymodem.so, which the loader reads as the 64-bit or the 32-bit
# library for each process (the i686 program runs in 32-bit Wine processes, the wineserver and
# the 64-bit programs in 64-bit ones). Prints why and fails when the build the scenario runs
# has no shim of its class.
harness_pty_shim() {
  if [ -n "${TAMBLIX_PTY_SHIM:-}" ]; then
    [ -f "$TAMBLIX_PTY_SHIM" ] || { echo "no modem-status shim at $TAMBLIX_PTY_SHIM"; return 1; }
    echo "$TAMBLIX_PTY_SHIM"; return 0
  fi
  local dir=$HARNESS_ROOT/build/native/preload lib=x86_64-linux-gnu
  [ "$HARNESS_ARCH" = i686 ] && lib=i386-linux-gnu
  [ -f "$dir/lib/$lib/libptymodem.so" ] ||
    { echo "no modem-status shim at $dir/lib/$lib (build the native preset; 32-bit: gcc-multilib)"; return 1; }
  printf '%s' "$dir/\$LIB/libptymodem.so"
}

# harness__preset: the build preset of the build the scenario runs.
harness__preset() { [ "$HARNESS_ARCH" = i686 ] && echo win32 || echo win64; }

# harness_port_drop: the device goes away: the pty pair is closed (socat ends and removes both
# links) while the program may still hold the port open.
harness_port_drop() {
  [ -n "${H_SOCAT_PID:-}" ] || return 0
  harness_stop_pid "$H_SOCAT_PID"
  H_SOCAT_PID=
  rm -f "$H_TMP/com5" "$H_TMP/device"
}

# harness_port_restore: a new pty pair behind the same two names (the registry mapping stays).
harness_port_restore() {
  harness__pty_pair "$H_TMP/com5" "$H_TMP/device"
  H_SOCAT_PID=$H_PAIR_PID
}

# harness__pty_pair WINE_SIDE DEVICE_SIDE: a pty pair behind two links; socat's pid in H_PAIR_PID.
harness__pty_pair() {
  socat pty,raw,echo=0,link="$1" pty,raw,echo=0,link="$2" &
  H_PAIR_PID=$!
  H_PIDS+=("$H_PAIR_PID")
  local _
  for _ in $(seq 50); do [ -L "$2" ] && break; sleep 0.1; done
  [ -L "$2" ] || harness_abort "socat made no pty pair"
}

# harness_second_port: a second virtual port beside COM5 (after harness_virtual_port, before the
# probe starts: the mapping restarts the wineserver): a pty pair whose Wine side is mapped as
# COM6 (H_TMP/com6) and whose device side is H_TMP/device6.
harness_second_port() {
  harness__pty_pair "$H_TMP/com6" "$H_TMP/device6"
  harness_reg_set system 'Software\Wine\Ports' COM6 "$H_TMP/com6"
}

# harness_prefix_pids: the processes of this scenario's own Wine prefix (those whose environment
# holds its WINEPREFIX: its wineserver and every program run in it), not those of other runs.
# harness_prefix_cpu_percent SECS: per cent of one core that the processes of this scenario's
# Wine prefix used over the next SECS seconds.
harness_prefix_cpu_percent() {
  local procs t0 t1
  procs=$(harness_prefix_pids | tr '\n' ' ')
  # shellcheck disable=SC2086
  t0=$(harness_cpu_ticks $procs)
  sleep "$1"
  # shellcheck disable=SC2086
  t1=$(harness_cpu_ticks $procs)
  echo $(( (t1 - t0) * 100 / ($(getconf CLK_TCK) * $1) ))
}

harness_prefix_pids() {
  local p
  for p in /proc/[0-9]*; do
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null && echo "${p#/proc/}"
  done
}

harness_unix_pid() {
  local p
  for p in $(harness_prefix_pids); do
    { tr '\0' '\n' <"/proc/$p/cmdline"; } 2>/dev/null | head -n 1 | grep -qF "\\$1" && { echo "$p"; return 0; }
  done
  return 1
}

harness_unix_status() {
  local v
  v=$(sed -n "s/^$2:[[:space:]]*\([0-9]*\).*/\1/p" "/proc/$1/status" 2>/dev/null)
  echo "${v:--1}"
}

# harness_cpu_ticks PID...: the processes' user + system clock ticks so far (0 for a gone one).
harness_cpu_ticks() {
  local total=0 pid f
  for pid in "$@"; do
    f=$(cut -d' ' -f14,15 "/proc/$pid/stat" 2>/dev/null) || continue
    total=$(( total + ${f% *} + ${f#* } ))
  done
  echo "$total"
}

# harness_virtual_desktop: every program of the prefix runs in one Wine virtual desktop, which
# draws captions and a tray, so that screenshots show dialogs as a user sees them.
harness_virtual_desktop() {
  harness_reg_set user 'Software\Wine\Explorer' Desktop Default
  harness_reg_set user 'Software\Wine\Explorer\Desktops' Default 1280x1024
}

harness_set_dpi() {
  harness_reg_set user 'Control Panel\Desktop' LogPixels "dword:$(printf '%08x' "$1")"
}

# harness_reg_set system|user KEY NAME VALUE: sets a value of the prefix's registry (HKLM or HKCU;
# KEY below it, e.g. 'Software\Wine\Ports') in its file, with the wineserver ended first: the
# server reads the files when it starts and writes them when it ends. VALUE is a string, or
# dword:XXXXXXXX. A `reg add` would start a wineserver with all of its services for each value,
# then a second one to read it: seconds of processor per scenario, which run beside each other.
harness_reg_set() {
  local file=$WINEPREFIX/$1.reg key=${2//\\/\\\\} value=$4
  timeout 20 "$WINESERVER" -k >/dev/null 2>&1
  timeout 20 "$WINESERVER" -w >/dev/null 2>&1
  if [[ $value != dword:* ]]; then
    value=${value//\\/\\\\}
    value=\"${value//\"/\\\"}\"
  fi
  # A later section of a key adds its values to the key that the file already holds.
  printf '\n[%s] %s\n"%s"=%s\n' "$key" "$(date +%s)" "$3" "$value" >>"$file"
}

# harness_screenshot NAME [LEFT TOP WIDTH HEIGHT]: the whole display, or that part of it, as
# build/screenshots/NAME.png; true when written.
harness_screenshot() {
  local dir=$HARNESS_ROOT/build/screenshots crop=()
  mkdir -p "$dir"
  [ $# -ge 5 ] && crop=(-crop "$4x$5+$2+$3" +repage)
  timeout 20 import -window root -display "$DISPLAY" "${crop[@]}" "$dir/$1.png" && test -s "$dir/$1.png"
}

# ---- GUI drivers -------------------------------------------------------------------------------
# Window messages the scenarios send, and the program's own menu and control ids, the latter
# read from res/ so that a scenario cannot drift from the program.
WM_CLOSE=16
WM_COMMAND=273
WM_RBUTTONDOWN=516
IDCANCEL=2
harness__res_id() { sed -nE "s/^#define $1 ([0-9]+).*/\1/p" "$HARNESS_ROOT"/res/ids_*.h | head -n 1; }
IDM_SHOW=$(harness__res_id IDM_SHOW)
IDM_EXIT=$(harness__res_id IDM_EXIT)
IDM_ABOUT=$(harness__res_id IDM_ABOUT)
IDC_START=$(harness__res_id IDC_START)
IDC_STOP=$(harness__res_id IDC_STOP)
IDC_LOGO=$(harness__res_id IDC_LOGO)

# harness_drive ARGS...: one dlgdriver run; prints its output (CR removed, code page 932 turned
# to UTF-8) and returns its status.
harness_drive() {
  harness_wine_fg 60 "$H_TMP/drv.out" dlgdriver.exe "$@"
  local rc=$?
  iconv -f CP932 -t UTF-8 "$H_TMP/drv.out" 2>/dev/null | tr -d '\r'
  return $rc
}

# harness_text_of ID: the text of control ID of the main dialog.
harness_text_of() { harness_drive gettext "$1" | sed -n "s/^text $1 //p"; }

# harness_tray ARGS...: one traydriver run, its output in H_TMP/tray.out.
harness_tray() { harness_wine_fg 30 "$H_TMP/tray.out" traydriver.exe "$@"; }

# harness_tray_state: traydriver's state line ("main=... about=... splash=... window=... tray=...").
harness_tray_state() { harness_tray state >/dev/null; tr -d '\r' <"$H_TMP/tray.out"; }

# harness_wait_state REGEX SECS: until the state line matches REGEX; prints the last one if not.
harness_wait_state() {
  local end=$((SECONDS + $2)) s
  while [ "$SECONDS" -lt "$end" ]; do
    s=$(harness_tray_state)
    [[ $s =~ $1 ]] && return 0
    sleep 0.2
  done
  echo "  last state: $s"
  return 1
}

# ---- settings files ----------------------------------------------------------------------------
# Typed after each frame when given to harness_stx_etx_settings: the Enter key.
HARNESS_ENTER_AFTER=POSTCODE=010D000000000000000000000000000000000000

# harness_stx_etx_settings FILE [KEY=VALUE...]: a settings file for the virtual port COM5 with
# STX/ETX frames, both codes removed, a 50 ms data interval, 10 ms wait and no pause between
# characters; the further lines follow (a later line for a key wins).
harness_stx_etx_settings() {
  local file=$1; shift
  printf '%s\r\n' "[Tamblix( TM ) Ver.2.5.2]" PORT=4 DATADELAY=50 DATAWAIT=10 SENDDELAY=0 \
    RCVSTA=0200000000 RCVEND=0300000000 RCVSTAOUT=1 RCVENDOUT=1 "$@" >"$file"
}

# ---- the program typing frames into a probe (the benches) -------------------------------------
# harness_typist_start NAME "PROBE-OPTIONS" KEY=VALUE...: Tamblix.exe /FNAME (needs a scenario
# with the port, Tamblix.exe, traydriver.exe and keyprobe.exe) starts by itself into the tray
# with the STX/ETX settings, a 2 s data interval, Enter after each frame and these lines; then
# the probe NAME (lifetime 200 s, these options) comes in front.
harness_typist_start() {
  local name=$1 opts=$2; shift 2
  mkdir -p "$H_DOCS/Tamblix"
  harness_stx_etx_settings "$H_DOCS/Tamblix$name.ini" AUTOSTA=1 DATADELAY=2000 \
    "$HARNESS_ENTER_AFTER" "$@"
  harness_wine_bg TYPIST_PID 300 "$H_TMP/$name.out" Tamblix.exe "/F$name" /D0
  harness_wait_state 'main=hidden about=0 splash=0' 60 || harness_abort "$name: no automatic start"
  # shellcheck disable=SC2086
  harness_probe_start "$name" 200 $opts || harness_abort "$name: the probe is not in front"
  TYPIST_FRAMES=0
}

# harness_typist_feed HEX SECS [FEED-OPTION...]: one frame written to the port (serial_feed.py
# with the options, e.g. --times FILE), then up to SECS for its Enter to reach the probe, and
# half a second's rest.
harness_typist_feed() {
  $HARNESS_PYTHON "$HARNESS_ROOT/tests/e2e/lib/serial_feed.py" "$H_TMP/device" "$1" "${@:3}"
  TYPIST_FRAMES=$((TYPIST_FRAMES + 1))
  harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' "$TYPIST_FRAMES" "$2"
  sleep 0.5
}

# harness_typist_end: the probe closed, 終了 from the tray, the program awaited.
harness_typist_end() {
  harness_probe_stop
  harness_tray post "$WM_COMMAND" "$IDM_EXIT" 0
  harness_wait_pid "$TYPIST_PID" 20
  harness_stop_pid "$TYPIST_PID"
}

# ---- a balance that answers when asked -----------------------------------------------------------
# harness_balance_start SECONDS KEY=VALUE...: Tamblix.exe /Fscale (needs a scenario with the
# port, Tamblix.exe, traydriver.exe and keyprobe.exe) starts by itself into the tray with these
# settings after the ones of a balance: readings end with CR LF, Enter after each, the request
# "Q" CR LF, a pattern that keeps the number of a stable reading ("ST,+00012.34  g" -> 12.34).
# Then the probe comes in front (PROBE_TEXT.before marks where) and tests/e2e/lib/balance.py
# answers on the device side for SECONDS with HARNESS_READINGS in turn, logging to BALANCE_LOG.
HARNESS_READINGS=("ST,+00012.34  g" "US,+00012.50  g" "ST,+00012.56  g")
harness_balance_start() {
  local secs=$1; shift
  mkdir -p "$H_DOCS/Tamblix"
  harness_stx_etx_settings "$H_DOCS/Tamblixscale.ini" AUTOSTA=1 RCVSTA=0000000000 \
    RCVEND=0D0A000000 "$HARNESS_ENTER_AFTER" REQCODE=510D0A0000000000000000000000000000000000 \
    'FILTER=^ST,\+?0*(\d+\.\d+)' "$@"
  BALANCE_LOG=$H_TMP/balance.log
  : >"$BALANCE_LOG"
  harness_wine_bg APP 300 "$H_TMP/app.out" Tamblix.exe /Fscale
  harness_wait_state 'main=hidden' 30 || harness_abort "reception did not start"
  harness_probe_start probe 300 || harness_abort "the probe window did not get the foreground"
  cp "$PROBE_TEXT" "$PROBE_TEXT.before"
  $HARNESS_PYTHON "$HARNESS_ROOT/tests/e2e/lib/balance.py" "$H_TMP/device" "$BALANCE_LOG" "$secs" \
    "${HARNESS_READINGS[@]}" &
  BALANCE_PID=$!
  sleep 0.3
}

# harness_requests_in_two_seconds LOG: the requests a balance log holds in the 2 s that start
# 300 ms after its first one (requests sent before the balance listened wait in the line and
# come at once).
harness_requests_in_two_seconds() {
  awk '/^request / { if (!t0) t0 = $2 + 300; if ($2 >= t0 && $2 < t0 + 2000) n++ }
    END { print n + 0 }' "$1"
}

# harness_balance_end: 終了 from the tray, the probe closed, the balance awaited.
harness_balance_end() {
  harness_tray post $WM_COMMAND $IDM_EXIT 0 >/dev/null
  harness_wait_pid "$APP" 20
  harness_probe_stop
  wait "$BALANCE_PID" 2>/dev/null
}
