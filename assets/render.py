#!/usr/bin/env python3
"""Writes the SVG source of every picture to assets/svg/ and renders them to res/.

Only the Python standard library and rsvg-convert (Debian: librsvg2-bin) are used.
Text is drawn with fonts from fonts-liberation2 and fonts-league-spartan through a
private fontconfig setup, so the output does not depend on what else is installed.
Pictures are rendered at twice their size in points (content scale factor 2).

Usage:  python3 assets/render.py          render everything
        python3 assets/render.py --check  render into a temporary folder and compare
"""
import base64
import hashlib
import math
import os
import shutil
import subprocess
import sys
import struct
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ASSETS = os.path.join(ROOT, "assets")
SVG_DIR = os.path.join(ASSETS, "svg")
RES = os.path.join(ROOT, "res")
FONTS = os.path.join(ROOT, "fonts")
ICONS = os.path.join(ROOT, "desktop", "icons")

SANS = "Liberation Sans"
DISPLAY = "League Spartan"

# The rsvg-convert the committed pictures were made with; another version may
# antialias differently, so the script says so instead of silently drifting.
RSVG_VERSION = "2.54.7"

# ---------------------------------------------------------------------------
# Track geometry (points, part coordinates with y up unless noted)
# ---------------------------------------------------------------------------
# The band's half-width makes the corner's far end fit the picture exactly:
# a band end at 45 degrees whose centre is 15.75 in from two edges touches both.
HW = 15.75 * math.sqrt(2.0)          # 22.27: half-width of the band, rails included
RAIL = 3.0                           # width of each guard rail
ROAD = HW - RAIL                     # half-width of the driving surface
LANE = 2.0 * ROAD / 3.0              # three lanes
TAN225 = math.tan(math.radians(22.5))

# Point sizes of the eight parts, in palette order.  Heights leave room outside
# the band for the cues that tell the kinds apart (gantry, profile, shadows, bridge).
PART_SIZES = {
    "start": (72, 61),
    "straight": (60, 45),
    "corner": (90, 69),
    "wave": (68, 61),
    "slope": (64, 55),
    "bank": (62, 55),
    "changer": (102, 63),
    "jump": (68, 53),
}
PART_ORDER = ["start", "straight", "corner", "wave", "slope", "bank", "changer", "jump"]

C_RAIL = "#e3e7ec"
C_RAIL_EDGE = "#68707b"
C_KERB = "#d8362d"
C_ROAD = "#3d4149"
C_SLOT = "#1b1d21"
C_LINE = "#f4f4f0"
C_BOARD = "#cdd6de"
C_GRID = "#bac5cf"
C_PANEL = "#17202b"
C_ACCENT = "#e2392f"
C_GOLD = "#f2b531"


def n(v):
    """Numbers in the SVG text are written the same way on every run."""
    s = "%.4f" % v
    s = s.rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def esc(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;")
            .replace(">", "&gt;").replace('"', "&quot;"))


def svg_doc(w, h, body, defs="", px_per_pt=2):
    return ('<svg xmlns="http://www.w3.org/2000/svg" '
            'xmlns:xlink="http://www.w3.org/1999/xlink" '
            'width="%s" height="%s" viewBox="0 0 %s %s">\n'
            '<defs>%s</defs>\n%s\n</svg>\n' % (n(px_per_pt * w), n(px_per_pt * h), n(w), n(h), defs, body))


def text(x, y, s, size, fill="#ffffff", family=SANS, weight="normal", anchor="start",
         extra=""):
    return ('<text x="%s" y="%s" font-family="%s" font-size="%s" font-weight="%s" '
            'fill="%s" text-anchor="%s" %s>%s</text>'
            % (n(x), n(y), family, n(size), weight, fill, anchor, extra, esc(s)))


class StraightTrack:
    """Centre line along +x at svg height cy, from x0 to x1 (svg coordinates)."""

    def __init__(self, x0, x1, cy):
        self.x0, self.x1, self.cy = x0, x1, cy

    def point(self, s, d):
        # d > 0 is to the left of travel, which is up on screen
        return (self.x0 + s, self.cy - d)

    def length(self, d):
        return self.x1 - self.x0

    def path(self, d, reverse=False):
        a, b = (self.x0, self.x1) if not reverse else (self.x1, self.x0)
        y = self.cy - d
        return "M%s %s L%s %s" % (n(a), n(y), n(b), n(y))

    def seg(self, d, reverse=False):
        a = self.x1 if reverse else self.x0
        b = self.x0 if reverse else self.x1
        return "L%s %s L%s %s" % (n(a), n(self.cy - d), n(b), n(self.cy - d))

    def end_line(self, which, d0, d1):
        x = self.x0 if which == 0 else self.x1
        return (x, self.cy - d0), (x, self.cy - d1)


class CornerTrack:
    """A left turn of 45 degrees from end A at (0, ya) heading +x.

    The arc's radius comes from the height the turn has to climb; the hair of
    straight run before it absorbs the rounding of the picture to whole points
    (under 0.02 points for the chosen size), so both ends land exactly.
    """

    def __init__(self, w, h):
        self.w, self.h = w, h
        dx = w - 15.75
        dy = h - 38.25
        self.R = dy / (1.0 - math.cos(math.radians(45)))
        self.lead = dx - self.R * math.sin(math.radians(45))
        assert self.lead >= 0.0
        self.ya = h - 22.5                 # end A in svg coordinates
        self.cx = self.lead
        self.cyc = self.ya - self.R        # arc centre (svg)

    def point(self, s, d):
        r = self.R - d
        if s <= self.lead:
            return (s, self.ya - d)
        a = (s - self.lead) / self.R
        return (self.cx + r * math.sin(a), self.cyc + r * math.cos(a))

    def length(self, d):
        return self.lead + (self.R - d) * math.pi / 4.0

    def _ends(self, d):
        r = self.R - d
        a = math.radians(45)
        p0 = (0.0, self.ya - d)
        p1 = (self.cx, self.ya - d)
        p2 = (self.cx + r * math.sin(a), self.cyc + r * math.cos(a))
        return p0, p1, p2, r

    def path(self, d, reverse=False):
        p0, p1, p2, r = self._ends(d)
        if not reverse:
            return "M%s %s L%s %s A%s %s 0 0 0 %s %s" % (
                n(p0[0]), n(p0[1]), n(p1[0]), n(p1[1]), n(r), n(r), n(p2[0]), n(p2[1]))
        return "M%s %s A%s %s 0 0 1 %s %s L%s %s" % (
            n(p2[0]), n(p2[1]), n(r), n(r), n(p1[0]), n(p1[1]), n(p0[0]), n(p0[1]))

    def seg(self, d, reverse=False):
        p = self.path(d, reverse)
        return "L" + p[1:]

    def end_line(self, which, d0, d1):
        if which == 0:
            return (0.0, self.ya - d0), (0.0, self.ya - d1)
        return self._ends(d0)[2], self._ends(d1)[2]


def region(track, d_in, d_out):
    """Closed area of the band between the offsets d_in and d_out."""
    a = track.path(d_in)
    b = track.seg(d_out, reverse=True)
    return a + " " + b + " Z"


def stroke(track, d, width, color, extra=""):
    return ('<path d="%s" fill="none" stroke="%s" stroke-width="%s" %s/>'
            % (track.path(d), color, n(width), extra))


def dashed(track, d, width, color, period=9.0, duty=0.55, opacity=0.9):
    """Dashes laid out so each end of the piece falls in the middle of a gap:
    pieces of any length then join without a broken rhythm."""
    length = track.length(d)
    count = max(1, int(round(length / period)))
    p = length / count
    dash = p * duty
    gap = p - dash
    return stroke(track, d, width, color,
                  'stroke-dasharray="%s %s" stroke-dashoffset="%s" opacity="%s"'
                  % (n(dash), n(gap), n(dash + gap / 2.0), n(opacity)))


def band(track, dividers=True, slots=True, joints=True):
    """The common look of every part: rails, kerb stripes, road, slots, lane lines."""
    out = []
    out.append('<path d="%s" fill="%s"/>' % (region(track, HW, -HW), C_RAIL))
    out.append('<path d="%s" fill="%s"/>' % (region(track, ROAD, -ROAD), C_ROAD))
    for side in (1, -1):
        out.append(stroke(track, side * (HW - 0.3), 0.6, C_RAIL_EDGE))
        out.append(stroke(track, side * (ROAD + 0.25), 0.5, C_RAIL_EDGE))
        out.append(stroke(track, side * (ROAD + 1.5), 0.9, C_KERB))
    if slots:
        for k in (-1, 0, 1):
            out.append(stroke(track, k * LANE, 1.0, C_SLOT))
            out.append(stroke(track, k * LANE - 0.7, 0.35, "#6a6f78", 'opacity="0.8"'))
    if dividers:
        for k in (-0.5, 0.5):
            out.append(dashed(track, k * LANE, 0.7, C_LINE))
    if joints:
        for which in (0, 1):
            a, b = track.end_line(which, ROAD, -ROAD)
            # inset the joint a little into the piece along the travel direction
            s = 0.35 if which == 0 else track.length(0) - 0.35
            pa = track.point(s, ROAD)
            pb = track.point(s, -ROAD)
            out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="#23262c" '
                       'stroke-width="0.7"/>' % (n(pa[0]), n(pa[1]), n(pb[0]), n(pb[1])))
    return "\n".join(out)


# ---------------------------------------------------------------------------
# Picture registry
# ---------------------------------------------------------------------------
PICTURES = []   # (name, w, h, builder, needs)


def picture(name, w, h, needs=()):
    def register(fn):
        PICTURES.append((name, w, h, fn, tuple(needs)))
        return fn
    return register


def image(name, x, y, w, h, extra=""):
    """A rendered picture placed in a composite; files are copied beside the SVG."""
    return ('<image x="%s" y="%s" width="%s" height="%s" xlink:href="img/%s.png" '
            'preserveAspectRatio="none" %s/>' % (n(x), n(y), n(w), n(h), name, extra))


def part_image(kind, x, y, scale=1.0, extra=""):
    w, h = PART_SIZES[kind]
    return image("circuit_" + kind, x, y, w * scale, h * scale, extra)


# ---------------------------------------------------------------------------
# The eight track parts
# ---------------------------------------------------------------------------
def straight_band(w, h, x0=0.0, x1=None):
    return StraightTrack(x0, w if x1 is None else x1, h / 2.0)


