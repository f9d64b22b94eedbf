#!/usr/bin/env python3
"""Simulated balance on the device side of a pty: answers each request it reads (a line ending
in CR LF, e.g. "Q" CR LF or ESC "P" CR LF) with the next reading of a list, and records every
request and answer with its time (ms since the epoch, float).

  balance.py DEVICE LOG SECONDS [READING ...]

Readings are text lines such as "ST,+00012.34  g" (stable) or "US,+00012.50  g" (unstable);
they are sent with CR LF, in turn, again from the first after the last. LOG gets lines
"request <ms> <hex>" and "answer <ms> <text>". With BALANCE_DRAIN=1 in the environment, what the
line holds when it starts (requests a timer sent before the balance listened) is read and
dropped unanswered, so a backlog of answers does not keep the program typing.
"""
import os
import select
import sys
import time

from feed_writes import write_all


def main():
    device, log_path, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
    readings = sys.argv[4:] or ["ST,+00012.34  g"]
    fd = os.open(device, os.O_RDWR | os.O_NOCTTY)
    if os.environ.get("BALANCE_DRAIN") == "1":
        while select.select([fd], [], [], 0)[0]:
            os.read(fd, 4096)
    end = time.monotonic() + seconds
    pending = b""
    turn = 0
    with open(log_path, "a", buffering=1) as log:
        while time.monotonic() < end:
            ready, _, _ = select.select([fd], [], [], 0.05)
            if not ready:
                continue
            try:
                pending += os.read(fd, 256)
            except OSError:
                time.sleep(0.05)
                continue
            while b"\r\n" in pending:
                request, pending = pending.split(b"\r\n", 1)
                log.write("request %.1f %s\n" % (time.time() * 1000, request.hex()))
                text = readings[turn % len(readings)]
                turn += 1
                write_all(fd, text.encode("ascii") + b"\r\n")
                log.write("answer %.1f %s\n" % (time.time() * 1000, text))


if __name__ == "__main__":
    main()
