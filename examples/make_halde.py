#!/usr/bin/env python3
"""Generates halde.asc: a surveyed stockpile ("Halde") on sloping ground.

The toe line of the pile is surveyed as code 1 points (the reference horizon,
the ground the pile stands on); the pile's surface as code 0 points inside it.
The terrain is formed from both, so the difference of the two horizons is the
pile's volume. Coordinates are of the size of projected survey coordinates.
Deterministic: the same file on every run.
"""
import math
import random

Y0, X0 = 3486946.169, 5656820.914  # centre of the pile (easting, northing)
A, B = 42.0, 27.0                  # half axes of the toe ellipse, metres
HEIGHT = 7.5                       # pile height above the ground, metres


def ground(dy, dx):
    """Original ground: a plane falling gently to the south-east."""
    return 284.250 + 0.012 * dx - 0.008 * dy


def toe_radius(t):
    """The toe line is an ellipse with a little irregularity."""
    return 1.0 + 0.06 * math.sin(3 * t + 0.4) + 0.03 * math.cos(7 * t)


def main():
    rnd = random.Random(20261209)
    lines = []
    nr = 1000

    def add(code, dy, dx, z):
        nonlocal nr
        nr += 1
        lines.append("%16d %5d %12.3f %12.3f %10.3f" % (nr, code, Y0 + dy, X0 + dx, z))

    # Toe line: code 1, every 2 to 3 metres around the pile.
    n_toe = 96
    for k in range(n_toe):
        t = 2 * math.pi * k / n_toe + rnd.uniform(-0.01, 0.01)
        s = toe_radius(t)
        dy, dx = A * s * math.cos(t), B * s * math.sin(t)
        add(1, dy, dx, ground(dy, dx) + rnd.uniform(-0.03, 0.03))

    # Surface: code 0, a jittered 1.6 m grid inside the toe line.
    step = 1.6
    dx = -B * 1.1
    while dx <= B * 1.1:
        dy = -A * 1.1
        while dy <= A * 1.1:
            py = dy + rnd.uniform(-0.4, 0.4)
            px = dx + rnd.uniform(-0.4, 0.4)
            t = math.atan2(px / B, py / A)
            rho = math.hypot(py / A, px / B) / toe_radius(t)
            if rho < 0.96:
                # Flat top, steep flanks at the angle of repose.
                shape = min(1.0, (1.0 - rho) / 0.45)
                shape = shape * shape * (3 - 2 * shape)
                z = ground(py, px) + HEIGHT * shape + rnd.uniform(-0.05, 0.05)
                add(0, py, px, z)
            dy += step
        dx += step

    with open("halde.asc", "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    print("%d points written to halde.asc" % len(lines))


if __name__ == "__main__":
    main()