@picture("circuit_start", *PART_SIZES["start"])
def p_start(w, h):
    t = straight_band(w, h)
    cy = h / 2.0
    out = [band(t, dividers=False)]
    # grid boxes: one per lane, staggered like a real starting grid
    for i, k in enumerate((1, 0, -1)):
        yl = cy - k * LANE
        bx = 8.0 + i * 7.0
        out.append('<path d="M%s %s h-8 v%s h8" fill="none" stroke="%s" stroke-width="0.9"/>'
                   % (n(bx + 8), n(yl - LANE / 2 + 1.6), n(LANE - 3.2), C_LINE))
        out.append(text(bx + 2.6, yl + 2.1, str(i + 1), 5.5, C_LINE, DISPLAY, "bold"))
    # chequered start line
    sq = 2.0 * ROAD / 10.0
    for r in range(10):
        for c in range(2):
            col = "#ffffff" if (r + c) % 2 == 0 else "#15171b"
            out.append('<rect x="%s" y="%s" width="%s" height="%s" fill="%s"/>'
                       % (n(40 + c * sq), n(cy - ROAD + r * sq), n(sq), n(sq), col))
    # the gantry over the line, its feet beside the band
    gx = 51.0
    out.append('<rect x="%s" y="1" width="6" height="%s" rx="1" fill="#2b3340" '
               'stroke="#11151b" stroke-width="0.6"/>' % (n(gx - 3), n(h - 2)))
    for i in range(5):
        yy = 8.0 + i * (h - 16.0) / 4.0
        col = C_KERB if i % 2 == 0 else "#39d353"
        out.append('<circle cx="%s" cy="%s" r="1.3" fill="%s"/>' % (n(gx), n(yy), col))
    for yy in (1.0, h - 6.0):
        out.append('<rect x="%s" y="%s" width="10" height="5" rx="1" fill="%s" '
                   'stroke="#11151b" stroke-width="0.6"/>' % (n(gx - 5), n(yy), C_ACCENT))
    return "\n".join(out)


@picture("circuit_straight", *PART_SIZES["straight"])
def p_straight(w, h):
    return band(straight_band(w, h))


@picture("circuit_corner", *PART_SIZES["corner"])
def p_corner(w, h):
    t = CornerTrack(w, h)
    out = [band(t)]
    # a row of kerb blocks on the outside of the turn
    for i in range(1, 8):
        s = t.length(0) * i / 8.0
        a = t.point(s, -HW + 0.2)
        b = t.point(s, -ROAD - 0.2)
        out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="#ffffff" stroke-width="1.6"/>'
                   % (n(a[0]), n(a[1]), n(b[0]), n(b[1])))
    return "\n".join(out)


@picture("circuit_wave", *PART_SIZES["wave"])
def p_wave(w, h):
    cy = 22.5                       # the ends lie 22.5 below the top edge
    t = StraightTrack(0.0, w, cy)
    out = [band(t)]
    # light on the crests, dark in the dips, fading to flat at both ends
    stops = []
    for i in range(0, 41):
        u = i / 40.0
        v = math.sin(u * 4 * math.pi) * math.sin(u * math.pi) ** 0.7
        if v >= 0:
            stops.append('<stop offset="%s" stop-color="#ffffff" stop-opacity="%s"/>'
                         % (n(u), n(0.42 * v)))
        else:
            stops.append('<stop offset="%s" stop-color="#000000" stop-opacity="%s"/>'
                         % (n(u), n(-0.5 * v)))
    defs = ('<linearGradient id="hump" x1="0" y1="0" x2="%s" y2="0" '
            'gradientUnits="userSpaceOnUse">%s</linearGradient>' % (n(w), "".join(stops)))
    out.insert(0, "<defs>%s</defs>" % defs)
    out.append('<rect x="0" y="%s" width="%s" height="%s" fill="url(#hump)"/>'
               % (n(cy - HW), n(w), n(2 * HW)))
    # the side view of the humps below the band, as a profile sign
    pts = []
    base = h - 2.0
    for i in range(0, 61):
        u = i / 60.0
        x = 4 + u * (w - 8)
        y = base - 3.0 - 5.5 * (0.5 - 0.5 * math.cos(u * 4 * math.pi))
        pts.append("%s %s" % (n(x), n(y)))
    out.append('<path d="M4 %s L%s L%s %s Z" fill="#2b3340" opacity="0.85"/>'
               % (n(base), " L".join(pts), n(w - 4), n(base)))
    out.append('<path d="M%s" fill="none" stroke="%s" stroke-width="1.2"/>'
               % (" L".join(pts), C_GOLD))
    return "\n".join(out)


@picture("circuit_slope", *PART_SIZES["slope"])
def p_slope(w, h):
    t = straight_band(w, h)
    cy = h / 2.0
    out = []
    # the shadow grows with the height of the ramp
    out.append('<path d="M0 %s L%s %s L%s %s L%s %s Z" fill="#000000" opacity="0.28"/>'
               % (n(cy + HW), n(w), n(cy + HW), n(w - 2), n(cy + HW + 5.0), n(8), n(cy + HW + 0.3)))
    out.append(band(t, dividers=False))
    defs = ('<linearGradient id="ramp" x1="0" y1="0" x2="%s" y2="0" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#000000" stop-opacity="0.0"/>'
            '<stop offset="0.12" stop-color="#000000" stop-opacity="0.35"/>'
            '<stop offset="0.88" stop-color="#ffffff" stop-opacity="0.32"/>'
            '<stop offset="1" stop-color="#ffffff" stop-opacity="0.0"/>'
            '</linearGradient>' % n(w))
    out.insert(0, "<defs>%s</defs>" % defs)
    out.append('<rect x="0" y="%s" width="%s" height="%s" fill="url(#ramp)"/>'
               % (n(cy - HW), n(w), n(2 * HW)))
    # chevrons pointing uphill in the two dividers' places
    for k in (-0.5, 0.5):
        yy = cy - k * LANE
        for i in range(3):
            x = 16 + i * 13
            out.append('<path d="M%s %s l4 3 l-4 3" fill="none" stroke="%s" stroke-width="1.1" '
                       'stroke-linejoin="round"/>' % (n(x), n(yy - 3), C_GOLD))
    # stepped support posts along the edge, taller towards the high end
    for i in range(4):
        x = 10 + i * 15
        hh = 1.0 + i * 1.2
        out.append('<rect x="%s" y="%s" width="3" height="%s" fill="#55606e"/>'
                   % (n(x), n(cy + HW), n(hh)))
    return "\n".join(out)


@picture("circuit_bank", *PART_SIZES["bank"])
def p_bank(w, h):
    t = straight_band(w, h)
    cy = h / 2.0
    out = []
    defs = ('<linearGradient id="tilt" x1="0" y1="%s" x2="0" y2="%s" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#ffffff" stop-opacity="0.38"/>'
            '<stop offset="0.5" stop-color="#ffffff" stop-opacity="0"/>'
            '<stop offset="1" stop-color="#000000" stop-opacity="0.45"/>'
            '</linearGradient>'
            '<linearGradient id="fade" x1="0" y1="0" x2="%s" y2="0" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#ffffff" stop-opacity="0"/>'
            '<stop offset="0.25" stop-color="#ffffff" stop-opacity="1"/>'
            '<stop offset="0.75" stop-color="#ffffff" stop-opacity="1"/>'
            '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/>'
            '</linearGradient>'
            '<mask id="mid" maskUnits="userSpaceOnUse" x="0" y="0" width="%s" height="%s">'
            '<rect x="0" y="0" width="%s" height="%s" fill="url(#fade)"/></mask>'
            % (n(cy - HW), n(cy + HW), n(w), n(w), n(h), n(w), n(h)))
    out.append("<defs>%s</defs>" % defs)
    # the raised side throws a shadow, widest in the middle of the piece
    out.append('<path d="M0 %s C%s %s %s %s %s %s Z" fill="#000000" opacity="0.3"/>'
               % (n(cy + HW), n(w * 0.3), n(cy + HW + 11), n(w * 0.7), n(cy + HW + 11),
                  n(w), n(cy + HW)))
    out.append(band(t))
    out.append('<g mask="url(#mid)"><rect x="0" y="%s" width="%s" height="%s" fill="url(#tilt)"/>'
               % (n(cy - HW), n(w), n(2 * HW)))
    # cross hatching on the banked rail shows which way it leans
    for i in range(9):
        x = 8 + i * 5.5
        out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="#ffffff" stroke-width="0.9" '
                   'opacity="0.9"/>' % (n(x), n(cy + ROAD + 0.6), n(x + 2.4), n(cy + HW - 0.4)))
    out.append("</g>")
    return "\n".join(out)


@picture("circuit_changer", *PART_SIZES["changer"])
def p_changer(w, h):
    cy = h / 2.0
    x0, x1 = 23.0, w - 23.0
    t = StraightTrack(x0, x1, cy)
    out = []
    # bridge girders run past the ends on both sides, clear of the band
    for (ya, yb) in ((0.5, cy - HW - 0.3), (cy + HW + 0.3, h - 0.5)):
        hh = yb - ya
        out.append('<rect x="0.5" y="%s" width="%s" height="%s" rx="1.2" fill="#3f6fa8" '
                   'stroke="#1c3553" stroke-width="0.8"/>' % (n(ya), n(w - 1), n(hh)))
        k = 0
        x = 3.0
        while x + 6 <= w - 3:
            out.append('<path d="M%s %s L%s %s" stroke="#9cc1ea" stroke-width="0.8"/>'
                       % (n(x), n(ya + 1) if k % 2 == 0 else n(yb - 1), n(x + 6),
                          n(yb - 1) if k % 2 == 0 else n(ya + 1)))
            x += 6
            k += 1
        for px in (1.5, w - 7.5):
            out.append('<rect x="%s" y="%s" width="6" height="%s" fill="#1c3553"/>'
                       % (n(px), n(ya), n(hh)))
    out.append(band(t, dividers=False, slots=False))
    # the two outer lanes swap sides; one slot crosses over on a small deck
    def s_curve(y_from, y_to):
        xm0, xm1 = x0 + 6, x1 - 6
        return ("M%s %s L%s %s C%s %s %s %s %s %s L%s %s" % (
            n(x0), n(y_from), n(xm0), n(y_from), n((xm0 + xm1) / 2), n(y_from),
            n((xm0 + xm1) / 2), n(y_to), n(xm1), n(y_to), n(x1), n(y_to)))
    top, bot = cy - LANE, cy + LANE
    out.append('<path d="%s" fill="none" stroke="%s" stroke-width="1.0"/>' % (s_curve(bot, top), C_SLOT))
    out.append('<path d="M%s %s L%s %s" stroke="%s" stroke-width="1.0"/>' % (n(x0), n(cy), n(x1), n(cy), C_SLOT))
    cxm = (x0 + x1) / 2
    out.append('<rect x="%s" y="%s" width="14" height="%s" rx="1.5" fill="#000000" opacity="0.35"/>'
               % (n(cxm - 6), n(cy - ROAD + 2.5), n(2 * ROAD - 3)))
    out.append('<rect x="%s" y="%s" width="14" height="%s" rx="1.5" fill="#8a929c" '
               'stroke="#2a2e35" stroke-width="0.6"/>' % (n(cxm - 7), n(cy - ROAD + 1.5), n(2 * ROAD - 3)))
    out.append('<path d="%s" fill="none" stroke="%s" stroke-width="1.0"/>' % (s_curve(top, bot), C_SLOT))
    # arrows showing the swap
    for (ya, yb) in ((top, bot), (bot, top)):
        xa = x0 + 4
        out.append('<path d="M%s %s l3 %s" stroke="%s" stroke-width="0.9" fill="none"/>'
                   % (n(xa), n(ya), n(2.5 if yb > ya else -2.5), C_GOLD))
    return "\n".join(out)


