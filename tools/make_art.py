#!/usr/bin/env python3
"""Draws the setup wizard's banner bitmap and program icon, byte-for-byte the same every run."""
# Usage: python3 tools/make_art.py [outdir]   (default: <repo>/res)
#
# Standard library only. Shapes are filled by supersampling each pixel, so edges come out
# antialiased without any imaging library. Nothing here reads the clock or an unseeded RNG.

import math
import os
import struct
import sys

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

SUBSAMPLES = 4  # per axis, so 16 coverage samples per pixel
BANNER_W, BANNER_H = 228, 312  # 152 x 192 dialog units at 96 dpi
ICON_SIZES = (32, 16)
BMP_FILE_HEADER_SIZE = 14
BMP_INFO_HEADER_SIZE = 40
PIXELS_PER_METRE_96DPI = 3780
ICON_DIR_SIZE, ICON_ENTRY_SIZE = 6, 16
ICON_TYPE_ICON = 1
BANNER_BITS_PER_PIXEL = 8
BANNER_PALETTE_SIZE = 1 << BANNER_BITS_PER_PIXEL
ICON_BITS_PER_PIXEL = 4
ICON_PALETTE_SIZE = 1 << ICON_BITS_PER_PIXEL
ROW_ALIGN = 4  # every DIB row is padded to a multiple of 4 bytes

NAVY = (9, 24, 64)
SKY = (62, 128, 206)
WHITE = (255, 255, 255)
INK = (28, 44, 78)
BRAND_DEEP = (14, 44, 112)
BRAND_LIGHT = (46, 124, 222)
PAPER = (250, 251, 253)
PAPER_BAR = (222, 234, 250)
PERFORATION = (176, 190, 212)
CASE_TOP, CASE_BOTTOM = (236, 240, 246), (196, 204, 218)
CASE_DARK = (92, 104, 126)
CASE_MID = (214, 221, 232)
KNOB_LIGHT = (170, 180, 198)
PANEL = (72, 84, 108)
BUTTON = (200, 208, 222)
EMBLEM_FOOT = (226, 236, 250)
SLOT = (40, 48, 64)
LED_ON, LED_OFF = (96, 220, 120), (255, 178, 60)
SHADOW = (0, 0, 0)


