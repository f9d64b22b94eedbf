/* LD_PRELOAD shim for the Wine harness: makes a pseudo-terminal look like a serial port with
 * its modem lines up.
 *
 * Wine's serial driver polls the modem status (TIOCMGET) to serve WaitCommEvent, and Linux
 * ptys refuse that request, so every wait would return at once with no event. For pty slave
 * descriptors this shim answers TIOCMGET with CTS, DSR and CD on and accepts TIOCMSET,
 * TIOCMBIS and TIOCMBIC (remembering DTR/RTS); every other call passes through unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

static int lines = TIOCM_DTR | TIOCM_RTS;

static int is_pty_slave(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  unsigned maj = major(st.st_rdev);
  return maj >= 136 && maj <= 143; /* Unix98 pty slaves */
}

int ioctl(int fd, unsigned long request, ...) {
  static ioctl_fn real;
  if (!real) real = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");
  va_list ap;
  va_start(ap, request);
  void *arg = va_arg(ap, void *);
  va_end(ap);

  if ((request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC) &&
      is_pty_slave(fd)) {
    int *bits = (int *)arg;
    if (!bits) return -1;
    switch (request) {
      case TIOCMGET: *bits = lines | TIOCM_CTS | TIOCM_DSR | TIOCM_CD; return 0;
      case TIOCMSET: lines = *bits & (TIOCM_DTR | TIOCM_RTS); return 0;
      case TIOCMBIS: lines |= *bits & (TIOCM_DTR | TIOCM_RTS); return 0;
      case TIOCMBIC: lines &= ~*bits; return 0;
    }
  }
  return real(fd, request, arg);
}