@picture("circuit_jump", *PART_SIZES["jump"])
def p_jump(w, h):
    cy = h / 2.0
    gap0, gap1 = 27.0, 41.0
    out = []
    defs = ('<linearGradient id="up" x1="0" y1="0" x2="%s" y2="0" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#000000" stop-opacity="0"/>'
            '<stop offset="1" stop-color="#ffffff" stop-opacity="0.4"/></linearGradient>'
            '<linearGradient id="down" x1="%s" y1="0" x2="%s" y2="0" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#ffffff" stop-opacity="0.3"/>'
            '<stop offset="1" stop-color="#000000" stop-opacity="0"/></linearGradient>'
            % (n(gap0), n(gap1), n(w)))
    out.append("<defs>%s</defs>" % defs)
    # shadows of the two ramps on the board
    out.append('<path d="M6 %s L%s %s L%s %s Z" fill="#000" opacity="0.3"/>'
               % (n(cy + HW), n(gap0), n(cy + HW), n(gap0 - 1), n(cy + HW + 4.5)))
    out.append('<path d="M%s %s L%s %s L%s %s Z" fill="#000" opacity="0.3"/>'
               % (n(gap1), n(cy + HW), n(w - 8), n(cy + HW), n(gap1 + 1), n(cy + HW + 3.5)))
    out.append(band(StraightTrack(0, gap0, cy), joints=False))
    out.append(band(StraightTrack(gap1, w, cy), joints=False))
    for which, tr in ((0, StraightTrack(0, gap0, cy)), (1, StraightTrack(gap1, w, cy))):
        s = 0.35 if which == 0 else tr.length(0) - 0.35
        x = tr.x0 + s
        out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="#23262c" stroke-width="0.7"/>'
                   % (n(x), n(cy - ROAD), n(x), n(cy + ROAD)))
    out.append('<rect x="0" y="%s" width="%s" height="%s" fill="url(#up)"/>'
               % (n(cy - HW), n(gap0), n(2 * HW)))
    out.append('<rect x="%s" y="%s" width="%s" height="%s" fill="url(#down)"/>'
               % (n(gap1), n(cy - HW), n(w - gap1), n(2 * HW)))
    # the gap: the board far below, seen through the hole
    out.append('<rect x="%s" y="%s" width="%s" height="%s" fill="#000000" opacity="0.22"/>'
               % (n(gap0), n(cy - HW + 3), n(gap1 - gap0), n(2 * HW - 6)))
    # hazard lips on both sides of the gap
    for x in (gap0 - 3.0, gap1):
        out.append('<rect x="%s" y="%s" width="3" height="%s" fill="%s"/>'
                   % (n(x), n(cy - HW), n(2 * HW), C_GOLD))
        yy = cy - HW
        while yy < cy + HW:
            out.append('<path d="M%s %s l3 -3 v2.2 l-3 3 Z" fill="#15171b"/>'
                       % (n(x), n(min(yy + 3, cy + HW))))
            yy += 4.4
    # a dotted flight path over the gap
    out.append('<path d="M%s %s Q%s %s %s %s" fill="none" stroke="#ffffff" stroke-width="0.9" '
               'stroke-dasharray="1.5 1.5"/>' % (n(gap0 - 4), n(cy), n((gap0 + gap1) / 2),
                                                 n(cy - 6), n(gap1 + 4), n(cy)))
    return "\n".join(out)


# ---------------------------------------------------------------------------
# Board
# ---------------------------------------------------------------------------
@picture("base", 128, 128)
def p_base(w, h):
    # the board repeats this tile, so nothing may touch its edges unevenly:
    # grid lines sit half a cell in from the edges, every 32 points
    out = ['<rect width="%s" height="%s" fill="%s"/>' % (n(w), n(h), C_BOARD)]
    for i in range(4):
        c = 16 + 32 * i
        out.append('<rect x="%s" y="0" width="0.5" height="%s" fill="%s"/>' % (n(c - 0.25), n(h), C_GRID))
        out.append('<rect x="0" y="%s" width="%s" height="0.5" fill="%s"/>' % (n(c - 0.25), n(w), C_GRID))
    for i in range(4):
        for j in range(4):
            out.append('<circle cx="%s" cy="%s" r="0.6" fill="#b3bfca"/>' % (n(32 * i), n(32 * j)))
            if i == 0:
                out.append('<circle cx="%s" cy="%s" r="0.6" fill="#b3bfca"/>' % (n(w), n(32 * j)))
        out.append('<circle cx="%s" cy="%s" r="0.6" fill="#b3bfca"/>' % (n(32 * i), n(h)))
    out.append('<circle cx="%s" cy="%s" r="0.6" fill="#b3bfca"/>' % (n(w), n(h)))
    return "\n".join(out)


@picture("base_scale", 250, 60)
def p_base_scale(w, h):
    out = ['<rect x="6" y="6" width="%s" height="%s" rx="6" fill="#ffffff" opacity="0.55"/>'
           % (n(w - 12), n(h - 12))]
    x0, y0, length = 20.0, 36.0, 200.0
    out.append('<rect x="%s" y="%s" width="%s" height="6" fill="#ffffff" stroke="#3b4450" stroke-width="0.8"/>'
               % (n(x0), n(y0), n(length)))
    for i in range(4):
        out.append('<rect x="%s" y="%s" width="%s" height="6" fill="#3b4450"/>'
                   % (n(x0 + i * 50), n(y0), n(25)))
    for i in range(0, 21):
        tall = 6 if i % 5 == 0 else 3
        out.append('<rect x="%s" y="%s" width="0.8" height="%s" fill="#3b4450"/>'
                   % (n(x0 + i * 10 - 0.4), n(y0 - tall), n(tall)))
    for v in (0, 100, 200):
        out.append(text(x0 + v, y0 - 9, str(v), 10, "#3b4450", SANS, "bold", "middle"))
    out.append(text(x0 + length + 6, y0 + 6, "units", 9, "#3b4450", SANS, "normal"))
    out.append(text(x0, h - 10, "A straight is 60 units long", 7.5, "#56606c"))
    return "\n".join(out)


# ---------------------------------------------------------------------------
# Drawer and settings
# ---------------------------------------------------------------------------
def checkers(x, y, cols, rows, size, color, fade_to_right):
    out = []
    for c in range(cols):
        for r in range(rows):
            if (c + r) % 2:
                continue
            u = c / max(1, cols - 1)
            op = (1 - u) if fade_to_right else u
            out.append('<rect x="%s" y="%s" width="%s" height="%s" fill="%s" opacity="%s"/>'
                       % (n(x + c * size), n(y + r * size), n(size), n(size), color, n(0.05 + 0.22 * op)))
    return "".join(out)


@picture("tab_base", 1024, 868)
def p_tab_base(w, h):
    # layout (y up from the panel's bottom): palette strip 0..100, credits up to
    # 420, help 420..550, account 550..740, title at 810
    def Y(y):
        return h - y
    defs = ('<linearGradient id="bg" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#202b39"/><stop offset="1" stop-color="#121922"/>'
            '</linearGradient>'
            '<linearGradient id="strip" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#2a3646"/><stop offset="1" stop-color="#1b2430"/>'
            '</linearGradient>')
    out = ["<defs>%s</defs>" % defs]
    out.append('<rect width="%s" height="%s" fill="url(#bg)"/>' % (n(w), n(h)))
    # title band with chequered flags fading toward the title
    out.append('<rect x="0" y="0" width="%s" height="%s" fill="#0f151d" opacity="0.6"/>' % (n(w), n(Y(740))))
    out.append(checkers(24, 18, 16, 6, 14, "#ffffff", True))
    out.append(checkers(w - 24 - 16 * 14, 18, 16, 6, 14, "#ffffff", False))
    out.append('<rect x="0" y="%s" width="%s" height="3" fill="%s"/>' % (n(Y(740) - 3), n(w), C_ACCENT))
    # account card behind the fields and the OK button
    out.append('<rect x="190" y="%s" width="644" height="%s" rx="14" fill="#ffffff" opacity="0.04" '
               'stroke="#ffffff" stroke-opacity="0.08"/>' % (n(Y(728)), n(728 - 568)))
    # palette strip
    out.append('<rect x="0" y="%s" width="%s" height="100" fill="url(#strip)"/>' % (n(Y(100)), n(w)))
    out.append('<rect x="0" y="%s" width="%s" height="1.5" fill="#ffffff" opacity="0.12"/>' % (n(Y(100)), n(w)))
    # faint lane stripes along the bottom edge of the strip
    out.append('<rect x="0" y="%s" width="%s" height="3" fill="%s"/>' % (n(h - 3), n(w), C_ACCENT))
    return "\n".join(out)


@picture("tab", 150, 44)
def p_tab(w, h):
    out = ['<path d="M0 0 H%s V%s Q%s %s %s %s H22 Q0 %s 0 %s Z" fill="#1b2430" '
           'stroke="%s" stroke-width="1.5"/>' % (n(w), n(h - 22), n(w), n(h), n(w - 22), n(h), n(h), n(h - 22), C_ACCENT)]
    out.append('<rect x="0" y="0" width="%s" height="4" fill="#1b2430"/>' % n(w))
    for i in range(3):
        out.append('<rect x="%s" y="%s" width="44" height="2.4" rx="1.2" fill="#8794a6"/>'
                   % (n(w / 2 - 22), n(12 + i * 6)))
    out.append('<path d="M%s %s l8 6 l8 -6" fill="none" stroke="#ffffff" stroke-width="2.6" '
               'stroke-linecap="round" stroke-linejoin="round"/>' % (n(w / 2 - 8), n(h - 12.5)))
    return "\n".join(out)


def gear(cx, cy, r_out, r_in, teeth, color):
    pts = []
    for i in range(teeth * 4):
        a = 2 * math.pi * i / (teeth * 4)
        r = r_out if (i % 4) in (1, 2) else r_in
        pts.append("%s %s" % (n(cx + r * math.cos(a)), n(cy + r * math.sin(a))))
    return '<path d="M%s Z" fill="%s"/>' % (" L".join(pts), color)


@picture("other_setting", 64, 64)
def p_other_setting(w, h):
    out = ['<circle cx="32" cy="32" r="30" fill="#1b2430" stroke="%s" stroke-width="2"/>' % C_ACCENT]
    out.append(gear(32, 32, 20, 15, 8, "#e8ecf1"))
    out.append('<circle cx="32" cy="32" r="7" fill="#1b2430"/>')
    return "\n".join(out)


@picture("common_line", 984, 2)
def p_common_line(w, h):
    defs = ('<linearGradient id="l" x1="0" y1="0" x2="1" y2="0">'
            '<stop offset="0" stop-color="#ffffff" stop-opacity="0"/>'
            '<stop offset="0.15" stop-color="#ffffff" stop-opacity="0.45"/>'
            '<stop offset="0.85" stop-color="#ffffff" stop-opacity="0.45"/>'
            '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/></linearGradient>')
    return '<defs>%s</defs><rect x="0" y="0.5" width="%s" height="1" fill="url(#l)"/>' % (defs, n(w))


def field(w, h, r=8):
    return ('<rect x="1" y="1" width="%s" height="%s" rx="%s" fill="#0b1016" stroke="#6d7b8e" '
            'stroke-width="1.5"/><rect x="3" y="3" width="%s" height="3" rx="1.5" fill="#000000" '
            'opacity="0.35"/>' % (n(w - 2), n(h - 2), n(r), n(w - 6)))