def lerp(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def clamp01(t):
    return max(0.0, min(1.0, t))


class Canvas:
    """RGBA image held as premultiplied floats in 0..255, composited with 'over'."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.rgb = [[0.0, 0.0, 0.0] for _ in range(w * h)]
        self.alpha = [0.0] * (w * h)

    def blend(self, x, y, colour, a):
        i = y * self.w + x
        px = self.rgb[i]
        for c in range(3):
            px[c] = colour[c] * a + px[c] * (1 - a)
        self.alpha[i] = a + self.alpha[i] * (1 - a)

    def fill(self, inside, box, colour, opacity=1.0):
        """Covers every pixel of box=(x0, y0, x1, y1) in proportion to how much of it is inside.

        colour is either an (r, g, b) tuple or a function of (x, y) returning one."""
        x0, y0, x1, y1 = box
        step = 1.0 / SUBSAMPLES
        for py in range(max(0, math.floor(y0)), min(self.h, math.ceil(y1))):
            for px in range(max(0, math.floor(x0)), min(self.w, math.ceil(x1))):
                hits = sum(inside(px + (i + 0.5) * step, py + (j + 0.5) * step)
                           for i in range(SUBSAMPLES) for j in range(SUBSAMPLES))
                if hits:
                    col = colour(px + 0.5, py + 0.5) if callable(colour) else colour
                    self.blend(px, py, col, opacity * hits / SUBSAMPLES ** 2)

    def pixel(self, x, y):
        """Straight (un-premultiplied) colour and alpha of one pixel, rounded to bytes."""
        i = y * self.w + x
        a = self.alpha[i]
        if a <= 0:
            return (0, 0, 0), 0.0
        return tuple(min(255, int(round(c / a))) for c in self.rgb[i]), a


# Shape tests: each returns a function telling whether a point (x, y) lies inside.

def rect(x0, y0, x1, y1):
    return (lambda x, y: x0 <= x < x1 and y0 <= y < y1), (x0, y0, x1, y1)


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        dx = max(x0 + r - x, 0, x - (x1 - r))
        dy = max(y0 + r - y, 0, y - (y1 - r))
        return x0 <= x < x1 and y0 <= y < y1 and dx * dx + dy * dy <= r * r
    return inside, (x0, y0, x1, y1)


def ellipse(cx, cy, rx, ry):
    return (lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1), \
        (cx - rx, cy - ry, cx + rx, cy + ry)


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def polygon(points):
    def inside(x, y):  # even-odd crossing test
        hit = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return inside, (min(xs), min(ys), max(xs), max(ys))


def vertical_gradient(top_y, bottom_y, top, bottom):
    return lambda x, y: lerp(top, bottom, clamp01((y - top_y) / (bottom_y - top_y)))


def draw(canvas, shape, colour, opacity=1.0):
    inside, box = shape
    canvas.fill(inside, box, colour, opacity)


def draw_v(canvas, cx, top, bottom, half_width, stroke, left_colour, right_colour):
    """The brand mark: two slanted bars meeting in a flat-bottomed V, right one on top."""
    half_foot = stroke / 2
    draw(canvas, polygon([(cx - half_width, top), (cx - half_width + stroke, top),
                          (cx + half_foot, bottom), (cx - half_foot, bottom)]), left_colour)
    draw(canvas, polygon([(cx + half_width - stroke, top), (cx + half_width, top),
                          (cx + half_foot, bottom), (cx - half_foot, bottom)]), right_colour)


class Lcg:
    """Tiny fixed-seed generator so the printed dots on the paper never change between runs."""
    MULTIPLIER, INCREMENT, MODULUS = 1103515245, 12345, 1 << 31

    def __init__(self, seed):
        self.state = seed

    def below(self, n):
        self.state = (self.state * self.MULTIPLIER + self.INCREMENT) % self.MODULUS
        return (self.state >> 16) % n


# --- the wizard banner ---------------------------------------------------------------

GLYPHS = {  # 5 x 7 pixel font, only the letters of the wordmark
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
}
GLYPH_W, GLYPH_H = 5, 7
FONT_SCALE, LETTER_GAP = 2, 4
WORDMARK = "VELTRA"

CENTRE_X = BANNER_W / 2
EMBLEM_SIZE, EMBLEM_TOP, EMBLEM_RADIUS = 64, 22, 14
WORDMARK_TOP = 100
RULE_Y, RULE_HALF_LEN = 126, 56
PAPER_LEFT, PAPER_RIGHT, PAPER_TOP = 70, 158, 136
PRINTER_LEFT, PRINTER_RIGHT = 38, 190
LID_TOP, SLOT_Y, BODY_TOP, BODY_BOTTOM = 186, 192, 202, 238
HALFTONE_TOP, HALFTONE_BOTTOM, HALFTONE_PITCH = 258, 304, 8
SKY_CURVE = 0.85  # under 1 lightens the sky a little sooner than a straight blend


def background(x, y):
    return lerp(NAVY, SKY, (y / BANNER_H) ** SKY_CURVE)


def draw_backdrop(c):
    glow_cx, glow_cy, glow_radius, glow_strength = CENTRE_X, EMBLEM_TOP + EMBLEM_SIZE / 2, 120, 0.16
    for y in range(BANNER_H):
        for x in range(BANNER_W):
            glow = clamp01(1 - math.hypot(x + 0.5 - glow_cx, y + 0.5 - glow_cy) / glow_radius)
            c.blend(x, y, background(x, y), 1.0)
            c.blend(x, y, WHITE, glow_strength * glow * glow)


def draw_logo(c):
    left, shadow_drop, shadow_opacity = CENTRE_X - EMBLEM_SIZE / 2, 3, 0.3
    right, bottom = left + EMBLEM_SIZE, EMBLEM_TOP + EMBLEM_SIZE
    draw(c, round_rect(left, EMBLEM_TOP + shadow_drop, right, bottom + shadow_drop, EMBLEM_RADIUS),
         SHADOW, shadow_opacity)
    draw(c, round_rect(left, EMBLEM_TOP, right, bottom, EMBLEM_RADIUS),
         vertical_gradient(EMBLEM_TOP, bottom, WHITE, EMBLEM_FOOT))
    inset, stroke = EMBLEM_SIZE * 0.2, EMBLEM_SIZE * 0.19
    draw_v(c, CENTRE_X, EMBLEM_TOP + inset, bottom - inset, EMBLEM_SIZE / 2 - inset + stroke / 4,
           stroke, BRAND_DEEP, vertical_gradient(EMBLEM_TOP, bottom, BRAND_LIGHT, BRAND_DEEP))

    cell = FONT_SCALE
    width = len(WORDMARK) * GLYPH_W * cell + (len(WORDMARK) - 1) * LETTER_GAP
    x = round(CENTRE_X - width / 2)
    for letter in WORDMARK:
        for row, bits in enumerate(GLYPHS[letter]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    px, py = x + col * cell, WORDMARK_TOP + row * cell
                    draw(c, rect(px, py, px + cell, py + cell), WHITE)
        x += GLYPH_W * cell + LETTER_GAP
    rule_opacity = 0.35
    draw(c, rect(CENTRE_X - RULE_HALF_LEN, RULE_Y, CENTRE_X + RULE_HALF_LEN, RULE_Y + 1),
         WHITE, rule_opacity)


def draw_paper(c):
    """Continuous tractor-feed paper coming up out of the printer's slot."""
    margin, hole_r, pitch, bar_h = 8, 2.2, 8, 12
    bottom = SLOT_Y + 2
    draw(c, rect(PAPER_LEFT, PAPER_TOP, PAPER_RIGHT, bottom), PAPER)
    for y in range(PAPER_TOP + bar_h, bottom, 2 * bar_h):  # faint "greenbar" stripes, in blue
        stripe_bottom = min(y + bar_h, bottom)
        draw(c, rect(PAPER_LEFT + margin, y, PAPER_RIGHT - margin, stripe_bottom), PAPER_BAR)
    dash, fold_y = 2, PAPER_TOP + 3 * bar_h - 6
    for y in range(PAPER_TOP, bottom, 2 * dash):  # tear-off perforations beside the holes
        for x in (PAPER_LEFT + margin, PAPER_RIGHT - margin - 1):
            draw(c, rect(x, y, x + 1, y + dash), PERFORATION)
    for x in range(PAPER_LEFT, PAPER_RIGHT, 2 * dash):  # the fold between two sheets
        draw(c, rect(x, fold_y, x + dash, fold_y + 1), PERFORATION)
    for y in range(PAPER_TOP + pitch // 2, bottom, pitch):
        for x in (PAPER_LEFT + margin / 2, PAPER_RIGHT - margin / 2):
            draw(c, circle(x, y, hole_r), background)

    # A few lines of dot-matrix print, each "character" a little 3 x 4 block of dots.
    rng, dot_r, dot_pitch, line_pitch, char_w = Lcg(1987), 0.75, 2, 10, 4
    text_left, text_right = PAPER_LEFT + margin + 5, PAPER_RIGHT - margin - 5
    for line_y in range(PAPER_TOP + 6, SLOT_Y - 6, line_pitch):
        x, line_end = text_left, text_right - rng.below(5) * 2 * char_w
        while x + char_w <= line_end:
            if rng.below(6) == 0:  # a space between words
                x += char_w
                continue
            for dx in range(0, char_w - 1, dot_pitch):
                for dy in range(0, 2 * dot_pitch + 1, dot_pitch):
                    if rng.below(3):
                        draw(c, circle(x + dx + 0.5, line_y + dy + 0.5, dot_r), INK, 0.85)
            x += char_w


def draw_printer(c):
    """A front view of a wide-carriage dot-matrix printer."""
    left, right, radius, small_radius = PRINTER_LEFT, PRINTER_RIGHT, 6, 2
    shadow_spread, shadow_drop, shadow_ry, shadow_opacity = 6, 2, 5, 0.35
    draw(c, ellipse(CENTRE_X, BODY_BOTTOM + shadow_drop, (right - left) / 2 + shadow_spread,
                    shadow_ry), SHADOW, shadow_opacity)
    foot_w, foot_h, foot_inset = 16, 4, 14
    for fx in (left + foot_inset, right - foot_inset - foot_w):
        draw(c, round_rect(fx, BODY_BOTTOM - small_radius, fx + foot_w, BODY_BOTTOM + foot_h,
                           small_radius), CASE_DARK)

    # Lid with the paper slot, knob on the platen shaft at the side.
    knob_w, knob_top, knob_bottom, grip_pitch, grip_opacity = 7, LID_TOP - 1, BODY_TOP + 5, 3, 0.35
    draw(c, round_rect(left - knob_w, knob_top, left + radius, knob_bottom, small_radius),
         vertical_gradient(knob_top, knob_bottom, KNOB_LIGHT, CASE_DARK))
    for y in range(knob_top + grip_pitch, knob_bottom - 1, grip_pitch):  # ridges on the grip
        draw(c, rect(left - knob_w + 1, y, left, y + 1), SLOT, grip_opacity)
    lid_inset, slot_overhang, slot_h = 8, 4, 4
    draw(c, round_rect(left + lid_inset, LID_TOP, right - lid_inset, BODY_TOP + radius, radius),
         vertical_gradient(LID_TOP, BODY_TOP, CASE_TOP, CASE_MID))
    draw(c, round_rect(PAPER_LEFT - slot_overhang, SLOT_Y - 1, PAPER_RIGHT + slot_overhang,
                       SLOT_Y - 1 + slot_h, slot_h / 2), SLOT)
    draw(c, rect(PAPER_LEFT, SLOT_Y - slot_h + 1, PAPER_RIGHT, SLOT_Y + 1), PAPER)  # paper in it

    # Main body, with a highlight along its top edge.
    draw(c, round_rect(left, BODY_TOP, right, BODY_BOTTOM, radius),
         vertical_gradient(BODY_TOP, BODY_BOTTOM, CASE_TOP, CASE_BOTTOM))
    highlight_opacity = 0.8
    draw(c, rect(left + radius, BODY_TOP, right - radius, BODY_TOP + 1), WHITE, highlight_opacity)

    # Front details: vent grille on the left, control panel with buttons and lamps on the right.
    front_margin = 10
    vent_w, vent_h, vent_pitch, vents, vent_opacity = 44, 1.5, 4, 5, 0.6
    vent_x, vent_y = left + front_margin, BODY_TOP + front_margin
    for i in range(vents):
        y = vent_y + i * vent_pitch
        draw(c, round_rect(vent_x, y, vent_x + vent_w, y + vent_h, vent_h / 2), CASE_DARK,
             vent_opacity)
    panel_w, panel_h, panel_pad = 48, 18, 4
    panel_r, panel_t = right - front_margin, BODY_TOP + front_margin - small_radius
    panel_l, panel_b = panel_r - panel_w, panel_t + panel_h
    draw(c, round_rect(panel_l, panel_t, panel_r, panel_b, small_radius), PANEL)
    button_w, button_h, button_gap, buttons = 10, 5, 3, 2
    for i in range(buttons):
        bx = panel_l + panel_pad + i * (button_w + button_gap)
        draw(c, round_rect(bx, panel_b - panel_pad - button_h, bx + button_w, panel_b - panel_pad,
                           small_radius), BUTTON)
    lamp_r, lamp_gap, lamp_inset = 2, 7, 6
    for i, colour in enumerate((LED_ON, LED_OFF)):
        draw(c, circle(panel_r - lamp_inset - i * lamp_gap, panel_t + lamp_inset, lamp_r), colour)
    badge_w, badge_h, badge_top = 18, 4, BODY_BOTTOM - 9  # the maker's blue nameplate
    draw(c, round_rect(CENTRE_X - badge_w / 2, badge_top, CENTRE_X + badge_w / 2,
                       badge_top + badge_h, badge_h / 2), BRAND_LIGHT)


def draw_halftone(c):
    """Rows of print-head dots swelling and shrinking along a slow wave."""
    max_r, min_r, opacity = 2.6, 0.5, 0.3
    rows = range(HALFTONE_TOP, HALFTONE_BOTTOM + 1, HALFTONE_PITCH)
    for row, y in enumerate(rows):
        offset = (row % 2) * HALFTONE_PITCH / 2
        for col in range(BANNER_W // HALFTONE_PITCH + 1):
            x = col * HALFTONE_PITCH + offset + HALFTONE_PITCH / 2
            wave = HALFTONE_TOP + (HALFTONE_BOTTOM - HALFTONE_TOP) * (
                0.5 + 0.4 * math.sin(x / BANNER_W * 2 * math.pi))
            t = clamp01(1 - abs(y - wave) / (HALFTONE_BOTTOM - HALFTONE_TOP))
            draw(c, circle(x, y, min_r + (max_r - min_r) * t * t), WHITE, opacity)


def make_banner():
    c = Canvas(BANNER_W, BANNER_H)
    draw_backdrop(c)
    draw_logo(c)
    draw_paper(c)
    draw_printer(c)
    draw_halftone(c)
    return c


def row_stride(width, bits):
    return (width * bits + ROW_ALIGN * 8 - 1) // (ROW_ALIGN * 8) * ROW_ALIGN


def info_header(width, height, bits, image_size, colours=0):
    return struct.pack("<IiiHHIIiiII", BMP_INFO_HEADER_SIZE, width, height, 1, bits, 0,
                       image_size, PIXELS_PER_METRE_96DPI, PIXELS_PER_METRE_96DPI, colours, 0)


def median_cut(counts, size):
    """A palette of at most `size` colours for a {colour: pixel count} histogram.

    Splits the box of colours with the most pixels times the widest channel range at its
    weighted median, until there are `size` boxes; each box's colour is its weighted mean."""
    boxes = [list(counts.items())]

    def spread(box):
        if len(box) < 2:
            return 0
        ranges = [max(c[k] for c, _ in box) - min(c[k] for c, _ in box) for k in range(3)]
        return max(ranges) * sum(n for _, n in box)

    while len(boxes) < size:
        widest = max(boxes, key=spread)
        if spread(widest) == 0:
            break
        boxes.remove(widest)
        channel = max(range(3), key=lambda k: max(c[k] for c, _ in widest) -
                      min(c[k] for c, _ in widest))
        widest.sort(key=lambda item: (item[0][channel], item[0]))
        half, seen, cut = sum(n for _, n in widest) / 2, 0, 1
        for i, (_, n) in enumerate(widest[:-1]):
            seen += n
            if seen >= half:
                cut = i + 1
                break
        boxes += [widest[:cut], widest[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[k] * n for c, n in box) / total)) for k in range(3)))
    return sorted(set(palette))


