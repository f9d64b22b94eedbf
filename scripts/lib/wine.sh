# Shared pieces of the Wine harness, sourced by scripts/test, scripts/demo and tests/e2e.
#
# Every run gets its own prefix and HOME under a temporary folder, the ja_JP locale (ANSI code
# page 932) and no Wine debug output. Programs run in a private mount namespace in which the
# machine's /dev/ttyS* are replaced by /dev/null, so that Wine can never open the system console
# as a COM port.

WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

# wine_prefix_new DIR: creates DIR/home and DIR/prefix and initialises the prefix: a copy of the
# ready template TAMBLIX_WINE_TEMPLATE when there is one (wine_template_make), else by wineboot.
wine_prefix_new() {
  local dir=$1
  mkdir -p "$dir/home"
  export HOME="$dir/home" WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  if [ -n "${TAMBLIX_WINE_TEMPLATE:-}" ] && wine__template_copy "$TAMBLIX_WINE_TEMPLATE" "$dir"; then
    return 0
  fi
  timeout 120 "$WINE64" wineboot -i >/dev/null 2>&1
  timeout 60 "$WINESERVER" -w
}

# wine_template_make DIR: a prefix made once (DIR/home, DIR/prefix) for wine_prefix_new to copy;
# DIR/ready marks it complete, written after its wineserver has ended. Exports nothing.
wine_template_make() {
  ( wine_prefix_new "$1" && [ -f "$1/prefix/system.reg" ] && : >"$1/ready" )
}

# wine__template_copy TEMPLATE DIR: DIR/prefix and DIR/home as copies of the template's, in a
# fraction of a second instead of a wineboot. The prefix's program files and libraries (never
# written) are hard links; every other file (registry, .ini, manifests) is a copy of its own.
# The user folders that Wine links to HOME (Documents, Desktop, ...) are linked to DIR/home.
# Fails, leaving nothing behind, when the template is not ready.
wine__template_copy() {
  local tpl=$1 dir=$2 link
  [ -f "$tpl/ready" ] || return 1
  if ! cp -al "$tpl/prefix" "$dir/prefix" 2>/dev/null ||
     ! find "$dir/prefix" -type f ! -iregex "$WINE__LINKED" -delete ||
     ! ( cd "$tpl/prefix" && find . -type f ! -iregex "$WINE__LINKED" -print0 |
           tar --null -T - -cf - | tar -C "$dir/prefix" -xf - ) ||
     ! cp -a "$tpl/home/." "$dir/home/"; then
    rm -rf "$dir/prefix"
    return 1
  fi
  for link in "$dir"/prefix/drive_c/users/*/*; do
    [ -L "$link" ] && [ "$(readlink "$link")" = "$tpl/home" ] && ln -sfn "$dir/home" "$link"
  done
  return 0
}
WINE__LINKED='.*\.\(dll\|exe\|nls\|drv\|sys\|vxd\|ocx\|cpl\|acm\|tlb\|ds\|com\|ax\|msstyles\|mod\|icm\)'

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