@picture("other_code", 260, 40)
def p_other_code(w, h):
    return field(w, h)


def button(w, h, label, size, fill=C_ACCENT, icon=""):
    return ('<rect x="1" y="1" width="%s" height="%s" rx="%s" fill="%s" stroke="#ffffff" '
            'stroke-opacity="0.35" stroke-width="1.5"/>'
            '<rect x="4" y="3" width="%s" height="%s" rx="%s" fill="#ffffff" opacity="0.14"/>%s%s'
            % (n(w - 2), n(h - 2), n(h / 2 - 1), fill, n(w - 8), n(h / 2 - 3), n(h / 4), icon,
               text(w / 2 + (10 if icon else 0), h / 2 + size * 0.36, label, size, "#ffffff", DISPLAY, "bold", "middle")))


@picture("other_ok", 160, 44)
def p_other_ok(w, h):
    return button(w, h, "OK", 22)


@picture("other_help", 220, 52)
def p_other_help(w, h):
    icon = ('<circle cx="34" cy="26" r="14" fill="#ffffff"/>' +
            text(34, 33, "?", 20, "#2b3a4e", DISPLAY, "bold", "middle"))
    return button(w, h, "How to use", 20, "#2f4a6b", icon)


def galvora_mark(cx, cy, r):
    """An original mark: a circuit loop drawn as a G, with a star at its open end."""
    out = []
    a0, a1 = math.radians(-20), math.radians(300)
    x0, y0 = cx + r * math.cos(a0), cy - r * math.sin(a0)
    x1, y1 = cx + r * math.cos(a1), cy - r * math.sin(a1)
    out.append('<path d="M%s %s A%s %s 0 1 0 %s %s" fill="none" stroke="%s" stroke-width="%s" '
               'stroke-linecap="round"/>' % (n(x0), n(y0), n(r), n(r), n(x1), n(y1), C_GOLD, n(r * 0.36)))
    out.append('<path d="M%s %s A%s %s 0 1 0 %s %s" fill="none" stroke="#1b1d21" stroke-width="%s" '
               'stroke-dasharray="%s %s"/>' % (n(x0), n(y0), n(r), n(r), n(x1), n(y1), n(r * 0.06),
                                               n(r * 0.18), n(r * 0.14)))
    out.append('<path d="M%s %s H%s" stroke="%s" stroke-width="%s" stroke-linecap="round"/>'
               % (n(cx + r * 0.05), n(cy), n(x0 + r * 0.08), C_GOLD, n(r * 0.36)))
    pts = []
    for i in range(10):
        a = math.pi / 2 + i * math.pi / 5
        rr = r * (0.34 if i % 2 == 0 else 0.14)
        pts.append("%s %s" % (n(cx + rr * math.cos(a)), n(cy - r * 0.02 - rr * math.sin(a))))
    out.append('<path d="M%s Z" fill="#ffffff"/>' % " L".join(pts))
    return "".join(out)


@picture("other_galvora", 240, 120)
def p_other_galvora(w, h):
    out = ['<rect x="2" y="2" width="%s" height="%s" rx="16" fill="#10161e" stroke="%s" stroke-width="2"/>'
           % (n(w - 4), n(h - 4), C_GOLD)]
    out.append(galvora_mark(58, 60, 30))
    out.append(text(104, 66, "Galvora", 34, "#ffffff", DISPLAY, "bold"))
    out.append(text(106, 86, "CIRCUIT SHOWCASE", 9, C_GOLD, SANS, "bold", extra='letter-spacing="1.2"'))
    return "\n".join(out)


def kito_mark(cx, cy, s):
    """An original mark: a kite of four facets with a ribbon tail."""
    top, right, bottom, left = (cx, cy - s), (cx + s * 0.7, cy - s * 0.15), (cx, cy + s), (cx - s * 0.7, cy - s * 0.15)
    c = (cx, cy - s * 0.15)
    facets = [(top, right, "#4fc3f7"), (right, bottom, "#0288d1"), (bottom, left, "#e2392f"), (left, top, "#ff8a65")]
    out = []
    for a, b, col in facets:
        out.append('<path d="M%s %s L%s %s L%s %s Z" fill="%s"/>'
                   % (n(c[0]), n(c[1]), n(a[0]), n(a[1]), n(b[0]), n(b[1]), col))
    out.append('<path d="M%s %s q%s %s %s %s t%s %s t%s %s" fill="none" stroke="#ffffff" stroke-width="%s" '
               'stroke-linecap="round"/>' % (n(bottom[0]), n(bottom[1]), n(s * 0.4), n(s * 0.2), n(s * 0.15),
                                              n(s * 0.45), n(-s * 0.1), n(s * 0.4), n(s * 0.3), n(s * 0.3), n(s * 0.08)))
    return "".join(out)


@picture("other_kito", 240, 120)
def p_other_kito(w, h):
    out = ['<rect x="2" y="2" width="%s" height="%s" rx="16" fill="#10161e" stroke="#4fc3f7" stroke-width="2"/>'
           % (n(w - 4), n(h - 4))]
    out.append(kito_mark(62, 48, 26))
    out.append(text(112, 70, "Kito", 42, "#ffffff", DISPLAY, "bold"))
    out.append(text(114, 90, "TOY WORKS", 11, "#4fc3f7", SANS, "bold", extra='letter-spacing="2"'))
    return "\n".join(out)


# ---------------------------------------------------------------------------
# Trash and removal
# ---------------------------------------------------------------------------
def bin_body(w, h, open_lid):
    out = []
    glow = C_ACCENT if open_lid else "#ffffff"
    out.append('<ellipse cx="%s" cy="%s" rx="46" ry="8" fill="#000" opacity="0.25"/>' % (n(w / 2), n(h - 8)))
    out.append('<path d="M%s 44 L%s %s Q%s %s %s %s H%s Q%s %s %s %s L%s 44 Z" fill="#2b3340" '
               'stroke="%s" stroke-width="2.5"/>'
               % (n(w / 2 - 34), n(w / 2 - 28), n(h - 16), n(w / 2 - 27), n(h - 10), n(w / 2 - 20), n(h - 10),
                  n(w / 2 + 20), n(w / 2 + 27), n(h - 10), n(w / 2 + 28), n(h - 16), n(w / 2 + 34), glow))
    for dx in (-14, 0, 14):
        out.append('<rect x="%s" y="54" width="5" height="%s" rx="2.5" fill="#8794a6"/>' % (n(w / 2 + dx - 2.5), n(h - 78)))
    if open_lid:
        out.append('<ellipse cx="%s" cy="44" rx="34" ry="7" fill="#0b0e12" stroke="%s" stroke-width="2.5"/>' % (n(w / 2), glow))
        out.append('<g transform="rotate(-28 %s 44)"><rect x="%s" y="28" width="78" height="9" rx="4" fill="%s"/>'
                   '<rect x="%s" y="20" width="22" height="9" rx="3" fill="%s"/></g>'
                   % (n(w / 2 - 34), n(w / 2 - 37), C_ACCENT, n(w / 2 - 9), C_ACCENT))
    else:
        out.append('<rect x="%s" y="33" width="78" height="10" rx="4" fill="#3b4656" stroke="#ffffff" stroke-width="1.5"/>' % n(w / 2 - 39))
        out.append('<rect x="%s" y="25" width="22" height="9" rx="3" fill="#3b4656" stroke="#ffffff" stroke-width="1.5"/>' % n(w / 2 - 11))
    return "\n".join(out)


@picture("common_deleat_close", 110, 120)
def p_trash_close(w, h):
    return bin_body(w, h, False)


@picture("common_deleat_open", 110, 120)
def p_trash_open(w, h):
    return bin_body(w, h, True)


def puff(w, h, step):
    """Removal frame `step` of 4: a burst that grows into a dust cloud and fades."""
    cx, cy = w / 2, h / 2
    out = []
    grow = [0.35, 0.62, 0.85, 1.0][step]
    fade = [1.0, 0.95, 0.7, 0.35][step]
    blobs = [(0, 0, 0.30), (0.32, -0.12, 0.22), (-0.30, -0.1, 0.22), (0.18, 0.26, 0.2),
             (-0.2, 0.27, 0.2), (0.02, -0.33, 0.2), (0.38, 0.16, 0.15), (-0.38, 0.18, 0.15)]
    for i, (bx, by, br) in enumerate(blobs):
        spread = grow * (1.0 + 0.3 * step)
        x = cx + bx * w * 0.5 * spread
        y = cy + by * h * 0.5 * spread
        r = br * w * 0.5 * grow * (1.2 if step < 3 else 0.8)
        out.append('<circle cx="%s" cy="%s" r="%s" fill="#eef1f4" stroke="#8b95a1" stroke-width="2" opacity="%s"/>'
                   % (n(x), n(y), n(r), n(fade)))
    if step < 3:
        for i in range(8):
            a = i * math.pi / 4 + 0.3
            r0 = w * 0.5 * grow * 0.75
            r1 = r0 + 10 + 4 * step
            out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="3" stroke-linecap="round" opacity="%s"/>'
                       % (n(cx + r0 * math.cos(a)), n(cy + r0 * math.sin(a)), n(cx + r1 * math.cos(a)),
                          n(cy + r1 * math.sin(a)), C_GOLD, n(1.0 - 0.3 * step)))
    return "\n".join(out)


for _i in range(4):
    picture("common_deleat%d" % (_i + 1), 120, 120)(lambda w, h, _s=_i: puff(w, h, _s))


# ---------------------------------------------------------------------------
# Saved circuits
# ---------------------------------------------------------------------------
@picture("save_new", 320, 240)
def p_save_new(w, h):
    out = ['<rect x="2" y="2" width="%s" height="%s" rx="14" fill="#1b2430"/>' % (n(w - 4), n(h - 4))]
    out.append('<rect x="8" y="8" width="%s" height="%s" rx="10" fill="none" stroke="#8794a6" '
               'stroke-width="3" stroke-dasharray="14 9"/>' % (n(w - 16), n(h - 16)))
    out.append('<circle cx="%s" cy="100" r="44" fill="%s"/>' % (n(w / 2), C_ACCENT))
    out.append('<path d="M%s 100 h44 M%s 78 v44" stroke="#ffffff" stroke-width="9" stroke-linecap="round"/>'
               % (n(w / 2 - 22), n(w / 2)))
    out.append(text(w / 2, 188, "New circuit", 28, "#ffffff", DISPLAY, "bold", "middle"))
    return "\n".join(out)


@picture("noimage640", 320, 240)
def p_noimage(w, h):
    out = ['<rect width="%s" height="%s" fill="#2a3340"/>' % (n(w), n(h))]
    for i in range(1, 10):
        out.append('<rect x="%s" y="0" width="1" height="%s" fill="#ffffff" opacity="0.04"/>' % (n(i * 32), n(h)))
    for i in range(1, 8):
        out.append('<rect x="0" y="%s" width="%s" height="1" fill="#ffffff" opacity="0.04"/>' % (n(i * 30), n(w)))
    out.append('<rect x="105" y="62" width="110" height="70" rx="35" fill="none" stroke="#6d7b8e" '
               'stroke-width="14"/>')
    out.append('<rect x="105" y="62" width="110" height="70" rx="35" fill="none" stroke="#2a3340" '
               'stroke-width="1.5" stroke-dasharray="6 5"/>')
    out.append(text(w / 2, 182, "No picture yet", 22, "#aab4c2", DISPLAY, "bold", "middle"))
    return "\n".join(out)


