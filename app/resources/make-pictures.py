#!/usr/bin/env python3
"""Draws the program's pictures: the splash and the five header buttons.

Needs Pillow (Debian: python3-pil) only to regenerate them; the build uses the committed files.
Everything is drawn from shapes with fixed seeds, so a rerun gives the same pictures (up to the
last bit of the JPEG encoder's version). Lettering is our own stroke font below, not a system font
that may be missing.

    python3 app/resources/make-pictures.py [OUTPUT_DIR]   (default: this script's folder)
"""

import math
import random
import sys
from pathlib import Path

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter
except ImportError:
    sys.exit("make-pictures.py needs Pillow: apt-get install python3-pil (and run it with /usr/bin/python3)")

SS = 4  # every picture is drawn this many times larger, then scaled down for smooth edges


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c1, c2))


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def hsv(h, s, v):
    """HSV to an RGB tuple of 0..255, h in turns."""
    h = (h % 1.0) * 6.0
    i = int(h)
    f = h - i
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i % 6]
    return (int(r * 255), int(g * 255), int(b * 255))


def shrink(image, factor=SS):
    """Scales a supersampled picture down; RGBA goes through premultiplied alpha so that
    transparent pixels do not bleed their (black) colour into the edges."""
    size = (image.width // factor, image.height // factor)
    if image.mode == "RGBA":
        return image.convert("RGBa").resize(size, Image.LANCZOS).convert("RGBA")
    return image.resize(size, Image.LANCZOS)


# ---------------------------------------------------------------------------------------------
# Lettering: a small geometric stroke font. Units: cap height 10, x-height 7, baseline at y = 10.
# A glyph is (advance width, strokes); a stroke is a polyline, "dot" a filled point.


def arc(cx, cy, rx, ry, start, end, steps=24):
    """Points on an elliptical arc; angles in degrees, 0 = right, 90 = down (picture coordinates)."""
    return [(cx + rx * math.cos(math.radians(lerp(start, end, i / steps))),
             cy + ry * math.sin(math.radians(lerp(start, end, i / steps)))) for i in range(steps + 1)]


def _glyphs():
    g = {}
    bowl = arc(3, 6.5, 3, 3.5, 0, 360, 40)
    g["A"] = (7, [[(0, 10), (3.5, 0), (7, 10)], [(1.3, 6.6), (5.7, 6.6)]])
    g["C"] = (6.6, [arc(3.8, 5, 3.8, 5, 40, 320, 36)])
    g["D"] = (6.6, [[(0, 0), (0, 10)], [(0, 0), (1.8, 0)] + arc(1.8, 5, 4.8, 5, -90, 90, 30) + [(0, 10)]])
    g["K"] = (6.2, [[(0, 0), (0, 10)], [(6.2, 0), (0, 6.2)], [(2.1, 4.1), (6.4, 10)]])
    g["V"] = (7, [[(0, 0), (3.5, 10), (7, 0)]])
    g["/"] = (4, [[(0, 11), (4, -1)]])
    g["a"] = (6, [bowl, [(6, 3), (6, 10)]])
    g["d"] = (6, [bowl, [(6, 0), (6, 10)]])
    g["e"] = (6, [[(0.1, 6.3), (6, 6.3)] + arc(3, 6.5, 3, 3.5, -4, -320, 36)])
    g["i"] = (0, [[(0, 3.2), (0, 10)], "dot", (0, 0.9)])
    g["j"] = (1.6, [[(1.6, 3.2), (1.6, 11.5)] + arc(0, 11.5, 1.6, 1.6, 0, 120, 10), "dot", (1.6, 0.9)])
    g["k"] = (5.2, [[(0, 0), (0, 10)], [(5, 3), (0, 7.4)], [(1.8, 5.9), (5.3, 10)]])
    g["l"] = (0, [[(0, 0), (0, 10)]])
    g["m"] = (7.6, [[(0, 3), (0, 10)], arc(1.9, 5.6, 1.9, 2.4, 180, 360, 16) + [(3.8, 10)],
                    arc(5.7, 5.6, 1.9, 2.4, 180, 360, 16) + [(7.6, 10)]])
    g["n"] = (5.4, [[(0, 3), (0, 10)], arc(2.7, 5.8, 2.7, 2.7, 180, 360, 20) + [(5.4, 10)]])
    g["o"] = (6, [bowl])
    g["r"] = (3.3, [[(0, 3), (0, 10)], arc(3.8, 6.6, 3.8, 3.4, 180, 262, 14)])
    g["s"] = (5, [arc(2.5, 4.75, 2.45, 1.75, -25, -270, 20) + arc(2.5, 8.25, 2.5, 1.75, -90, 155, 20)])
    g["v"] = (5.6, [[(0, 3), (2.8, 10), (5.6, 3)]])
    g[" "] = (3.2, [])
    return g


GLYPHS = _glyphs()


def text_width(text, gap):
    return sum(GLYPHS[c][0] for c in text) + gap * (len(text) - 1)


def draw_text_mask(size, text, origin, scale, weight, gap):
    """A supersampled 'L' mask of the text; origin is the top left of the cap height, in final
    pixels; scale is final pixels per unit; weight the stroke width in units."""
    mask = Image.new("L", (size[0] * SS, size[1] * SS), 0)
    d = ImageDraw.Draw(mask)
    s = scale * SS
    w = max(1, int(round(weight * s)))
    x = origin[0] * SS
    y0 = origin[1] * SS

    def pt(p):
        return (x + p[0] * s, y0 + p[1] * s)

    def cap(p, radius):
        d.ellipse([p[0] - radius, p[1] - radius, p[0] + radius, p[1] + radius], fill=255)

    for c in text:
        advance, strokes = GLYPHS[c]
        items = iter(strokes)
        for item in items:
            if item == "dot":
                cap(pt(next(items)), w * 0.62)
                continue
            points = [pt(p) for p in item]
            d.line(points, fill=255, width=w, joint="curve")
            cap(points[0], w / 2)
            cap(points[-1], w / 2)
        x += (advance + gap) * s
    return mask


# ---------------------------------------------------------------------------------------------
# The disc: a silver data area with a rainbow sheen in two opposite sectors, fine rings, a clear
# inner ring and the hole.


def disc_pixel(dx, dy, radius, sheen_angle):
    """RGBA of the disc at offset (dx, dy) from its centre, or None outside it (and in the hole)."""
    r = math.hypot(dx, dy) / radius
    if r > 1.0 or r < 0.15:
        return None
    angle = math.atan2(dy, dx)
    if r < 0.36:  # clear polycarbonate hub with a stacking ring
        shade = 0.5 + 0.5 * math.cos(angle - sheen_angle)
        base = mix((120, 130, 150), (215, 222, 235), shade)
        alpha = 150 if 0.28 < r < 0.31 else 105
        if r < 0.17:
            alpha = 190  # the hole's moulded edge
        return base + (alpha,)
    # Silver that brightens towards two opposite reflections, banded with the spectrum there.
    reflect = 0.5 + 0.5 * math.cos(2 * (angle - sheen_angle))
    band = reflect ** 2.5
    silver = mix((128, 136, 152), (236, 240, 246), 0.35 + 0.5 * reflect)
    hue = 0.55 - 1.6 * r + 0.15 * math.cos(angle - sheen_angle)
    rainbow = hsv(hue, 0.85, 1.0)
    colour = mix(silver, rainbow, 0.72 * band)
    grain = 0.035 * math.sin(r * radius * 1.9) + 0.02 * math.sin(r * radius * 0.37)
    colour = tuple(int(clamp(c / 255 + grain) * 255) for c in colour)
    if r > 0.975:  # the rim
        colour = mix(colour, (60, 66, 80), 0.6)
    elif 0.36 <= r < 0.385:  # edge of the data area
        colour = mix(colour, (90, 96, 112), 0.5)
    return colour + (255,)


def draw_disc(size, centre, radius, sheen_angle=math.radians(-35)):
    """A supersampled RGBA layer with the disc; size, centre and radius in supersampled pixels."""
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    px = layer.load()
    cx, cy = centre
    x0, x1 = max(0, int(cx - radius)), min(size[0], int(cx + radius) + 1)
    y0, y1 = max(0, int(cy - radius)), min(size[1], int(cy + radius) + 1)
    for y in range(y0, y1):
        for x in range(x0, x1):
            p = disc_pixel(x + 0.5 - cx, y + 0.5 - cy, radius, sheen_angle)
            if p is not None:
                px[x, y] = p
    return layer


# ---------------------------------------------------------------------------------------------
# The splash.


def make_splash(path):
    width, height = 522, 322
    W, H = width * SS, height * SS
    # Dark blue, lighter towards the upper middle where the light comes from.
    bg = Image.new("RGB", (width, height))
    px = bg.load()
    for y in range(height):
        for x in range(width):
            t = clamp(math.hypot((x - 300) / 420, (y - 40) / 330))
            px[x, y] = mix((28, 58, 128), (4, 10, 34), t ** 0.9)
    bg = bg.resize((W, H), Image.BICUBIC).convert("RGBA")

    # A sprinkle of faint stars on the right-hand side.
    rng = random.Random(1983)
    stars = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    sd = ImageDraw.Draw(stars)
    for _ in range(70):
        x, y = rng.uniform(290, width) * SS, rng.uniform(0, height) * SS
        rad = rng.uniform(0.5, 1.4) * SS
        sd.ellipse([x - rad, y - rad, x + rad, y + rad], fill=(190, 210, 255, rng.randint(40, 130)))
    bg = Image.alpha_composite(bg, stars)

    centre, radius = (138 * SS, 161 * SS), 125 * SS
    # A soft glow behind the disc.
    glow = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    ImageDraw.Draw(glow).ellipse([centre[0] - radius - 10 * SS, centre[1] - radius - 10 * SS,
                                  centre[0] + radius + 10 * SS, centre[1] + radius + 10 * SS],
                                 fill=(90, 150, 255, 90))
    glow = glow.filter(ImageFilter.GaussianBlur(14 * SS))
    bg = Image.alpha_composite(bg, glow)
    bg = Image.alpha_composite(bg, draw_disc((W, H), centre, radius))

    # Lettering right of the disc, title and subtitle the same width, with a soft shadow.
    title, subtitle = "Kivo Ardel", "snimanje CD/DVD diskova"
    left, right = 290, width - 22
    tgap, sgap = 2.3, 1.9
    tscale = (right - left) / text_width(title, tgap)
    sscale = (right - left) / text_width(subtitle, sgap)
    title_top = 161 - 10 * tscale - 4
    rule_y = 161 + 4
    sub_top = rule_y + 9
    title_mask = draw_text_mask((width, height), title, (left, title_top), tscale, 1.35, tgap)
    sub_mask = draw_text_mask((width, height), subtitle, (left, sub_top), sscale, 1.15, sgap)
    rule = Image.new("L", (W, H), 0)
    ImageDraw.Draw(rule).line([(left * SS, rule_y * SS), (right * SS, rule_y * SS)], fill=150, width=SS)

    shadow = ImageChops.lighter(title_mask, sub_mask).filter(ImageFilter.GaussianBlur(3 * SS))
    dark = Image.new("RGBA", (W, H), (0, 0, 8, 255))
    dark.putalpha(shadow.point(lambda v: v * 0.8))
    bg = Image.alpha_composite(bg, dark)

    fill = Image.new("RGBA", (W, H))
    fd = ImageDraw.Draw(fill)
    for y in range(0, H, SS):  # silvery top to pale blue bottom across the title's height
        t = clamp((y / SS - title_top) / (10 * tscale))
        fd.rectangle([0, y, W, y + SS], fill=mix((255, 255, 255), (170, 205, 255), t) + (255,))
    title_layer = fill.copy()
    title_layer.putalpha(title_mask)
    bg = Image.alpha_composite(bg, title_layer)
    sub_layer = Image.new("RGBA", (W, H), (200, 220, 255, 255))
    sub_layer.putalpha(ImageChops.lighter(sub_mask, rule))
    bg = Image.alpha_composite(bg, sub_layer)

    shrink(bg).convert("RGB").save(path, "JPEG", quality=90, progressive=False, optimize=False)


# ---------------------------------------------------------------------------------------------
# Header buttons: 128 x 128, a glossy body with a soft shadow, a symbol, and a glass highlight.

ICON = 128
BIG = ICON * SS
C = BIG / 2


def body_shape(draw, box, shape, fill):
    if shape == "octagon":
        cx, cy = (box[0] + box[2]) / 2, (box[1] + box[3]) / 2
        r = (box[2] - box[0]) / 2 / math.cos(math.pi / 8)
        draw.polygon([(cx + r * math.cos(math.pi / 8 + k * math.pi / 4),
                       cy + r * math.sin(math.pi / 8 + k * math.pi / 4)) for k in range(8)], fill=fill)
    else:
        draw.ellipse(box, fill=fill)


def body_mask(shape, inset):
    mask = Image.new("L", (BIG, BIG), 0)
    r = 57 * SS - inset
    body_shape(ImageDraw.Draw(mask), [C - r, C - 3 * SS - r, C + r, C - 3 * SS + r], shape, 255)
    return mask


def vertical_fill(top, bottom, y0, y1):
    layer = Image.new("RGBA", (BIG, BIG))
    d = ImageDraw.Draw(layer)
    for y in range(BIG):
        d.line([(0, y), (BIG, y)], fill=mix(top, bottom, clamp((y - y0) / (y1 - y0))) + (255,))
    return layer


def with_alpha(layer, mask):
    out = layer.copy()
    out.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
    return out


def make_icon(path, light, dark, symbol, shape="circle"):
    image = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    # Shadow below the body.
    shadow = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    shadow.putalpha(ImageChops.offset(body_mask(shape, 0).point(lambda v: v * 0.45), 0, 5 * SS)
                    .filter(ImageFilter.GaussianBlur(3 * SS)))
    image = Image.alpha_composite(image, shadow)
    # Dark rim, then the body: lit from above.
    rim = Image.new("RGBA", (BIG, BIG), mix(dark, (0, 0, 0), 0.45) + (255,))
    image = Image.alpha_composite(image, with_alpha(rim, body_mask(shape, 0)))
    image = Image.alpha_composite(image, with_alpha(vertical_fill(light, dark, 10 * SS, 110 * SS),
                                                    body_mask(shape, 2.5 * SS)))
    # A light bounce along the bottom edge.
    bounce = Image.new("L", (BIG, BIG), 0)
    ImageDraw.Draw(bounce).ellipse([C - 40 * SS, C + 22 * SS, C + 40 * SS, C + 56 * SS], fill=110)
    bounce = ImageChops.multiply(bounce.filter(ImageFilter.GaussianBlur(9 * SS)), body_mask(shape, 3 * SS))
    lift = Image.new("RGBA", (BIG, BIG), mix(light, (255, 255, 255), 0.4) + (255,))
    lift.putalpha(bounce)
    image = Image.alpha_composite(image, lift)

    image = Image.alpha_composite(image, symbol())

    # Glass: a highlight over the upper half, fading downwards, kept inside the body.
    gloss = Image.new("L", (BIG, BIG), 0)
    gd = ImageDraw.Draw(gloss)
    gd.ellipse([C - 47 * SS, 9 * SS, C + 47 * SS, 70 * SS], fill=255)
    fade = Image.new("L", (BIG, BIG), 0)
    fdr = ImageDraw.Draw(fade)
    for y in range(BIG):
        fdr.line([(0, y), (BIG, y)], fill=int(150 * clamp(1 - (y - 9 * SS) / (56 * SS)) ** 1.3))
    gloss = ImageChops.multiply(ImageChops.multiply(gloss, fade), body_mask(shape, 4 * SS))
    white = Image.new("RGBA", (BIG, BIG), (255, 255, 255, 255))
    white.putalpha(gloss)
    image = Image.alpha_composite(image, white)
    shrink(image).save(path, "PNG", optimize=True)


def layer():
    return Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))


