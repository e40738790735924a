"""What the probability bars should look like on the window, worked out from the optics alone.

Every screen point d (0..7000 twips down from the top of the screen) adds 501 arrows, one
per path through the slit, and its bar is barScale times the squared length of the sum.
"""

import cmath
import math
import operator

TOP_Y = 1000
SCREEN_X = 5000
POINTS = 7001

# (phase per twip, refraction factor, arrow length, bar scale) for light in glass at 45°
GLASS_45 = {
    "green": (0.75 * 0.2, 2.0, 10, 0.0035),
    "red": (0.5 * 0.2, 1.4, 10, 0.0012),
    "blue": (1.0 * 0.2, 6.0, 30, 0.0018),
}

BAR_RGB = {"green": (0, 192, 0), "red": (255, 0, 0), "blue": (0, 0, 255)}
DOT_RGB = {"green": (0, 255, 0), "red": (255, 0, 0), "blue": (0, 0, 255)}

_cache = {}


def bar_lengths(colour, angle=45):
    """Bar length in twips for every screen point."""
    key = (colour, angle)
    if key in _cache:
        return _cache[key]
    rate, refr, arrow, scale = GLASS_45[colour]
    tilt = (3.14 / 2) * (90 - angle) / 90
    sin_tilt = math.sin(tilt)
    slit = range(0, 2501, 5)
    # the phase splits into the path behind the slit and the wavefront's delay before it;
    # k = (slit top + s) - (screen top + d) = 3000 + s - d
    k_lo = 3000 - (POINTS - 1)
    behind = [cmath.exp(1j * rate * refr * math.sqrt(2500.0 ** 2 + k * k)) for k in range(k_lo, 3000 + 2501)]
    before = [arrow * cmath.exp(1j * rate * sin_tilt * (2500 - s)) for s in slit]
    lengths = []
    for d in range(POINTS):
        first = 3000 - d - k_lo
        total = sum(map(operator.mul, behind[first:first + 2501:5], before))
        lengths.append(scale * abs(total) ** 2)
    _cache[key] = lengths
    return lengths


class Scale:
    """Where the design area stands in the window: one factor (1 is 15 twips to a pixel)
    and the corner, in pixels of the client area."""

    def __init__(self, factor=1.0, left=0, top=0):
        self.factor, self.left, self.top = factor, left, top
        self.per_twip = factor / 15
        # the bars' pen: 3 pixels at factor 1, and its reach above and below its centre
        self.bar_width = max(1, round(3 * factor))
        self.pen_origin = (self.bar_width - 1) // 2

    def x(self, twips):
        return self.left + math.floor(twips * self.per_twip)

    def y(self, twips):
        return self.top + math.floor(twips * self.per_twip)

    def __repr__(self):
        return f"factor {self.factor:.4f} at ({self.left}, {self.top})"


FACTOR_ONE = Scale()


def centre_row(d, scale=FACTOR_ONE):
    return scale.y(TOP_Y + d)


def first_row(scale=FACTOR_ONE):
    return centre_row(0, scale) + scale.bar_width - 1 - scale.pen_origin


def last_row(scale=FACTOR_ONE):
    return centre_row(POINTS - 1, scale) - scale.pen_origin


def expected_ends(colour, angle=45, scale=FACTOR_ONE):
    """For every pixel row fully inside the screen, the last pixel column its bars reach.

    A bar is drawn 3 px thick at factor 1, so a pixel row shows the longest bar among the
    points whose centre row is within the pen's reach of it.
    """
    lengths = bar_lengths(colour, angle)
    reach = scale.bar_width - 1 - scale.pen_origin
    ends = {}
    for d, bar in enumerate(lengths):
        end = scale.x(SCREEN_X + bar) + reach
        c = centre_row(d, scale)
        for r in range(c - scale.pen_origin, c + reach + 1):
            if ends.get(r, -1) < end:
                ends[r] = end
    return {r: e for r, e in ends.items() if first_row(scale) <= r <= last_row(scale)}


def segments(pixels, x0):
    """Runs of equal pixels: [(rgb, first column, last column), ...]."""
    out = []
    for i, p in enumerate(pixels):
        if out and out[-1][0] == p:
            out[-1][2] = x0 + i
        else:
            out.append([p, x0 + i, x0 + i])
    return [tuple(s) for s in out]