@picture("frame640", 320, 240)
def p_frame(w, h):
    return ('<rect x="3" y="3" width="%s" height="%s" rx="9" fill="none" stroke="%s" stroke-width="6"/>'
            '<rect x="7.5" y="7.5" width="%s" height="%s" rx="5" fill="none" stroke="#ffffff" '
            'stroke-opacity="0.7" stroke-width="1.5"/>' % (n(w - 6), n(h - 6), C_GOLD, n(w - 15), n(h - 15)))


def round_button(w, icon, fill="#2f4a6b"):
    c = w / 2
    return ('<circle cx="%s" cy="%s" r="%s" fill="#000" opacity="0.3"/>'
            '<circle cx="%s" cy="%s" r="%s" fill="%s" stroke="#ffffff" stroke-width="2.5"/>%s'
            % (n(c), n(c + 2), n(c - 3), n(c), n(c), n(c - 4), fill, icon))


@picture("list_edit", 80, 80)
def p_list_edit(w, h):
    icon = ('<g transform="rotate(45 40 40)"><rect x="34" y="16" width="12" height="38" rx="2" fill="#ffffff"/>'
            '<path d="M34 54 L40 66 L46 54 Z" fill="%s"/><rect x="34" y="16" width="12" height="7" fill="%s"/></g>'
            % (C_GOLD, C_ACCENT))
    return round_button(w, icon)


@picture("list_copy", 80, 80)
def p_list_copy(w, h):
    icon = ('<rect x="22" y="20" width="26" height="32" rx="3" fill="none" stroke="#ffffff" stroke-width="3.5"/>'
            '<rect x="32" y="29" width="26" height="32" rx="3" fill="#2f4a6b" stroke="#ffffff" stroke-width="3.5"/>'
            '<path d="M45 39 v13 M38.5 45.5 h13" stroke="%s" stroke-width="3.5" stroke-linecap="round"/>' % C_GOLD)
    return round_button(w, icon)


@picture("list_galvora", 80, 80)
def p_list_galvora(w, h):
    icon = galvora_mark(40, 44, 17) + ('<path d="M40 6 v12 M34 12 l6 -6 l6 6" stroke="#ffffff" '
                                       'stroke-width="3" fill="none" stroke-linecap="round"/>')
    return round_button(w, icon, "#15202c")


def history_arrow(w, redo):
    """A hooked arrow on a round button: pointing back (undo) or, mirrored, on (redo)."""
    icon = ('<path d="M25 24 H37 A11 11 0 0 1 37 46 H28" fill="none" stroke="#ffffff" stroke-width="5" '
            'stroke-linecap="round" stroke-linejoin="round"/>'
            '<path d="M13 24 L27 14 L27 34 Z" fill="%s" stroke="%s" stroke-width="2" stroke-linejoin="round"/>'
            % (C_GOLD, C_GOLD))
    if redo:
        icon = '<g transform="translate(%s 0) scale(-1 1)">%s</g>' % (n(w), icon)
    return round_button(w, icon)


@picture("undo", 64, 64)
def p_undo(w, h):
    return history_arrow(w, False)


@picture("redo", 64, 64)
def p_redo(w, h):
    return history_arrow(w, True)


# ---------------------------------------------------------------------------
# Post view
# ---------------------------------------------------------------------------
@picture("galvora_header", 1024, 110)
def p_galvora_header(w, h):
    defs = ('<linearGradient id="hd" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#2b3a4e"/>'
            '<stop offset="1" stop-color="#18212d"/></linearGradient>')
    out = ['<defs>%s</defs>' % defs,
           '<rect width="%s" height="%s" fill="url(#hd)"/>' % (n(w), n(h - 4)),
           '<rect y="%s" width="%s" height="4" fill="%s"/>' % (n(h - 4), n(w), C_GOLD)]
    out.append(galvora_mark(60, 55, 26))
    out.append(checkers(110, 20, 10, 5, 14, "#ffffff", True))
    return "\n".join(out)


@picture("galvora_name", 400, 44.5)
def p_galvora_name(w, h):
    return field(w, h)


@picture("galvora_description", 400, 150.5)
def p_galvora_description(w, h):
    out = [field(w, h, 10)]
    for i in range(1, 5):
        out.append('<rect x="14" y="%s" width="%s" height="0.8" fill="#ffffff" opacity="0.06"/>' % (n(i * 29), n(w - 28)))
    return "\n".join(out)


@picture("galvora_post", 240, 64)
def p_galvora_post(w, h):
    icon = ('<path d="M56 42 v-20 M47 30 l9 -9 l9 9" stroke="#ffffff" stroke-width="4" fill="none" '
            'stroke-linecap="round" stroke-linejoin="round"/>')
    return button(w, h, "Post", 26, C_ACCENT, icon)


@picture("common_close", 99, 99)
def p_common_close(w, h):
    c = w / 2
    return ('<circle cx="%s" cy="%s" r="31" fill="#000" opacity="0.35"/>'
            '<circle cx="%s" cy="%s" r="30" fill="#1b2430" stroke="#ffffff" stroke-width="3"/>'
            '<path d="M%s %s l24 24 M%s %s l-24 24" stroke="#ffffff" stroke-width="6" stroke-linecap="round"/>'
            % (n(c), n(c + 2), n(c), n(c), n(c - 12), n(c - 12), n(c + 12), n(c - 12)))


@picture("loading", 80, 80)
def p_loading(w, h):
    out = []
    for i in range(12):
        a = 2 * math.pi * i / 12 - math.pi / 2
        op = 0.15 + 0.85 * (i / 11.0)
        r = 3.2 + 2.4 * (i / 11.0)
        out.append('<circle cx="%s" cy="%s" r="%s" fill="#ffffff" opacity="%s"/>'
                   % (n(40 + 28 * math.cos(a)), n(40 + 28 * math.sin(a)), n(r), n(op)))
    out.append('<circle cx="40" cy="40" r="9" fill="%s"/>' % C_ACCENT)
    return "\n".join(out)


# ---------------------------------------------------------------------------
# Board furniture
# ---------------------------------------------------------------------------
@picture("open_end", 14, 14)
def p_open_end(w, h):
    """The ring on an end that is not joined: bright on a dark rim, so it reads on
    the board's light grid and on every part's grey road, white rails and red kerbs;
    its centre stays clear so the end itself shows through."""
    c = w / 2
    return ('<circle cx="%s" cy="%s" r="4.6" fill="none" stroke="%s" stroke-width="4.2"/>'
            '<circle cx="%s" cy="%s" r="4.6" fill="none" stroke="%s" stroke-width="2.2"/>'
            % (n(c), n(c), C_SLOT, n(c), n(c), C_GOLD))


# ---------------------------------------------------------------------------
# Help pager furniture
# ---------------------------------------------------------------------------
@picture("help_pager_off", 16, 16)
def p_pager_off(w, h):
    return '<circle cx="8" cy="8" r="5.5" fill="#ffffff" opacity="0.35"/>'


@picture("help_pager_on", 16, 16)
def p_pager_on(w, h):
    return '<circle cx="8" cy="8" r="7" fill="#ffffff"/><circle cx="8" cy="8" r="3.5" fill="%s"/>' % C_ACCENT


def arrow(w, h, left):
    pts = "M30 18 L14 40 L30 62" if left else "M14 18 L30 40 L14 62"
    return ('<rect x="1" y="1" width="%s" height="%s" rx="20" fill="#ffffff" opacity="0.12"/>'
            '<path d="%s" fill="none" stroke="#ffffff" stroke-width="6" stroke-linecap="round" '
            'stroke-linejoin="round"/>' % (n(w - 2), n(h - 2), pts))


@picture("help_arrow_l", 44, 80)
def p_arrow_l(w, h):
    return arrow(w, h, True)


@picture("help_arrow_r", 44, 80)
def p_arrow_r(w, h):
    return arrow(w, h, False)


# ---------------------------------------------------------------------------
# Assembling parts at their end points (used by the help pages and the sheets)
# ---------------------------------------------------------------------------
def end_points(kind):
    """End A, end B and the heading (degrees, anticlockwise) a car leaves end B with,
    in part coordinates with y up, exactly as the editor computes them."""
    w, h = PART_SIZES[kind]
    if kind == "corner":
        return (0.0, 22.5), (w - 15.75, h - 15.75), 45.0
    if kind == "wave":
        return (0.0, h - 22.5), (float(w), h - 22.5), 0.0
    if kind == "changer":
        return (23.0, h * 0.5), (w - 23.0, h * 0.5), 0.0
    return (0.0, h * 0.5), (float(w), h * 0.5), 0.0


def mat_mul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(3)) for j in range(3)] for i in range(3)]


def mat_rot(deg):
    c, s_ = math.cos(math.radians(deg)), math.sin(math.radians(deg))
    return [[c, -s_, 0.0], [s_, c, 0.0], [0.0, 0.0, 1.0]]


def mat_move(x, y):
    return [[1.0, 0.0, x], [0.0, 1.0, y], [0.0, 0.0, 1.0]]


def mat_apply(m, p):
    return (m[0][0] * p[0] + m[0][1] * p[1] + m[0][2], m[1][0] * p[0] + m[1][1] * p[1] + m[1][2])


def chain_layout(kinds, start=(0.0, 0.0), heading=0.0):
    """Part-to-world matrices (y up) of parts joined end B to end A, the first
    part's end A at start with the given heading."""
    placed_parts = []
    m = mat_mul(mat_move(*start), mat_rot(heading))
    m = mat_mul(m, mat_move(-end_points(kinds[0])[0][0], -end_points(kinds[0])[0][1]))
    for i, kind in enumerate(kinds):
        placed_parts.append((kind, m))
        a, b, turn = end_points(kind)
        if i + 1 < len(kinds):
            na = end_points(kinds[i + 1])[0]
            m = mat_mul(mat_mul(mat_mul(m, mat_move(*b)), mat_rot(turn)), mat_move(-na[0], -na[1]))
    return placed_parts


def chain_svg(parts, ox, oy, scale=1.0, opacity=1.0, image_of=None):
    """Draws world-space parts in an SVG whose y runs down, world origin at (ox, oy)."""
    out = []
    for kind, m in parts:
        w, h = PART_SIZES[kind]
        flip_out = [[scale, 0.0, ox], [0.0, -scale, oy], [0.0, 0.0, 1.0]]
        flip_in = [[1.0, 0.0, 0.0], [0.0, -1.0, float(h)], [0.0, 0.0, 1.0]]
        t = mat_mul(mat_mul(flip_out, m), flip_in)
        body = image_of(kind) if image_of else part_image(kind, 0, 0)
        out.append('<g transform="matrix(%s %s %s %s %s %s)" opacity="%s">%s</g>'
                   % (n(t[0][0]), n(t[1][0]), n(t[0][1]), n(t[1][1]), n(t[0][2]), n(t[1][2]),
                      n(opacity), body))
    return "".join(out)