def soft_shadow(symbol, radius=2.5, opacity=0.55, dy=2):
    """The symbol's own shadow, to lift it off the body."""
    out = layer()
    out.putalpha(ImageChops.offset(symbol.getchannel("A").point(lambda v: v * opacity), 0, int(dy * SS))
                 .filter(ImageFilter.GaussianBlur(radius * SS)))
    return Image.alpha_composite(out, symbol)


def disc_symbol(cx, cy, radius):
    return soft_shadow(draw_disc((BIG, BIG), (cx * SS, cy * SS), radius * SS))


def gear(cx, cy, outer, inner, teeth, hole, fill, edge):
    g = layer()
    d = ImageDraw.Draw(g)
    points = []
    for k in range(teeth):
        base = 2 * math.pi * k / teeth
        step = 2 * math.pi / teeth
        for frac, rad in ((0.0, inner), (0.12, outer), (0.45, outer), (0.57, inner)):
            a = base + frac * step
            points.append(((cx + rad * math.cos(a)) * SS, (cy + rad * math.sin(a)) * SS))
    d.polygon(points, fill=edge)
    # A slightly smaller copy for the face, so that the outline follows the teeth.
    shrunk = [((x - cx * SS) * 0.9 + cx * SS, (y - cy * SS) * 0.9 + cy * SS) for x, y in points]
    d.polygon(shrunk, fill=fill)
    d.ellipse([(cx - hole) * SS, (cy - hole) * SS, (cx + hole) * SS, (cy + hole) * SS], fill=(0, 0, 0, 0))
    d.ellipse([(cx - hole) * SS, (cy - hole) * SS, (cx + hole) * SS, (cy + hole) * SS],
              outline=edge, width=int(1.3 * SS))
    return g


