# How the shipped i686 Tamblix.exe runs on this machine (sourced by scripts/setup, scripts/test,
# scripts/demo, the e2e harness, scripts/i386/prepare and tests/i386/smoke_i386.sh).
#
# Two routes, chosen by what the kernel does (i386_route):
#   native  the kernel runs 32-bit Linux programs: Debian's wine32:i386 runs the i686 program in
#           the ordinary 64-bit prefix, and every scenario runs it;
#   qemu    it does not: Wine's 32-bit half runs in a Debian i386 userland (a chroot) through
#           qemu user-mode emulation, registered with binfmt_misc (flag F: the interpreter is
#           opened once at registration, so it also works inside the chroot), and only
#           tests/i386/smoke_i386.sh runs the i686 program.
# The qemu route's files live outside the repository, so that every clone on this machine
# reuses them:
#
#   $I386_CACHE/qemu/usr/bin/qemu-i386   qemu-i386 from Debian trixie's qemu-user (static)
#   $I386_CACHE/apt-trixie/              the private apt configuration that downloads it
#   $I386_ROOT                           debootstrap'ed bookworm i386 minbase with wine, wine32,
#                                        xvfb, xauth, locales-all, fonts-ipafont-gothic, gcc
#   $I386_ROOT/tamblix/template/         a WINEARCH=win32 prefix and its HOME; each run copies
#                                        it to $I386_ROOT/tamblix/run/
#   $I386_READY                          written last by scripts/i386/prepare
#
# TAMBLIX_I386_CACHE moves the whole of it.

I386_CACHE=${TAMBLIX_I386_CACHE:-/var/cache/tamblix}
I386_ROOT=$I386_CACHE/i386-root
I386_QEMU=$I386_CACHE/qemu/usr/bin/qemu-i386
I386_READY=$I386_ROOT/.tamblix-ready
I386_BINFMT_DIR=/proc/sys/fs/binfmt_misc
I386_BINFMT_NAME=tamblix-i386
# Inside the chroot: the prefix template, the run copy, and where a run's files are bound.
I386_TEMPLATE=/tamblix/template
I386_RUN=/tamblix/run
I386_PROG=/tamblix/prog
I386_WORK=/tamblix/work
# The COM port the template maps: COM5 -> a link in the run's work folder to the pty.
I386_COM_LINK=$I386_WORK/com5

# i386_binfmt_status: prints what serves i386 ELF programs, or why nothing does; 0 when one is
# registered, enabled and carries the F flag.
i386_binfmt_status() {
  if [ ! -e "$I386_BINFMT_DIR/status" ]; then
    echo "binfmt_misc is not mounted at $I386_BINFMT_DIR"; return 1
  fi
  local e
  for e in "$I386_BINFMT_DIR/$I386_BINFMT_NAME" "$I386_BINFMT_DIR/qemu-i386"; do
    [ -f "$e" ] || continue
    if grep -qx enabled "$e" && grep -q '^flags:.*F' "$e"; then
      echo "$(basename "$e") -> $(sed -n 's/^interpreter //p' "$e")"; return 0
    fi
  done
  echo "no enabled binfmt_misc entry with the F flag for i386 ELF programs"
  return 1
}

# i386_chroot CMD...: runs CMD inside the chroot with a clean environment (plus the variables
# given as NAME=VALUE before CMD, as env(1) takes them).
# I386_CHROOT is the same command as an array, for `timeout`.
I386_CHROOT=(chroot "$I386_ROOT" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin)
i386_chroot() { "${I386_CHROOT[@]}" "$@"; }

# i386_mount_base: /proc, the machine's /dev/pts and a private /dev/shm inside the chroot. Only
# called in a private mount namespace (unshare -m), so nothing outlives the caller even when it
# is killed; the callers unmount in reverse order all the same. The chroot's /dev holds only the
# few nodes debootstrap made (no serial devices); any /dev/ttyS* there is covered by /dev/null.
I386_MOUNTS=()
i386_mount() {  # i386_mount MOUNT-ARGS... TARGET
  mount "$@" && I386_MOUNTS+=("${*: -1}")
}
i386_mount_base() {
  i386_mount -t proc proc "$I386_ROOT/proc" || return 1
  i386_mount --bind /dev/pts "$I386_ROOT/dev/pts" || return 1
  i386_mount -t tmpfs -o size=256m tmpfs "$I386_ROOT/dev/shm" || return 1
  local t
  for t in "$I386_ROOT"/dev/ttyS*; do [ -e "$t" ] && { i386_mount --bind /dev/null "$t" || return 1; }; done
  return 0
}
i386_unmount_all() {
  local i
  for ((i = ${#I386_MOUNTS[@]} - 1; i >= 0; i--)); do
    umount "${I386_MOUNTS[$i]}" 2>/dev/null || umount -l "${I386_MOUNTS[$i]}" 2>/dev/null
  done
  I386_MOUNTS=()
}

# i386_route: "native" when the kernel runs a 32-bit program (a 96-byte i386 ELF that exits
# with status 42 through int 0x80), else "qemu". TAMBLIX_I386_ROUTE=native|qemu overrides it.
i386_route() {
  case ${TAMBLIX_I386_ROUTE:-} in
    native | qemu) echo "$TAMBLIX_I386_ROUTE"; return 0 ;;
  esac
  local f rc
  f=$(mktemp /tmp/tamblix-elf32.XXXXXX) || { echo qemu; return 0; }
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$f"
  chmod 700 "$f"
  # A kernel without IA32 emulation refuses the file (exec format error, status 126), or
  # binfmt_misc hands it to qemu, which the check does not take for the kernel's own support.
  TAMBLIX_ELF_PROBE=1 "$f" 2>/dev/null; rc=$?
  rm -f "$f"
  if [ "$rc" -eq 42 ] && ! i386_binfmt_claims_elf32; then echo native; else echo qemu; fi
}
i386_route_reason() {
  if [ -n "${TAMBLIX_I386_ROUTE:-}" ]; then echo "TAMBLIX_I386_ROUTE=$TAMBLIX_I386_ROUTE"
  elif [ "$1" = native ]; then echo "the kernel runs 32-bit programs"
  else echo "the kernel does not run 32-bit programs"; fi
}
# i386_binfmt_claims_elf32: an enabled binfmt_misc entry would run i386 programs through an
# interpreter (then a 32-bit program running says nothing about the kernel).
i386_binfmt_claims_elf32() {
  local e
  [ -e "$I386_BINFMT_DIR/status" ] || return 1
  for e in "$I386_BINFMT_DIR/$I386_BINFMT_NAME" "$I386_BINFMT_DIR/qemu-i386"; do
    [ -f "$e" ] && grep -qx enabled "$e" && return 0
  done
  return 1
}