# ---------------------------------------------------------------------------
# Help pages (1024 x 768; dots at y 80 from the bottom, arrows at x 70 and w - 70,
# the close button over the top-right 99 x 99 corner)
# ---------------------------------------------------------------------------
ALL_PARTS = tuple("circuit_" + k for k in PART_ORDER)


def lines(x, y, rows, size=19, fill="#d9e0e8", gap=1.38, weight="normal"):
    out = []
    for i, row in enumerate(rows):
        out.append(text(x, y + i * size * gap, row, size, fill, SANS, weight))
    return "".join(out)


def step(x, y, number, rows, size=19):
    """A numbered instruction; the badge sits left of the first line."""
    out = ['<circle cx="%s" cy="%s" r="14" fill="%s"/>' % (n(x + 14), n(y - 6), C_ACCENT),
           text(x + 14, y + 0.5, str(number), 17, "#ffffff", DISPLAY, "bold", "middle"),
           lines(x + 40, y, rows, size)]
    return "".join(out)


def help_page(number, title, body):
    defs = ('<linearGradient id="hbg" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#1d2836"/>'
            '<stop offset="1" stop-color="#0d1218"/></linearGradient>')
    out = ['<defs>%s</defs>' % defs, '<rect width="1024" height="768" fill="url(#hbg)"/>']
    out.append(checkers(0, 0, 8, 3, 12, "#ffffff", True))
    out.append(text(120, 72, title, 38, "#ffffff", DISPLAY, "bold"))
    out.append(text(122, 98, "HOW TO USE VELOQUIX  \u00b7  %d / 5" % number, 13, C_GOLD, SANS, "bold",
                    extra='letter-spacing="1.5"'))
    out.append('<rect x="120" y="110" width="784" height="2" fill="#ffffff" opacity="0.12"/>')
    out.append(body)
    return "\n".join(out)


def board_box(x, y, w, h, rx=14):
    out = ['<rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="%s"/>' % (n(x), n(y), n(w), n(h), n(rx), C_BOARD)]
    i = 16
    while i < w:
        out.append('<rect x="%s" y="%s" width="0.8" height="%s" fill="%s"/>' % (n(x + i), n(y + 2), n(h - 4), C_GRID))
        i += 32
    i = 16
    while i < h:
        out.append('<rect x="%s" y="%s" width="%s" height="0.8" fill="%s"/>' % (n(x + 2), n(y + i), n(w - 4), C_GRID))
        i += 32
    return "".join(out)


def placed(kind, x, y, angle=0.0, scale=1.0, opacity=1.0):
    """A part drawn with its centre at (x, y), turned clockwise by angle degrees."""
    w, h = PART_SIZES[kind]
    return ('<g transform="translate(%s %s) rotate(%s) scale(%s)" opacity="%s">%s</g>'
            % (n(x), n(y), n(angle), n(scale), n(opacity), part_image(kind, -w / 2, -h / 2)))


def finger(x, y, scale=1.0):
    return ('<g transform="translate(%s %s) scale(%s)"><circle r="15" fill="#ffffff" opacity="0.25"/>'
            '<circle r="9" fill="#ffffff" opacity="0.9"/><circle r="9" fill="none" stroke="%s" stroke-width="2"/></g>'
            % (n(x), n(y), n(scale), C_ACCENT))


def arrow_line(x0, y0, x1, y1, color=C_GOLD, width=4, dash=""):
    a = math.atan2(y1 - y0, x1 - x0)
    hx, hy = x1 - 14 * math.cos(a), y1 - 14 * math.sin(a)
    left = (hx + 8 * math.sin(a), hy - 8 * math.cos(a))
    right = (hx - 8 * math.sin(a), hy + 8 * math.cos(a))
    d = ' stroke-dasharray="%s"' % dash if dash else ""
    return ('<path d="M%s %s L%s %s" stroke="%s" stroke-width="%s" stroke-linecap="round"%s/>'
            '<path d="M%s %s L%s %s L%s %s Z" fill="%s"/>'
            % (n(x0), n(y0), n(hx), n(hy), color, n(width), d, n(x1), n(y1), n(left[0]), n(left[1]),
               n(right[0]), n(right[1]), color))


def palette_strip(x, y, w, scale):
    out = ['<rect x="%s" y="%s" width="%s" height="%s" fill="#1b2430"/>' % (n(x), n(y), n(w), n(100 * scale))]
    px = x + 10 * scale
    for kind in PART_ORDER:
        pw, ph = PART_SIZES[kind]
        out.append(part_image(kind, px, y + (95 - ph) * scale, scale, 'opacity="0.8"'))
        out.append(text(px + (pw + 20) * scale, y + 32 * scale, "0", 27 * scale, "#9aa3ad", DISPLAY, "bold", "middle"))
        px += (pw + 55) * scale
    return "".join(out)


@picture("help_01", 1024, 768, needs=ALL_PARTS)
def p_help_01(w, h):
    b = []
    b.append('<g><clipPath id="scr"><rect x="120" y="135" width="450" height="500" rx="16"/></clipPath>'
             '<g clip-path="url(#scr)">')
    b.append(board_box(120, 135, 450, 500, 16))
    b.append(palette_strip(120, 135, 450, 0.44))
    b.append('</g><rect x="120" y="135" width="450" height="500" rx="16" fill="none" stroke="#ffffff" '
             'stroke-opacity="0.3" stroke-width="2"/></g>')
    # a straight already lies on the board, a corner is dragged towards it
    b.append(placed("straight", 260, 430, 0, 1.6))
    b.append(placed("corner", 450, 340, 0, 1.6, 0.6))
    b.append(arrow_line(222, 200, 420, 320, "#ffffff", 3, "8 7"))
    b.append(finger(455, 345))
    b.append('<circle cx="308" cy="430" r="30" fill="none" stroke="%s" stroke-width="3" stroke-dasharray="6 5"/>' % C_GOLD)
    b.append(text(308, 486, "ends meet: snap!", 16, "#1b2430", SANS, "bold", "middle"))
    b.append(text(345, 625, "the board", 15, "#56606c", SANS, "bold", "middle"))
    b.append(step(600, 175, 1, ["Drag a part out of the palette", "strip at the top of the screen", "and drop it on the board."]))
    b.append(step(600, 290, 2, ["Bring one of its ends near a free", "end of another part: closer than", "30 units and facing it, it snaps", "on and lines up by itself."]))
    b.append(step(600, 430, 3, ["The number beside each part in", "the palette counts how many of", "that kind lie on the board."]))
    b.append(step(600, 545, 4, ["Every change is kept at once;", "there is no save button."]))
    return help_page(1, "Build a circuit", "\n".join(b))


def clock(x, y):
    return ('<circle cx="%s" cy="%s" r="16" fill="#ffffff"/><path d="M%s %s v-10 M%s %s h8" stroke="#1b2430" '
            'stroke-width="3" stroke-linecap="round"/>' % (n(x), n(y), n(x), n(y), n(x), n(y)))


@picture("help_02", 1024, 768, needs=ALL_PARTS + ("common_deleat_open", "common_deleat2"))
def p_help_02(w, h):
    b = []
    rows = [135, 255, 375, 495]
    for y in rows:
        b.append(board_box(120, y, 330, 108, 12))
    # 1: one part moves
    b.append(placed("straight", 205, 189, 0, 1.3, 0.45))
    b.append(arrow_line(250, 189, 330, 189, C_GOLD, 4))
    b.append(placed("straight", 380, 189, 0, 1.3))
    b.append(finger(380, 189))
    # 2: a chain held still lifts as a whole
    b.append(chain_svg(chain_layout(["corner", "straight", "corner"]), 160, 352, 0.5, 0.55))
    b.append(clock(410, 290))
    b.append(finger(232, 318))
    # 3: a tap turns by 45 degrees
    b.append(placed("straight", 205, 429, 0, 1.1, 0.35))
    b.append(placed("straight", 205, 429, 45, 1.1))
    b.append(finger(205, 429))
    b.append('<path d="M270 400 A45 45 0 0 1 282 455" fill="none" stroke="%s" stroke-width="4"/>' % C_GOLD)
    b.append('<path d="M274 452 l10 8 l4 -12 Z" fill="%s"/>' % C_GOLD)
    b.append(text(360, 438, "45\u00b0", 30, "#1b2430", DISPLAY, "bold", "middle"))
    # 4: the trash
    b.append(image("common_deleat_open", 340, 507, 80, 87))
    b.append(placed("corner", 230, 549, 0, 1.0))
    b.append(arrow_line(280, 549, 330, 549, C_GOLD, 4))
    b.append(image("common_deleat2", 140, 510, 70, 70))
    b.append(step(480, 178, 1, ["Drag a part to move it on its own."]))
    b.append(lines(520, 205, ["Move at once: a touch that starts moving", "right away slides the board instead."], 16, "#9aa8b8"))
    b.append(step(480, 295, 2, ["Press and hold still for a moment: the", "whole joined chain lifts up. Then drag", "it anywhere; it snaps like one part."]))
    b.append(step(480, 420, 3, ["Tap a part to turn it by 45 degrees."]))
    b.append(lines(520, 447, ["Ends that meet after the turn join up."], 16, "#9aa8b8"))
    b.append(step(480, 530, 4, ["While you drag, the trash shows at the", "bottom of the screen. Drop a part or a", "chain on it to throw it away."]))
    return help_page(2, "Move, turn and remove", "\n".join(b))


def two_fingers(x, y, spread):
    return (finger(x - spread, y + spread * 0.6) + finger(x + spread, y - spread * 0.6) +
            arrow_line(x - spread + 14, y + spread * 0.6 - 8, x - 10, y + 6, "#ffffff", 3) +
            arrow_line(x + spread - 14, y - spread * 0.6 + 8, x + 10, y - 6, "#ffffff", 3))


def mouse(x, y):
    return ('<rect x="%s" y="%s" width="34" height="52" rx="17" fill="#ffffff"/>'
            '<rect x="%s" y="%s" width="6" height="14" rx="3" fill="%s"/>'
            '<path d="M%s %s v-20 M%s %s l-6 6 M%s %s l6 6" stroke="#ffffff" stroke-width="3" stroke-linecap="round"/>'
            % (n(x - 17), n(y - 26), n(x - 3), n(y - 18), C_ACCENT, n(x + 30), n(y + 10), n(x + 30), n(y - 10),
               n(x + 30), n(y - 10)))