def encode_bmp(c):
    """The banner as an 8-bit DIB: a quarter of the 24-bit size, and on screen the same."""
    bits = BANNER_BITS_PER_PIXEL
    stride = row_stride(c.w, bits)
    colours = [[c.pixel(x, y)[0] for x in range(c.w)] for y in range(c.h)]
    counts = {}
    for row in colours:
        for colour in row:
            counts[colour] = counts.get(colour, 0) + 1
    palette = median_cut(counts, BANNER_PALETTE_SIZE)
    index_of = {colour: min(range(len(palette)), key=lambda i: sum(
        (a - b) ** 2 for a, b in zip(colour, palette[i]))) for colour in counts}
    rows = [bytes(index_of[colour] for colour in row).ljust(stride, b"\0")
            for row in reversed(colours)]  # DIBs are stored bottom row first
    pixels = b"".join(rows)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE + len(table)
    return (struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
            + info_header(c.w, c.h, bits, len(pixels), len(palette)) + table + pixels)


# --- the program icon ------------------------------------------------------------------

# Index 0 must be black: masked-out pixels are drawn as XOR with it, leaving the screen alone.
ICON_PALETTE = [
    (0, 0, 0), (255, 255, 255), (8, 22, 58), (12, 34, 86), (16, 46, 116), (22, 62, 148),
    (30, 80, 178), (42, 102, 206), (62, 126, 224), (92, 152, 236), (130, 180, 244),
    (172, 206, 250), (214, 230, 252), (128, 128, 128), (192, 192, 192), (236, 242, 250),
]
assert len(ICON_PALETTE) == ICON_PALETTE_SIZE
ICON_RIM, ICON_TOP, ICON_BOTTOM, ICON_V_LEFT = (ICON_PALETTE[i] for i in (2, 8, 4, 12))
OPAQUE_THRESHOLD = 0.5
ICON_V_FRACTION = 3 / 16
ICON_CORNER_FRACTION = 0.22


