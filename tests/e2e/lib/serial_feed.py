#!/usr/bin/env python3
"""Simulated serial device for the Wine harness: writes bytes into the device side of a pty
pair, optionally paced at a line rate, and records when each chunk's last byte was written.

  serial_feed.py DEVICE HEX [HEX ...]          write each hex chunk, with --gap ms between them
  serial_feed.py DEVICE --frames N --digits D  write N STX/digits/ETX frames paced at --baud
  serial_feed.py DEVICE --random N --seed S    write N pseudo-random bytes (the same for a seed)

Chunks are hex strings ("02 41 03" or "024103"). With --times FILE the wall-clock time (ms since
the epoch, float) after each chunk's last byte is appended to FILE, one line per chunk.
"""
import argparse
import os
import random
import sys
import time

from feed_writes import write_all


def parse_hex(text):
    text = text.replace(" ", "")
    return bytes.fromhex(text)


def frame_bytes(index, digits):
    body = str(index % (10 ** digits)).zfill(digits).encode()
    return b"\x02" + body + b"\x03"


def wait_for_line(bytes_per_second, start, sent_before):
    """Sleeps until the line, running at the given rate, has carried sent_before bytes."""
    delay = start + sent_before / bytes_per_second - time.monotonic()
    if delay > 0:
        time.sleep(delay)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("device")
    ap.add_argument("chunks", nargs="*")
    ap.add_argument("--gap", type=float, default=0.0, help="ms pause between chunks")
    ap.add_argument("--delay", type=float, default=0.0, help="ms pause before the first chunk")
    ap.add_argument("--frames", type=int, default=0)
    ap.add_argument("--digits", type=int, default=20)
    ap.add_argument("--baud", type=int, default=0, help="pace at this line rate (8N1: baud/10 bytes/s)")
    ap.add_argument("--random", type=int, default=0, help="a chunk of this many random bytes")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--times", help="append the time of each chunk's last byte to this file")
    args = ap.parse_args()

    chunks = [parse_hex(c) for c in args.chunks]
    chunks += [frame_bytes(i, args.digits) for i in range(args.frames)]
    if args.random:
        chunks.append(random.Random(args.seed).randbytes(args.random))

    fd = os.open(args.device, os.O_WRONLY | os.O_NOCTTY)
    times = open(args.times, "a") if args.times else None
    if args.delay:
        time.sleep(args.delay / 1000.0)
    start = time.monotonic()
    sent = 0
    for i, chunk in enumerate(chunks):
        if i and args.gap:
            time.sleep(args.gap / 1000.0)
        if args.baud:
            wait_for_line(args.baud / 10.0, start, sent)
        write_all(fd, chunk)
        sent += len(chunk)
        if times:
            times.write("%.3f\n" % (time.time() * 1000.0))
    if times:
        times.close()
    os.close(fd)
    return 0


if __name__ == "__main__":
    sys.exit(main())
