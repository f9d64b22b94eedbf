#!/usr/bin/env python3
"""Two simulated devices at once for the copies scenario: writes N STX/ETX frames into each of
two pty device sides, so that the frames of the two arrive at the same moment or overlapping in
random ways (the same for a seed), and writes the frames each copy is to type, one a line.

  copies_feed.py DEVICE_A DEVICE_B EXPECTED_A EXPECTED_B [--frames N] [--length L] [--seed S]

Device A's frames are letters (frame i: "A" then i in base 26 as letters, padded), device B's
are digits; both of length L. Each round sends frame i of both devices in one of these ways:
whole, one right after the other; cut into pieces written alternately; one device's frame
while the other's is cut in two around it. Pieces of a frame are at most 20 ms apart, which
is well inside the copies' data interval.
"""
import argparse
import os
import random
import sys
import time

from feed_writes import pieces, write_all


def letters_frame(i, length):
    digits = []
    for _ in range(length - 1):
        digits.append(chr(ord("A") + i % 26))
        i //= 26
    return "A" + "".join(reversed(digits))


def digits_frame(i, length):
    return str(i).zfill(length)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("device_a")
    ap.add_argument("device_b")
    ap.add_argument("expected_a")
    ap.add_argument("expected_b")
    ap.add_argument("--frames", type=int, default=100)
    ap.add_argument("--length", type=int, default=8)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()
    rng = random.Random(args.seed)

    texts_a = [letters_frame(i, args.length) for i in range(args.frames)]
    texts_b = [digits_frame(i, args.length) for i in range(args.frames)]
    with open(args.expected_a, "w") as f:
        f.write("".join(t + "\n" for t in texts_a))
    with open(args.expected_b, "w") as f:
        f.write("".join(t + "\n" for t in texts_b))

    fds = [os.open(d, os.O_WRONLY | os.O_NOCTTY) for d in (args.device_a, args.device_b)]
    for a, b in zip(texts_a, texts_b):
        frames = [b"\x02" + a.encode() + b"\x03", b"\x02" + b.encode() + b"\x03"]
        order = [0, 1] if rng.random() < 0.5 else [1, 0]
        way = rng.randrange(3)
        if way == 0:  # the same moment: both frames whole
            writes = [(order[0], frames[order[0]]), (order[1], frames[order[1]])]
        elif way == 1:  # cut into pieces, written alternately
            cut = [pieces(f, rng, rng.randrange(2, 5)) for f in frames]
            writes = []
            while cut[0] or cut[1]:
                for d in order:
                    if cut[d]:
                        writes.append((d, cut[d].pop(0)))
        else:  # one frame inside the other
            outer, inner = order
            first, second = pieces(frames[outer], rng, 2)
            writes = [(outer, first), (inner, frames[inner]), (outer, second)]
        for d, data in writes:
            write_all(fds[d], data)
            time.sleep(rng.uniform(0, 0.02))
        time.sleep(rng.uniform(0, 0.05))
    for fd in fds:
        os.close(fd)
    return 0


if __name__ == "__main__":
    sys.exit(main())