def settings_symbol():
    out = disc_symbol(58, 57, 38)
    g = gear(84, 82, 24, 18.5, 9, 7, (196, 202, 212, 255), (52, 60, 74, 255))
    # Metallic shading on the gear face: lighter at the top.
    shade = vertical_fill((245, 248, 252), (120, 128, 142), 58 * SS, 106 * SS)
    face = ImageChops.multiply(g.convert("RGB"), shade.convert("RGB")).convert("RGBA")
    face.putalpha(g.getchannel("A"))
    return Image.alpha_composite(out, soft_shadow(face, 2, 0.6, 1.5))


def flame_outline(cx, base, height, half_width, lean, steps=60):
    """A teardrop flame: round at the bottom, a leaning point at the top."""
    left, right = [], []
    for i in range(steps + 1):
        s = i / steps  # 0 at the bottom, 1 at the tip
        w = half_width * math.sin(math.pi * s ** 0.62) * (1 - 0.25 * s)
        w *= 1 + 0.10 * math.sin(s * 9.0)  # licks along the sides
        x = cx + lean * s ** 2.2
        y = base - height * s
        left.append(((x - w) * SS, y * SS))
        right.append(((x + w) * SS, y * SS))
    return left + right[::-1]


def burn_symbol():
    out = disc_symbol(52, 52, 37)
    f = layer()
    d = ImageDraw.Draw(f)
    # The outer colours have two smaller tongues leaning out; the hot core is a single one.
    layers = (((200, 30, 10, 255), 1.0, 0, True), ((250, 110, 20, 255), 0.78, 2.5, True),
              ((255, 205, 60, 255), 0.5, 4.5, False), ((255, 250, 205, 255), 0.25, 6, False))
    for colour, grow, inset, tongues in layers:
        base = 110 - inset
        d.polygon(flame_outline(81, base, 66 * grow, 20 * grow, -7 * grow), fill=colour)
        if tongues:
            d.polygon(flame_outline(72, base - 1, 40 * grow, 10 * grow, -12 * grow), fill=colour)
            d.polygon(flame_outline(90, base - 1, 36 * grow, 9 * grow, 10 * grow), fill=colour)
    f = f.filter(ImageFilter.GaussianBlur(0.6 * SS))
    return Image.alpha_composite(out, soft_shadow(f, 2.5, 0.5, 1.5))


