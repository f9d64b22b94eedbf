#!/usr/bin/env python3
"""The soak benchmark's device: writes numbered STX/ETX frames into a pty's device side for a
given time, with random gaps and sizes, and appends what each frame must type to a file.

  soak_feed.py DEVICE EXPECTED --first N --seconds S [--seed X] [--max-gap MS]

Frame i begins with i as seven digits and "-", then one to three runs of characters: ASCII,
half-width kana between the kana shift codes (SO ... SI, 7-bit JIS X 0201) or JIS X 0208
kanji and kana between ESC $ B and ESC ( B. Now and then a frame is long (a hundred to three
hundred characters, several reads). A frame is written in one to four pieces a few ms apart
(cut anywhere, inside a shift code or a kanji pair too); between frames a random gap up to
--max-gap ms, or none (several frames in one write). After each frame's last byte its text in
code page 932 is appended to EXPECTED, one frame a line. Prints the number of frames written.
"""
import argparse
import os
import random
import sys
import time

from feed_writes import pieces, write_all

STX, ETX = b"\x02", b"\x03"
KANJI_IN, KANJI_OUT = b"\x1b$B", b"\x1b(B"
KANA_IN, KANA_OUT = b"\x0e", b"\x0f"
# Printable ASCII except the braces, which the probe's decoded text uses for key names.
ASCII = [c for c in range(0x20, 0x7F) if chr(c) not in "{}"]
# JIS X 0208 rows: hiragana, katakana and the first level kanji (rows 0x30-0x4E are full).
JIS_CELLS = ([(0x24, c) for c in range(0x21, 0x74)] + [(0x25, c) for c in range(0x21, 0x77)] +
             [(r, c) for r in range(0x30, 0x4F) for c in range(0x21, 0x7F)])


def jis_to_cp932(pair):
    return (KANJI_IN + bytes(pair) + KANJI_OUT).decode("iso2022_jp").encode("cp932")


def run(rng, kind, count):
    """(bytes sent, code page 932 text) of one run of count characters."""
    if kind == "ascii":
        chars = bytes(rng.choice(ASCII) for _ in range(count))
        return chars, chars
    if kind == "kana":
        chars = bytes(rng.randrange(0x21, 0x60) for _ in range(count))
        return KANA_IN + chars + KANA_OUT, bytes(c | 0x80 for c in chars)
    pairs = [rng.choice(JIS_CELLS) for _ in range(count)]
    return (KANJI_IN + b"".join(bytes(p) for p in pairs) + KANJI_OUT,
            b"".join(jis_to_cp932(p) for p in pairs))


def frame(rng, index):
    sent = text = ("%07d-" % index).encode()
    long_frame = rng.random() < 0.025
    for _ in range(1 if long_frame else rng.randrange(1, 4)):
        count = rng.randrange(100, 301) if long_frame else rng.randrange(1, 21)
        s, t = run(rng, rng.choice(("ascii", "kana", "kanji")), count)
        sent, text = sent + s, text + t
    return STX + sent + ETX, text


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("device")
    ap.add_argument("expected")
    ap.add_argument("--first", type=int, required=True)
    ap.add_argument("--seconds", type=float, required=True)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--max-gap", type=float, default=600.0)
    args = ap.parse_args()
    rng = random.Random(args.seed)
    fd = os.open(args.device, os.O_WRONLY | os.O_NOCTTY)
    end = time.monotonic() + args.seconds
    index = args.first
    with open(args.expected, "ab") as expected:
        while time.monotonic() < end:
            data, text = frame(rng, index)
            for piece in pieces(data, rng, rng.randrange(1, 5)):
                write_all(fd, piece)
                time.sleep(rng.uniform(0, 0.01))
            expected.write(text + b"\n")
            expected.flush()
            index += 1
            if rng.random() >= 0.2:
                time.sleep(rng.uniform(0, args.max_gap / 1000.0))
    os.close(fd)
    print(index - args.first)
    return 0


if __name__ == "__main__":
    sys.exit(main())
