#!/usr/bin/env bash
# scripts/setup on machines that lack packages, without touching this machine: stand-ins for
# dpkg-query, dpkg and apt-get come first on PATH. dpkg-query knows every package as installed
# except those in the case's "absent" list (for which it exits non-zero, as the real one does for
# a package it has never seen); apt-get records its calls and installs by taking a package off
# that list; dpkg answers the foreign architectures of the case. Each case checks the exit
# status, what setup said and the calls made.
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WORK=$(mktemp -d /tmp/tamblix-setup-test.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
PASS=0 FAIL=0

mkdir -p "$WORK/bin"
cat >"$WORK/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
# dpkg-query -W -f=FORMAT PKG... (FORMAT with ${Package}, ${Status} and \n)
echo "dpkg-query $*" >>"$FAKE/calls"
fmt=${2#-f=}
shift 2
rc=0
for p in "$@"; do
  if grep -qxF "$p" "$FAKE/absent"; then echo "dpkg-query: no packages found matching $p" >&2; rc=1
  else line=${fmt//'${Package}'/$p}; line=${line//'${Status}'/install ok installed}; printf "${line//%/%%}"; fi
done
exit $rc
EOF
cat >"$WORK/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE/calls"
[ "${FAKE_APT_FAIL:-}" = "$1" ] && { echo "E: Unable to locate package" >&2; exit 100; }
if [ "$1" = install ]; then
  for p in "$@"; do grep -vxF "$p" "$FAKE/absent" >"$FAKE/absent.new"; mv "$FAKE/absent.new" "$FAKE/absent"; done
fi
exit 0
EOF
cat >"$WORK/bin/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE/calls"
case $1 in
  --print-foreign-architectures) cat "$FAKE/arches" ;;
  --add-architecture) echo "$2" >>"$FAKE/arches" ;;
esac
EOF
chmod +x "$WORK/bin/"*

# run_case NAME ROUTE ARCHES ABSENT [VAR=VALUE...]: runs setup; leaves OUT, RC and CALLS.
run_case() {
  export FAKE=$WORK/$1
  mkdir -p "$FAKE"
  printf '%s\n' $3 >"$FAKE/arches"
  printf '%s\n' $4 >"$FAKE/absent"
  : >"$FAKE/calls"
  OUT=$(env "${@:5}" PATH="$WORK/bin:$PATH" TAMBLIX_I386_ROUTE="$2" SETUP_SKIP_I386=1 \
        bash "$ROOT/scripts/setup" 2>&1)
  RC=$?
  CALLS=$(grep -v '^dpkg-query' "$FAKE/calls")
}
check() {  # check DESC CONDITION...
  if "${@:2}"; then echo "PASS $1"; PASS=$((PASS + 1))
  else echo "FAIL $1"; echo "  exit $RC; said:"; sed 's/^/    /' <<<"$OUT"; echo "  calls:"; sed 's/^/    /' <<<"$CALLS"; FAIL=$((FAIL + 1)); fi
}
has() { grep -qF -- "$1" <<<"$2"; }

run_case two-missing native i386 "socat xdotool"
check "two packages missing: setup installs exactly those, after updating the lists" \
  test "$RC $CALLS" = "0 dpkg --print-foreign-architectures
apt-get update -q
apt-get install -y -q --no-install-recommends socat xdotool"
check "two packages missing: setup says what it installs" has "setup: installing socat xdotool" "$OUT"

run_case none-missing native i386 ""
check "nothing missing: no package manager call, and setup says so" \
  test "$RC $CALLS" = "0 dpkg --print-foreign-architectures"
check "nothing missing: setup says all packages are present" has "setup: all packages present" "$OUT"

run_case native-route native "" "wine32:i386"
check "kernel runs 32-bit programs: the i386 architecture is added before wine32:i386 is installed" \
  test "$RC $CALLS" = "0 dpkg --print-foreign-architectures
dpkg --add-architecture i386
apt-get update -q
apt-get install -y -q --no-install-recommends wine32:i386"

run_case qemu-route qemu "" "wine32:i386 gcc-multilib"
check "kernel without 32-bit programs: no i386 architecture, no wine32:i386" \
  test "$RC $CALLS" = "0 "

run_case install-fails native i386 "socat" FAKE_APT_FAIL=install
check "a failed install ends setup with the step and the command named" \
  test "$RC" -ne 0 -a -n "$(grep -F "step 'installing the missing packages' failed (exit 100): apt-get install" <<<"$OUT")"

echo "checks: $PASS passed, $FAIL failed"
[ "$FAIL" -eq 0 ]