def abort_symbol():
    s = layer()
    d = ImageDraw.Draw(s)
    d.rounded_rectangle([C - 34 * SS, C - 3 * SS - 9 * SS, C + 34 * SS, C - 3 * SS + 9 * SS],
                        radius=3 * SS, fill=(255, 255, 255, 255))
    return soft_shadow(s, 2, 0.5, 1.5)


def power_symbol():
    s = layer()
    d = ImageDraw.Draw(s)
    cx, cy, r, w = C, C - 1 * SS, 29 * SS, 9 * SS
    d.arc([cx - r, cy - r, cx + r, cy + r], start=-55, end=235, fill=(255, 255, 255, 255), width=w)
    for a in (-55, 235):  # round ends
        ex = cx + (r - w / 2) * math.cos(math.radians(a))
        ey = cy + (r - w / 2) * math.sin(math.radians(a))
        d.ellipse([ex - w / 2, ey - w / 2, ex + w / 2, ey + w / 2], fill=(255, 255, 255, 255))
    d.line([(cx, cy - r - 6 * SS), (cx, cy - 2 * SS)], fill=(255, 255, 255, 255), width=w)
    for y in (cy - r - 6 * SS, cy - 2 * SS):
        d.ellipse([cx - w / 2, y - w / 2, cx + w / 2, y + w / 2], fill=(255, 255, 255, 255))
    return soft_shadow(s, 2, 0.5, 1.5)


