/* LD_PRELOAD shim for the Wine harness: makes a pseudo-terminal look like a serial port with
 * its modem lines up.
 *
 * Wine's serial driver polls the modem status (TIOCMGET) to serve WaitCommEvent, and Linux
 * ptys refuse that request, so every wait would return at once with no event. For pty slave
 * descriptors this shim answers TIOCMGET with CTS, DSR and CD on and accepts TIOCMSET,
 * TIOCMBIS and TIOCMBIC (remembering DTR/RTS); every other call passes through unchanged.
 *
 * A pty forces 8 data bits and no parity whatever is asked, so the line settings the program
 * requests are recorded before the kernel rewrites them: when TAMBLIX_LINE_LOG names a file,
 * each tcsetattr on a pty slave appends one line "termios speed=.. bits=.. parity=N|E|O
 * stop=1|2 crtscts=0|1 ixon=0|1 ixoff=0|1" and each write of the modem lines one line
 * "lines rts=0|1 dtr=0|1" (the lines after the write). Wine applies a device control block in
 * several calls, each starting from the settings read back, so a field shows in the call that
 * sets it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);
typedef int (*tcsetattr_fn)(int, int, const struct termios *);

static int lines = TIOCM_DTR | TIOCM_RTS;

static int is_pty_slave(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  unsigned maj = major(st.st_rdev);
  return maj >= 136 && maj <= 143; /* Unix98 pty slaves */
}

static void record(const char *format, ...) {
  const char *path = getenv("TAMBLIX_LINE_LOG");
  if (!path || !*path) return;
  FILE *f = fopen(path, "a");
  if (!f) return;
  va_list ap;
  va_start(ap, format);
  vfprintf(f, format, ap);
  va_end(ap);
  fclose(f);
}

static unsigned speed_of(speed_t s) {
  static const struct { speed_t code; unsigned baud; } table[] = {
      {B2400, 2400}, {B4800, 4800}, {B9600, 9600}, {B19200, 19200},
      {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
  for (unsigned i = 0; i < sizeof table / sizeof table[0]; ++i)
    if (table[i].code == s) return table[i].baud;
  return 0;
}

int tcsetattr(int fd, int when, const struct termios *t) {
  static tcsetattr_fn real;
  if (!real) real = (tcsetattr_fn)dlsym(RTLD_NEXT, "tcsetattr");
  if (t && is_pty_slave(fd)) {
    const tcflag_t c = t->c_cflag;
    record("termios speed=%u bits=%d parity=%c stop=%d crtscts=%d ixon=%d ixoff=%d\n",
           speed_of(cfgetospeed(t)), (c & CSIZE) == CS7 ? 7 : (c & CSIZE) == CS8 ? 8 : 0,
           !(c & PARENB) ? 'N' : (c & PARODD) ? 'O' : 'E', (c & CSTOPB) ? 2 : 1,
           (c & CRTSCTS) ? 1 : 0, (t->c_iflag & IXON) ? 1 : 0, (t->c_iflag & IXOFF) ? 1 : 0);
  }
  return real(fd, when, t);
}

static void set_lines(int value) {
  record("lines rts=%d dtr=%d\n", !!(value & TIOCM_RTS), !!(value & TIOCM_DTR));
  lines = value;
}

/* The modem-line requests on a pty slave; -2 for any other call, which goes to the real ioctl. */
static int modem_ioctl(int fd, unsigned long request, void *arg) {
  if ((request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC) &&
      is_pty_slave(fd)) {
    int *bits = (int *)arg;
    if (!bits) return -1;
    switch (request) {
      case TIOCMGET: *bits = lines | TIOCM_CTS | TIOCM_DSR | TIOCM_CD; return 0;
      case TIOCMSET: set_lines(*bits & (TIOCM_DTR | TIOCM_RTS)); return 0;
      case TIOCMBIS: set_lines(lines | (*bits & (TIOCM_DTR | TIOCM_RTS))); return 0;
      case TIOCMBIC: set_lines(lines & ~*bits); return 0;
    }
  }
  return -2;
}

static int forward_ioctl(ioctl_fn *real, const char *name, int fd, unsigned long request, void *arg) {
  const int handled = modem_ioctl(fd, request, arg);
  if (handled != -2) return handled;
  if (!*real) *real = (ioctl_fn)dlsym(RTLD_NEXT, name);
  return *real ? (*real)(fd, request, arg) : -1;
}

int ioctl(int fd, unsigned long request, ...) {
  va_list ap;
  va_start(ap, request);
  void *arg = va_arg(ap, void *);
  va_end(ap);
  static ioctl_fn real;
  return forward_ioctl(&real, "ioctl", fd, request, arg);
}

#if defined(__i386__)
/* 32-bit programs built with 64-bit time (the 32-bit Wine among them) call this name instead of
 * ioctl; without it the i686 program's modem-line requests would reach the pty unanswered. */
int __ioctl_time64(int fd, unsigned long request, ...);
int __ioctl_time64(int fd, unsigned long request, ...) {
  va_list ap;
  va_start(ap, request);
  void *arg = va_arg(ap, void *);
  va_end(ap);
  static ioctl_fn real;
  return forward_ioctl(&real, "__ioctl_time64", fd, request, arg);
}
#endif