@picture("help_03", 1024, 768, needs=ALL_PARTS + ("save_new", "noimage640"))
def p_help_03(w, h):
    b = []
    cards = [(120, 135), (520, 135), (120, 395), (520, 395)]
    for (x, y) in cards:
        b.append('<rect x="%s" y="%s" width="384" height="240" rx="14" fill="#ffffff" opacity="0.05"/>' % (n(x), n(y)))
    # pan
    b.append(board_box(140, 150, 150, 120, 10))
    b.append(placed("corner", 200, 205, 0, 0.9))
    b.append(finger(250, 230))
    b.append(arrow_line(250, 230, 200, 190, "#ffffff", 3))
    b.append(lines(305, 185, ["Drag the empty", "board to move", "around it."], 18))
    # zoom
    b.append(two_fingers(590, 210, 34))
    b.append(mouse(680, 210))
    b.append(lines(735, 180, ["Pinch, or turn", "the mouse wheel,", "to zoom from half", "to double size."], 18))
    # double tap
    b.append(finger(200, 470))
    b.append('<circle cx="200" cy="470" r="26" fill="none" stroke="#ffffff" stroke-width="2" opacity="0.6"/>'
             '<circle cx="200" cy="470" r="38" fill="none" stroke="#ffffff" stroke-width="2" opacity="0.3"/>')
    b.append(text(200, 535, "tap tap", 16, C_GOLD, SANS, "bold", "middle"))
    b.append(lines(262, 455, ["Double tap to zoom", "in a step; at full", "zoom a double tap", "brings you back."], 18))
    # zoom out to the list
    b.append(board_box(545, 420, 120, 90, 8))
    b.append(placed("corner", 590, 462, 0, 0.5))
    b.append(placed("straight", 625, 452, -45, 0.5))
    b.append(arrow_line(672, 465, 712, 465, C_GOLD, 4))
    b.append('<rect x="718" y="425" width="170" height="80" rx="6" fill="#000000"/>')
    b.append(image("save_new", 726, 447, 48, 36))
    b.append(image("noimage640", 780, 447, 48, 36))
    b.append(image("noimage640", 834, 447, 48, 36))
    b.append(lines(545, 545, ["Pinch far out to close the circuit and", "see all your saved circuits."], 18))
    b.append(lines(120, 665, ["Zooming far out is also how you switch to another circuit."], 16, "#9aa8b8"))
    return help_page(3, "Look around the board", "\n".join(b))


@picture("help_06", 1024, 768, needs=("save_new", "noimage640", "frame640", "list_edit", "list_copy",
                                      "list_galvora", "common_deleat_close"))
def p_help_06(w, h):
    b = []
    b.append('<rect x="120" y="130" width="784" height="300" rx="14" fill="#000000"/>')
    s = 0.5
    b.append(image("save_new", 150, 230, 320 * s, 240 * s))
    b.append(image("noimage640", 340, 230, 320 * s, 240 * s))
    b.append(text(420, 372, "My first circuit", 14, "#ffffff", SANS, "normal", "middle"))
    # the dragged item, lifted up towards the bin, with its buttons below
    b.append(image("noimage640", 530, 190, 320 * s, 240 * s))
    b.append(image("frame640", 530, 190, 320 * s, 240 * s))
    b.append(image("common_deleat_close", 590, 134, 40, 44))
    b.append(arrow_line(610, 236, 610, 188, C_GOLD, 4))
    b.append(finger(610, 270))
    b.append(image("list_edit", 540, 352, 40, 40))
    b.append(image("list_copy", 590, 352, 40, 40))
    b.append(image("list_galvora", 640, 352, 40, 40))
    b.append(image("noimage640", 720, 230, 320 * s, 240 * s))
    b.append(arrow_line(860, 400, 760, 400, "#ffffff", 3))
    b.append(step(120, 478, 1, ["Tap a circuit to open it; tap New circuit", "to start an empty one."], 18))
    b.append(step(120, 560, 2, ["Swipe sideways to see all your", "circuits, newest first."], 18))
    b.append(step(520, 478, 3, ["Drag a circuit up a little: buttons", "appear to rename it, copy it or", "post it to Galvora."], 18))
    b.append(step(520, 585, 4, ["Drag it all the way up into the bin", "to delete it."], 18))
    return help_page(4, "Your saved circuits", "\n".join(b))


@picture("help_04", 1024, 768, needs=("tab", "other_code", "other_ok", "noimage640", "frame640",
                                      "galvora_name", "galvora_description", "galvora_post",
                                      "list_galvora"))
def p_help_04(w, h):
    b = []
    # the drawer opened with its tab, the account fields and OK
    b.append('<rect x="120" y="135" width="384" height="165" rx="14" fill="#1b2430"/>')
    b.append(text(312, 166, "VELOQUIX", 18, "#ffffff", DISPLAY, "bold", "middle"))
    b.append(lines(140, 196, ["Enter the Galvora-Name and Account-Code"], 12, "#ffffff"))
    b.append(image("other_code", 140, 212, 165, 25.4))
    b.append(image("other_code", 319, 212, 165, 25.4))
    b.append(text(222, 229, "Galvora-Name", 11, "#8d99a8", SANS, "normal", "middle"))
    b.append(text(401, 229, "Account-Code", 11, "#8d99a8", SANS, "normal", "middle"))
    b.append(image("other_ok", 262, 254, 100, 27.5))
    b.append(image("tab", 400, 298, 90, 26.4))
    b.append(finger(445, 310))
    b.append(arrow_line(445, 325, 445, 375, C_GOLD, 4))
    # the post view
    b.append('<rect x="520" y="135" width="384" height="420" rx="14" fill="#222222"/>')
    b.append(text(712, 168, "Post to Galvora", 18, "#ffffff", DISPLAY, "bold", "middle"))
    b.append(image("noimage640", 632, 185, 160, 120))
    b.append(image("frame640", 632, 185, 160, 120))
    b.append(image("galvora_name", 612, 320, 200, 22.25))
    b.append(text(622, 336, "Circuit name", 12, "#8d99a8"))
    b.append(image("galvora_description", 612, 350, 200, 75.25))
    b.append(text(622, 368, "Description", 12, "#8d99a8"))
    b.append(image("galvora_post", 652, 440, 120, 32))
    b.append(image("list_galvora", 540, 480, 48, 48))
    b.append(text(600, 512, "from the saved circuits", 13, "#9aa8b8"))
    b.append(step(120, 430, 1, ["Drag the tab at the top down to open", "the drawer."], 17))
    b.append(step(120, 510, 2, ["Type the Galvora-Name and the", "Account-Code the showcase gave", "you, then tap OK to sign in."], 17))
    b.append(step(520, 600, 3, ["Show a circuit's buttons in the saved", "circuits and tap the Galvora one. Name", "it, describe it and tap Post."], 17))
    return help_page(5, "Share on Galvora", "\n".join(b))


# ---------------------------------------------------------------------------
# Sheets for people checking the pictures (not used by the application)
# ---------------------------------------------------------------------------
def picture_names():
    return tuple(p[0] for p in PICTURES if not p[0].startswith("sheet:"))


def contact_layout():
    cols, cell_w, cell_h, box_w, box_h = 5, 300, 230, 280, 180
    return cols, cell_w, cell_h, box_w, box_h


