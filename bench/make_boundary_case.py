#!/usr/bin/python3
"""Writes a boundary and breaklines for a point file of make_survey.py.

    make_boundary_case.py POINTS BOUNDARY BREAKLINES [CORNERS [LINES [LENGTH]]]

BOUNDARY: a wavy ring of CORNERS corners (default 1000) around the survey's
middle with a hole; BREAKLINES: LINES lines (default 500) of LENGTH points
(default 20), each running from a random point in a random direction through
the nearest points some 8 m apart. Lines may cross each other.
"""
import math
import random
import sys


def main():
    points, boundary, breaklines = sys.argv[1:4]
    corners = int(sys.argv[4]) if len(sys.argv) > 4 else 1000
    lines = int(sys.argv[5]) if len(sys.argv) > 5 else 500
    length = int(sys.argv[6]) if len(sys.argv) > 6 else 20
    rnd = random.Random(11)
    pts = []
    for line in open(points):
        f = line.split()
        if len(f) >= 5:
            pts.append((int(f[0]), float(f[2]), float(f[3])))
    ys = [p[1] for p in pts]
    xs = [p[2] for p in pts]
    cy, cx = (min(ys) + max(ys)) / 2, (min(xs) + max(xs)) / 2
    r0 = min(max(ys) - min(ys), max(xs) - min(xs)) / 2
    with open(boundary, "w") as f:
        for k in range(corners):
            a = 2 * math.pi * k / corners
            r = r0 * (0.8 + 0.1 * math.sin(7 * a) + 0.05 * math.cos(31 * a))
            f.write("%.3f %.3f\n" % (cy + r * math.cos(a), cx + r * math.sin(a)))
        f.write("#hole\n")
        for k in range(12):
            a = -2 * math.pi * k / 12
            f.write("%.3f %.3f\n" % (cy + 0.1 * r0 * math.cos(a), cx + 0.1 * r0 * math.sin(a)))
    cell = 10.0
    grid = {}
    for p in pts:
        grid.setdefault((int(p[1] // cell), int(p[2] // cell)), []).append(p)

    def nearest(y, x, used):
        best, bd = None, 1e300
        gy, gx = int(y // cell), int(x // cell)
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                for p in grid.get((gy + dy, gx + dx), ()):
                    d = (p[1] - y) ** 2 + (p[2] - x) ** 2
                    if d < bd and p[0] not in used:
                        best, bd = p, d
        return best

    with open(breaklines, "w") as f:
        for _ in range(lines):
            p = rnd.choice(pts)
            a = rnd.uniform(0, 2 * math.pi)
            line, used = [p[0]], {p[0]}
            y, x = p[1], p[2]
            for _ in range(length - 1):
                y, x = y + 8 * math.cos(a), x + 8 * math.sin(a)
                q = nearest(y, x, used)
                if q is None:
                    break
                line.append(q[0])
                used.add(q[0])
            if len(line) >= 2:
                f.write(" ".join(str(n) for n in line) + "\n")


main()
