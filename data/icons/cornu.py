#!/usr/bin/env python3
"""Writes Lumetra's icon: a Cornu spiral with the arrow from one eye to the other.

The spiral is the sum of a slit's Feynman arrows, so the icon shows what the program
draws. Run it after changing the picture, then render-pngs.sh for the bitmap sizes.
"""
import math
import sys

T = 2.9        # how far along the spiral; further on, the coils shrink below a pixel
STEP = 0.0005  # integration step, small enough that the eyes land where they should
EVERY = 20     # integration steps per drawn point
SCALE = 118.0  # icon units per unit of the spiral
CENTRE = 128.0


def fresnel_points():
    """Points (C(t), S(t)) for t from 0 to T, by the midpoint rule."""
    c = s = 0.0
    points = [(0.0, 0.0)]
    n = int(round(T / STEP))
    for i in range(n):
        u = (i + 0.5) * STEP
        phase = math.pi * u * u / 2
        c += math.cos(phase) * STEP
        s += math.sin(phase) * STEP
        if (i + 1) % EVERY == 0:
            points.append((c, s))
    return points


def to_icon(x, y):
    return CENTRE + SCALE * x, CENTRE - SCALE * y


def path_data(points):
    xy = [to_icon(x, y) for x, y in points]
    out = ["M%.2f %.2f" % xy[0]]
    out += ["L%.2f %.2f" % p for p in xy[1:]]
    return " ".join(out)


def main():
    half = fresnel_points()
    # The spiral is symmetric through the origin: the negative half mirrors the positive.
    points = [(-x, -y) for x, y in reversed(half[1:])] + half
    eye = to_icon(0.5, 0.5)
    other = to_icon(-0.5, -0.5)
    # The arrow stops short of the eye so its head sits on the coil rather than hiding it.
    dx, dy = eye[0] - other[0], eye[1] - other[1]
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    tip = (eye[0] - 6 * ux, eye[1] - 6 * uy)
    head = 26.0
    wing = 13.0
    base = (tip[0] - head * ux, tip[1] - head * uy)
    left = (base[0] - wing * uy, base[1] + wing * ux)
    right = (base[0] + wing * uy, base[1] - wing * ux)
    start = (other[0] + 6 * ux, other[1] + 6 * uy)

    svg = f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <title>Lumetra</title>
  <defs>
    <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#24386a"/>
      <stop offset="1" stop-color="#0e1630"/>
    </linearGradient>
    <linearGradient id="light" gradientUnits="userSpaceOnUse" x1="40" y1="216" x2="216" y2="40">
      <stop offset="0" stop-color="#6fd3ff"/>
      <stop offset="1" stop-color="#b8f0ff"/>
    </linearGradient>
  </defs>
  <rect x="12" y="12" width="232" height="232" rx="44" fill="url(#sky)"/>
  <path d="{path_data(points)}" fill="none" stroke="url(#light)" stroke-width="7" stroke-linecap="round" stroke-linejoin="round"/>
  <path d="M{start[0]:.2f} {start[1]:.2f} L{base[0]:.2f} {base[1]:.2f}" fill="none" stroke="#ffb341" stroke-width="11" stroke-linecap="round"/>
  <path d="M{tip[0]:.2f} {tip[1]:.2f} L{left[0]:.2f} {left[1]:.2f} L{right[0]:.2f} {right[1]:.2f} Z" fill="#ffb341" stroke="#ffb341" stroke-width="4" stroke-linejoin="round"/>
</svg>
"""
    sys.stdout.write(svg)


if __name__ == "__main__":
    main()
