#!/usr/bin/python3
"""Writes a point file for the run benchmarks.

    make_survey.py KIND N FILE

KIND: uniform (random points on a 1 km square), grid (a 1 m survey grid,
row by row) or line (points on one sloped line). Every third point is on the
reference horizon, the others are terrain; survey coordinates, a gentle mound.
"""
import math
import random
import sys


def main():
    kind, n, name = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    rnd = random.Random(7)
    side = math.ceil(math.sqrt(n))
    out = []
    for i in range(1, n + 1):
        if kind == "uniform":
            y, x = rnd.uniform(0, 1000), rnd.uniform(0, 1000)
        elif kind == "grid":
            y, x = float((i - 1) // side), float((i - 1) % side)
        elif kind == "line":
            y, x = i * 0.03, i * 0.04
        else:
            raise SystemExit("unknown kind " + kind)
        z = 280 + 15 * (1 - ((x - 500) ** 2 + (y - 500) ** 2) / 5e5)
        out.append("%16d %5d %12.3f %12.3f %10.3f\r\n"
                   % (i, 1 if i % 3 == 0 else 0, 3486000 + y, 5656000 + x, z))
    with open(name, "w", newline="") as f:
        f.writelines(out)


main()