def hexagon(cx, cy, r):
    return [(cx + r * math.cos(math.radians(60 * k)), cy + r * math.sin(math.radians(60 * k))) for k in range(6)]


def turtle_symbol():
    s = layer()
    d = ImageDraw.Draw(s)
    skin, skin_dark = (150, 205, 90, 255), (60, 100, 35, 255)
    cx, cy = C, C - 1 * SS
    # Head, legs and tail first, so that the shell covers their roots.
    def blob(x, y, rx, ry):
        d.ellipse([x - rx, y - ry, x + rx, y + ry], fill=skin, outline=skin_dark, width=int(1.5 * SS))
    blob(cx, cy - 34 * SS, 9 * SS, 11 * SS)
    for sx in (-1, 1):
        for sy, ry in ((-1, 17), (1, 19)):
            blob(cx + sx * 27 * SS, cy + sy * ry * SS, 9 * SS, 7.5 * SS)
    tail = [(cx - 4 * SS, cy + 26 * SS), (cx + 4 * SS, cy + 26 * SS), (cx, cy + 36 * SS)]
    d.polygon(tail, fill=skin_dark)
    # The shell: an oval of hexagonal scutes.
    shell_box = [cx - 27 * SS, cy - 31 * SS, cx + 27 * SS, cy + 30 * SS]
    d.ellipse(shell_box, fill=(96, 62, 24, 255))
    scutes = layer()
    sd = ImageDraw.Draw(scutes)
    hr = 10.5 * SS
    for q in range(-3, 4):
        for r in range(-4, 5):
            hx = cx + q * hr * 1.5
            hy = cy + (r + q / 2) * hr * math.sqrt(3)
            t = clamp(math.hypot(hx - cx, hy - cy) / (30 * SS))
            sd.polygon(hexagon(hx, hy, hr * 0.84), fill=mix((238, 190, 70), (170, 110, 35), t) + (255,))
    mask = Image.new("L", (BIG, BIG), 0)
    ImageDraw.Draw(mask).ellipse([shell_box[0] + 2.5 * SS, shell_box[1] + 2.5 * SS,
                                  shell_box[2] - 2.5 * SS, shell_box[3] - 2.5 * SS], fill=255)
    s = Image.alpha_composite(s, with_alpha(scutes, mask))
    return soft_shadow(s, 2.5, 0.55, 2)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent
    out.mkdir(parents=True, exist_ok=True)
    make_splash(out / "splash.jpg")
    make_icon(out / "header-kivotirel.png", (70, 200, 185), (8, 90, 92), turtle_symbol)
    make_icon(out / "header-settings.png", (110, 165, 240), (20, 55, 130), settings_symbol)
    make_icon(out / "header-burn.png", (150, 110, 230), (45, 20, 105), burn_symbol)
    make_icon(out / "header-abort.png", (255, 95, 80), (150, 10, 10), abort_symbol, shape="octagon")
    make_icon(out / "header-exit.png", (125, 140, 160), (35, 42, 56), power_symbol)


if __name__ == "__main__":
    main()