def _contact_height():
    cols, cell_w, cell_h, _, _ = contact_layout()
    count = len(picture_names())
    return 60 + ((count + cols - 1) // cols) * cell_h + 20


def p_contact(w, h):
    cols, cell_w, cell_h, box_w, box_h = contact_layout()
    sizes = {p[0]: (p[1], p[2]) for p in PICTURES}
    out = ['<rect width="%s" height="%s" fill="#8f9398"/>' % (n(w), n(h)),
           text(20, 38, "VELOQUIX pictures (res/): shown at their size in points, large ones scaled down",
                20, "#ffffff", SANS, "bold")]
    for i, name in enumerate(picture_names()):
        pw, ph = sizes[name]
        k = min(1.0, box_w / pw, box_h / ph)
        cx = 20 + (i % cols) * cell_w
        cy = 60 + (i // cols) * cell_h
        out.append('<rect x="%s" y="%s" width="%s" height="%s" rx="6" fill="#a4a8ad"/>'
                   % (n(cx), n(cy), n(cell_w - 10), n(cell_h - 10)))
        x = cx + (cell_w - 10 - pw * k) / 2
        y = cy + 8 + (box_h - ph * k) / 2
        out.append(image(name, x, y, pw * k, ph * k))
        label = "%s.png" % name
        out.append(text(cx + (cell_w - 10) / 2, cy + box_h + 24, label, 13, "#101418", SANS, "bold", "middle"))
        scale_note = "" if k == 1.0 else "  (shown at %d%%)" % round(k * 100)
        out.append(text(cx + (cell_w - 10) / 2, cy + box_h + 38, "%s x %s pt%s" % (n(pw), n(ph), scale_note),
                        11, "#2a3038", SANS, "normal", "middle"))
    return "\n".join(out)


def marker_dot(x, y, r=3.0):
    return ('<circle cx="%s" cy="%s" r="%s" fill="none" stroke="#ff2a6d" stroke-width="1.4"/>'
            '<path d="M%s %s h%s M%s %s v%s" stroke="#ff2a6d" stroke-width="1"/>'
            % (n(x), n(y), n(r), n(x - r - 3), n(y), n(2 * r + 6), n(x), n(y - r - 3), n(2 * r + 6)))


def joints(parts, ox, oy, scale):
    out = []
    for kind, m in parts:
        a, b, _ = end_points(kind)
        for p in (a, b):
            wx, wy = mat_apply(m, p)
            out.append(marker_dot(ox + wx * scale, oy - wy * scale))
    return "".join(out)


def p_geometry(w, h):
    out = ['<rect width="%s" height="%s" fill="%s"/>' % (n(w), n(h), C_BOARD)]
    out.append(text(20, 34, "Parts joined at their end points (red marks), 2 pixels per point", 20,
                    "#1b2430", SANS, "bold"))
    scale = 2.0
    ring = chain_layout(["corner"] * 8)
    last_kind, last_m = ring[-1]
    closing = mat_apply(last_m, end_points("corner")[1])
    gap = math.hypot(closing[0], closing[1])
    # ring centre: end A of the first corner is at the origin, the arc centre 105 above
    R = CornerTrack(*PART_SIZES["corner"]).R
    ox, oy = 330, 70 + (2 * R + HW + 10) * scale
    out.append(chain_svg(ring, ox, oy, scale))
    out.append(joints(ring, ox, oy, scale))
    # the touch outline of the first corner
    cw, ch = PART_SIZES["corner"]
    outline = [(0, 0), (0, ch - 13.5), (cw - 31.5, ch), (cw, 27.0)]
    m0 = ring[0][1]
    pts = []
    for p in outline:
        wx, wy = mat_apply(m0, (p[0] - 0.0, p[1]))
        pts.append("%s %s" % (n(ox + wx * scale), n(oy - wy * scale)))
    out.append('<path d="M%s Z" fill="none" stroke="#0a7cff" stroke-width="1.5" stroke-dasharray="5 3"/>'
               % " L".join(pts))
    out.append(text(ox, oy + 85, "eight corners: end B of the last meets end A of the first, gap %.4f pt" % gap,
                    15, "#1b2430", SANS, "normal", "middle"))
    out.append(text(ox, oy + 105, "blue dashes: the corner's touch outline (0,0) (0,h-13.5) (w-31.5,h) (w,27)",
                    13, "#0a4f9e", SANS, "normal", "middle"))
    # corner + straight + corner
    cs = chain_layout(["corner", "straight", "corner"], heading=-22.5)
    ox2, oy2 = 690, 650
    out.append(chain_svg(cs, ox2, oy2, scale))
    out.append(joints(cs, ox2, oy2, scale))
    out.append(text(ox2 + 200, oy2 + 75, "corner + straight + corner", 15, "#1b2430", SANS, "normal", "middle"))
    # close-up of a corner-to-corner and a corner-to-straight joint, 8 pixels per point
    for idx, (parts, base, which, label) in enumerate(((ring, (ox, oy), 0, "corner to corner"),
                                                       (cs, (ox2, oy2), 0, "corner to straight"))):
        kind, m = parts[which]
        jx, jy = mat_apply(m, end_points(kind)[1])
        zoom = 8.0
        bx, by, bw, bh = 700 + idx * 250, 90, 230, 230
        out.append('<clipPath id="zoom%d"><rect x="%s" y="%s" width="%s" height="%s"/></clipPath>'
                   % (idx, n(bx), n(by), n(bw), n(bh)))
        zx = bx + bw / 2 - jx * zoom
        zy = by + bh / 2 + jy * zoom
        out.append('<g clip-path="url(#zoom%d)"><rect x="%s" y="%s" width="%s" height="%s" fill="%s"/>%s</g>'
                   % (idx, n(bx), n(by), n(bw), n(bh), C_BOARD, chain_svg(parts, zx, zy, zoom)))
        out.append('<rect x="%s" y="%s" width="%s" height="%s" fill="none" stroke="#1b2430" stroke-width="2"/>'
                   % (n(bx), n(by), n(bw), n(bh)))
        out.append(marker_dot(bx + bw / 2, by + bh / 2, 5))
        out.append(text(bx + bw / 2, by + bh + 20, label + ", 8 px per point", 13, "#1b2430", SANS,
                        "normal", "middle"))
    return "\n".join(out)


picture("sheet:contact-sheet", 1520, _contact_height(), needs=picture_names())(p_contact)
picture("sheet:geometry-sheet", 1220, 760, needs=("circuit_corner", "circuit_straight"))(p_geometry)


# ---------------------------------------------------------------------------
# Application icon (desktop menus, docks): its own square SVG, installed as the
# scalable icon, and PNGs at the sizes desktops ask for. No text, no embedded
# pictures, so the SVG stands alone.
# ---------------------------------------------------------------------------
ICON_SIZES = (48, 128, 256, 512)


def app_icon_svg():
    R, cx1, cx2, cy = 29.0, 52.0, 76.0, 64.0     # a stadium-shaped loop
    band, road = 24.0, 18.0
    loop = ("M%s %s H%s A%s %s 0 0 1 %s %s H%s A%s %s 0 0 1 %s %s Z"
            % (n(cx1), n(cy - R), n(cx2), n(R), n(R), n(cx2), n(cy + R), n(cx1), n(R), n(R), n(cx1), n(cy - R)))
    b = ['<rect x="6" y="6" width="116" height="116" rx="26" fill="url(#bg)"/>',
         '<path d="%s" fill="none" stroke="%s" stroke-width="%s"/>' % (loop, C_RAIL, n(band)),
         '<path d="%s" fill="none" stroke="%s" stroke-width="%s" stroke-dasharray="6 6"/>' % (loop, C_KERB, n(band)),
         '<path d="%s" fill="none" stroke="%s" stroke-width="%s"/>' % (loop, C_ROAD, n(road)),
         '<path d="%s" fill="none" stroke="%s" stroke-width="2" stroke-dasharray="7 6" stroke-dashoffset="3"/>'
         % (loop, C_LINE)]
    square = road / 4.0
    for col in range(2):
        for row in range(4):
            b.append('<rect x="%s" y="%s" width="%s" height="%s" fill="%s"/>'
                     % (n(60 + col * square), n(cy + R - road / 2 + row * square), n(square), n(square),
                        "#ffffff" if (col + row) % 2 == 0 else "#111111"))
    b.append('<g transform="translate(66 %s)"><rect x="-9" y="-5" width="18" height="10" rx="3.5" fill="%s"/>'
             '<rect x="-2" y="-3.5" width="5.5" height="7" rx="1.5" fill="%s" opacity="0.8"/></g>'
             % (n(cy - R), C_GOLD, C_SLOT))
    defs = ('<linearGradient id="bg" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#263445"/>'
            '<stop offset="1" stop-color="#111820"/></linearGradient>')
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 128 128">\n'
            '<defs>%s</defs>\n%s\n</svg>\n' % (defs, "\n".join(b)))


def render_icons(svg_dir, icon_dir, env):
    svg_path = os.path.join(svg_dir, "app_icon.svg")
    write(svg_path, app_icon_svg())
    os.makedirs(icon_dir, exist_ok=True)
    for size in ICON_SIZES:
        out = os.path.join(icon_dir, "%dx%d.png" % (size, size))
        subprocess.run(["rsvg-convert", "--format", "png", "-w", str(size), "-h", str(size), "-o", out, svg_path],
                       check=True, env=env)
        ensure_alpha(out)


# ---------------------------------------------------------------------------
# Rendering
# ---------------------------------------------------------------------------
FONTS_CONF = """<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/liberation2</dir>
  <dir>/usr/share/fonts/opentype/league-spartan</dir>
  <cachedir>%s</cachedir>
  <match target="font">
    <edit name="antialias" mode="assign"><bool>true</bool></edit>
    <edit name="hinting" mode="assign"><bool>false</bool></edit>
    <edit name="hintstyle" mode="assign"><const>hintnone</const></edit>
    <edit name="rgba" mode="assign"><const>none</const></edit>
  </match>
</fontconfig>
"""


def render_env(work):
    conf = os.path.join(work, "fonts.conf")
    with open(conf, "w") as f:
        f.write(FONTS_CONF % os.path.join(work, "fc-cache"))
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "FONTCONFIG_FILE": conf,
           "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8", "HOME": work}
    return env


def rsvg(svg_path, png_path, env):
    subprocess.run(["rsvg-convert", "--format", "png", "-o", png_path, svg_path],
                   check=True, env=env)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(path, mode) as f:
        f.write(data)


def render_all(res_dir, svg_dir, sheet_dir, work):
    env = render_env(work)
    img_dir = os.path.join(svg_dir, "img")
    done = {}
    for name, w, h, fn, needs in PICTURES:
        body = fn(w, h)
        svg = svg_doc(w, h, body, px_per_pt=1 if name.startswith("sheet:") else 2)
        svg_path = os.path.join(svg_dir, name.replace("sheet:", "") + ".svg")
        write(svg_path, svg)
        if needs:
            os.makedirs(img_dir, exist_ok=True)
            for dep in needs:
                shutil.copyfile(done[dep], os.path.join(img_dir, dep + ".png"))
        out = (os.path.join(sheet_dir, name[len("sheet:"):] + ".png") if name.startswith("sheet:")
               else os.path.join(res_dir, name + ".png"))
        rsvg(svg_path, out, env)
        if not name.startswith("sheet:"):
            ensure_alpha(out)
        done[name] = out
    shutil.rmtree(img_dir, ignore_errors=True)
    return done


def _unfilter(raw, width, height, bpp):
    stride = width * bpp
    out = bytearray(stride * height)
    prev = bytearray(stride)
    pos = 0
    for y in range(height):
        ftype = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        if ftype == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 0xFF
        elif ftype == 2:
            line = bytearray((a + b) & 0xFF for a, b in zip(line, prev))
        elif ftype == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prev[i]) >> 1)) & 0xFF
        elif ftype == 4:
            for i in range(stride):
                a = line[i - bpp] if i >= bpp else 0
                b = prev[i]
                c = prev[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if (pa <= pb and pa <= pc) else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
        out[y * stride:(y + 1) * stride] = line
        prev = line
    return out


def ensure_alpha(path):
    """Opaque pictures come out of cairo as RGB; the application's pictures are
    all RGBA, so those are rewritten with an alpha channel of 255."""
    with open(path, "rb") as f:
        data = f.read()
    pos, chunks = 8, []
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks.append((kind, data[pos + 8:pos + 8 + length]))
        pos += 12 + length
    width, height, depth, color, _, _, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if color == 6:
        return
    assert color == 2 and depth == 8 and interlace == 0, path
    raw = zlib.decompress(b"".join(c for k, c in chunks if k == b"IDAT"))
    rgb = _unfilter(raw, width, height, 3)
    rgba = bytearray(width * height * 4)
    rgba[0::4], rgba[1::4], rgba[2::4] = rgb[0::3], rgb[1::3], rgb[2::3]
    rgba[3::4] = b"\xff" * (width * height)
    stride = width * 4
    # "up" filtering as one vector step per row keeps the file small and the script quick
    parts = []
    prev = bytes(stride)
    for y in range(height):
        line = bytes(rgba[y * stride:(y + 1) * stride])
        parts.append(b"\x02" + bytes((a - b) & 0xFF for a, b in zip(line, prev)))
        prev = line
    rows = b"".join(parts)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def copy_fonts(fonts_dir):
    os.makedirs(fonts_dir, exist_ok=True)
    pairs = [
        ("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", "arial.ttf"),
        ("/usr/share/fonts/opentype/league-spartan/LeagueSpartan-ExtraBold.otf",
         "Diamante-ExtraBold.ttf"),
        ("/usr/share/doc/fonts-liberation2/copyright", "LICENSE-liberation.txt"),
        ("/usr/share/doc/fonts-league-spartan/copyright", "LICENSE-league-spartan.txt"),
    ]
    for src, dst in pairs:
        shutil.copyfile(src, os.path.join(fonts_dir, dst))


def digest(folder):
    out = {}
    for root, _, files in os.walk(folder):
        for f in sorted(files):
            if f.endswith(".png"):
                p = os.path.join(root, f)
                with open(p, "rb") as fh:
                    out[os.path.relpath(p, folder)] = hashlib.sha256(fh.read()).hexdigest()
    return out


def main():
    version = subprocess.run(["rsvg-convert", "--version"], capture_output=True,
                             text=True, check=True).stdout.split()[-1]
    if version != RSVG_VERSION:
        print("note: rsvg-convert %s, the committed pictures were made with %s; "
              "antialiasing may differ slightly" % (version, RSVG_VERSION), file=sys.stderr)
    check = "--check" in sys.argv[1:]
    with tempfile.TemporaryDirectory() as work:
        if check:
            res_dir = os.path.join(work, "res")
            sheet_dir = os.path.join(work, "sheets")
            svg_dir = os.path.join(work, "svg")
            icon_dir = os.path.join(work, "icons")
        else:
            res_dir, sheet_dir, svg_dir, icon_dir = RES, ASSETS, SVG_DIR, ICONS
            copy_fonts(FONTS)
        os.makedirs(res_dir, exist_ok=True)
        os.makedirs(sheet_dir, exist_ok=True)
        render_all(res_dir, svg_dir, sheet_dir, work)
        render_icons(svg_dir, icon_dir, render_env(work))
        if check:
            fresh = digest(res_dir)
            fresh.update({k: v for k, v in digest(sheet_dir).items()})
            fresh.update({"icons/" + k: v for k, v in digest(icon_dir).items()})
            have = digest(RES)
            have.update({k: v for k, v in digest(ASSETS).items() if "/" not in k})
            have.update({"icons/" + k: v for k, v in digest(ICONS).items()})
            bad = sorted(k for k in fresh if have.get(k) != fresh[k])
            for k in bad:
                print("differs: " + k)
            print("%d pictures checked, %d differ" % (len(fresh), len(bad)))
            return 1 if bad else 0
    print("rendered %d pictures and the application icon at %d sizes" % (len(PICTURES), len(ICON_SIZES)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