def make_icon_image(size):
    c = Canvas(size, size)
    radius, border = size * ICON_CORNER_FRACTION, 1
    draw(c, round_rect(0, 0, size, size, radius), ICON_RIM)
    draw(c, round_rect(border, border, size - border, size - border, radius - border),
         vertical_gradient(0, size, ICON_TOP, ICON_BOTTOM))
    # Three pixels in sixteen keeps the bars on whole pixels at both sizes, so the 16 x 16 one
    # stays crisp instead of smearing into in-between blues.
    inset = stroke = size * ICON_V_FRACTION
    draw_v(c, size / 2, inset, size - inset, size / 2 - inset, stroke, ICON_V_LEFT, WHITE)
    return c


def nearest_index(colour):
    return min(range(1, ICON_PALETTE_SIZE),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, ICON_PALETTE[i])))


def encode_icon_image(c):
    size = c.w
    xor_stride, and_stride = row_stride(size, ICON_BITS_PER_PIXEL), row_stride(size, 1)
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(size)):
        indices, bits = [], 0
        for x in range(size):
            colour, a = c.pixel(x, y)
            opaque = a >= OPAQUE_THRESHOLD
            indices.append(nearest_index(colour) if opaque else 0)
            bits = (bits << 1) | (0 if opaque else 1)  # 1 in the mask means transparent
        xor += bytes((hi << 4) | lo for hi, lo in zip(indices[::2], indices[1::2])).ljust(
            xor_stride, b"\0")
        mask += bits.to_bytes((size + 7) // 8, "big").ljust(and_stride, b"\0")
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in ICON_PALETTE)
    return (info_header(size, 2 * size, ICON_BITS_PER_PIXEL, len(xor) + len(mask),
                        ICON_PALETTE_SIZE) + palette + bytes(xor) + bytes(mask))


def encode_ico(images):
    out = struct.pack("<HHH", 0, ICON_TYPE_ICON, len(images))
    offset = ICON_DIR_SIZE + ICON_ENTRY_SIZE * len(images)
    blobs = []
    for c in images:
        blob = encode_icon_image(c)
        out += struct.pack("<BBBBHHII", c.w, c.h, ICON_PALETTE_SIZE, 0, 1, ICON_BITS_PER_PIXEL,
                           len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def main(argv):
    outdir = argv[1] if len(argv) > 1 else os.path.join(REPO_ROOT, "res")
    os.makedirs(outdir, exist_ok=True)
    outputs = {
        "Wizard.bmp": encode_bmp(make_banner()),
        "Veltra.ico": encode_ico([make_icon_image(s) for s in ICON_SIZES]),
    }
    for name, data in outputs.items():
        path = os.path.join(outdir, name)
        with open(path, "wb") as f:
            f.write(data)
        print(f"{path}: {len(data)} bytes")


if __name__ == "__main__":
    main(sys.argv)
