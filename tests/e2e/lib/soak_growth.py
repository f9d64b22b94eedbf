#!/usr/bin/env python3
"""Growth per hour of each resource count the soak benchmark sampled: the least-squares slope of
the count over time, the first WARMUP samples left out (the program's first minutes allocate
what it keeps).

  soak_growth.py SAMPLES [--warmup N]

SAMPLES has one line a sample, "t=SECONDS name=value name=value ...". Prints one line for each
name, "FIGURE soak-NAME-per-hour SLOPE", in the sample's units (kB for memory) per hour, with
the first and last value; a count that read the same, 0 or -1 (not given by the system) in every
sample says so.
"""
import argparse
import sys


def slope(points):
    n = len(points)
    mt = sum(t for t, _ in points) / n
    mv = sum(v for _, v in points) / n
    var = sum((t - mt) ** 2 for t, _ in points)
    return 0.0 if var == 0 else sum((t - mt) * (v - mv) for t, v in points) / var


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("samples")
    ap.add_argument("--warmup", type=int, default=2)
    args = ap.parse_args()
    series = {}
    for line in open(args.samples):
        fields = dict(f.split("=", 1) for f in line.split() if "=" in f)
        t = float(fields.pop("t"))
        for name, value in fields.items():
            series.setdefault(name, []).append((t, float(value)))
    for name, points in series.items():
        used = points[args.warmup:] if len(points) > args.warmup + 1 else points
        values = {v for _, v in used}
        per_hour = slope(used) * 3600.0 if len(used) > 1 else 0.0
        if values == {-1.0}:
            remark = "not given by the system"
        elif values == {0.0}:
            remark = "read 0 in every sample"
        else:
            remark = "%g -> %g" % (used[0][1], used[-1][1])
        print("FIGURE soak-%s-per-hour %.1f (%d samples after %d of warm-up, %s)"
              % (name, per_hour, len(used), len(points) - len(used), remark))
    return 0


if __name__ == "__main__":
    sys.exit(main())
