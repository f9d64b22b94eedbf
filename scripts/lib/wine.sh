# Shared pieces of the Wine harness, sourced by scripts/test, scripts/demo and tests/e2e.
#
# Every run gets its own prefix and HOME under a temporary folder, the ja_JP locale (ANSI code
# page 932) and no Wine debug output. Programs run in a private mount namespace in which the
# machine's /dev/ttyS* are replaced by /dev/null, so that Wine can never open the system console
# as a COM port.

WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

# wine_prefix_new DIR: creates DIR/home and DIR/prefix and initialises the prefix.
wine_prefix_new() {
  local dir=$1
  mkdir -p "$dir/home"
  export HOME="$dir/home" WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  timeout 120 "$WINE64" wineboot -i >/dev/null 2>&1
  timeout 60 "$WINESERVER" -w
}

# wine_masked CMD...: runs CMD with the machine's serial devices hidden from it.
wine_masked() {
  unshare -m --propagation private bash -c '
    for t in /dev/ttyS*; do [ -e "$t" ] && mount --bind /dev/null "$t"; done
    exec "$@"' wine_masked "$@"
}

# wine_run SECONDS EXE ARGS...: runs a Windows program under the current prefix.
wine_run() {
  local secs=$1; shift
  wine_masked timeout "$secs" "$WINE64" "$@"
}

# wine_stop: ends the wineserver of the current prefix (and with it every process in it).
wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
}
