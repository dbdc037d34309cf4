#!/usr/bin/env python3
"""Generates ebene.asc: a tilted plane z = 280 + 0.03 x + 0.015 y over 300 x 200 m.

The frame is surveyed every 5 m, 2000 points lie at random inside; every
fourth point of the file is a code 1 point (reference horizon), the others
code 0. The reference horizon's outline is thus not the terrain's, and the
triangles the triangulation leaves out along it do not cancel in the
difference: the case for "Randdreiecke ergänzen" (--complete-outline).
With a plane the complete mesh's volume is known: the plane's integral over
the convex hull. Deterministic: the same file on every run.
"""
import random


def main():
    rnd = random.Random(15)
    pts = []
    for x in range(0, 301, 5):
        pts += [(x, 0), (x, 200)]
    for y in range(5, 200, 5):
        pts += [(0, y), (300, y)]
    for _ in range(2000):
        pts.append((round(rnd.uniform(0.5, 299.5), 3), round(rnd.uniform(0.5, 199.5), 3)))
    with open("ebene.asc", "w", newline="") as f:
        for i, (x, y) in enumerate(pts):
            z = 280 + 0.03 * x + 0.015 * y
            f.write("%16d %5d %12.3f %12.3f %10.3f\r\n" % (i + 1, 1 if i % 4 == 3 else 0, y, x, z))


if __name__ == "__main__":
    main()
