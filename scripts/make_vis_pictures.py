#!/usr/bin/env python3
"""Draws the picture catalogue of the sample plants: writes data/DATA/*.bmp (24-bit BMP,
magenta FF00FF transparent) and data/DATA/pictures.inf. Standard library only.

Run from anywhere: python3 scripts/make_vis_pictures.py
"""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "DATA")
KEY = (255, 0, 255)  # transparent


class Img:
    def __init__(self, w, h, fill=KEY):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # x1, y1 exclusive
        for y in range(max(0, y0), min(self.h, y1)):
            row = self.px[y]
            for x in range(max(0, x0), min(self.w, x1)):
                row[x] = c

    def frame(self, x0, y0, x1, y1, c, t=1):
        self.rect(x0, y0, x1, y0 + t, c)
        self.rect(x0, y1 - t, x1, y1, c)
        self.rect(x0, y0, x0 + t, y1, c)
        self.rect(x1 - t, y0, x1, y1, c)

    def vgrad(self, x0, y0, x1, y1, c0, c1):
        for y in range(y0, y1):
            f = (y - y0) / max(1, y1 - y0 - 1)
            self.rect(x0, y, x1, y + 1, mix(c0, c1, f))

    def hgrad(self, x0, y0, x1, y1, c0, c1):
        for x in range(x0, x1):
            f = (x - x0) / max(1, x1 - x0 - 1)
            self.rect(x, y0, x + 1, y1, mix(c0, c1, f))

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def ring(self, cx, cy, r, t, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if r - t <= d <= r:
                    self.put(x, y, c)

    def poly(self, pts, c):
        ys = [p[1] for p in pts]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            for i in range(len(pts)):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % len(pts)]
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                for x in range(int(round(xs[i])), int(round(xs[i + 1]))):
                    self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c, t=1):
        n = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(n + 1):
            f = i / n
            x, y = x0 + (x1 - x0) * f, y0 + (y1 - y0) * f
            self.rect(int(x - t / 2 + 0.5), int(y - t / 2 + 0.5), int(x - t / 2 + 0.5) + t, int(y - t / 2 + 0.5) + t, c)

    def blit(self, src, x0, y0):
        for y in range(src.h):
            for x in range(src.w):
                c = src.px[y][x]
                if c != KEY:
                    self.put(x0 + x, y0 + y, c)

    def crop(self, x0, y0, x1, y1):
        out = Img(x1 - x0, y1 - y0)
        for y in range(y0, y1):
            out.px[y - y0] = list(self.px[y][x0:x1])
        return out


def mix(a, b, f):
    return tuple(int(round(a[i] + (b[i] - a[i]) * f)) for i in range(3))


def shade(c, f):
    return tuple(max(0, min(255, int(v * f))) for v in c)


def strip(frames):
    w, h = frames[0].w, frames[0].h
    out = Img(w * len(frames), h)
    for k, f in enumerate(frames):
        for y in range(h):
            out.px[y][k * w:(k + 1) * w] = f.px[y]
    return out


def save(img, name):
    row = (img.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(img.h - 1, -1, -1):
        line = bytearray()
        for r, g, b in img.px[y]:
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    head = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(head + info + data)


# ------------------------------------------------------------------------------------------
# Colours

GRASS = (104, 164, 76)
GRASS2 = (92, 150, 66)
ASPHALT = (78, 80, 86)
CURB = (176, 176, 170)
WHITE = (240, 240, 236)
BLACK = (24, 24, 26)
STEEL = (150, 158, 168)
STEEL_D = (96, 102, 112)
WATER = (56, 128, 214)
WATER_D = (36, 96, 176)
RED = (222, 40, 36)
GREEN = (40, 190, 70)
YELLOW = (248, 200, 30)


# ------------------------------------------------------------------------------------------
# Shared controls

def lamp_frames():
    """Indicator lamp 16x16: off, green, yellow, red."""
    out = []
    for on in (None, GREEN, YELLOW, RED):
        f = Img(16, 16)
        f.disc(8, 8, 7.5, (60, 60, 64))
        f.disc(8, 8, 6, shade(on, 0.75) if on else (110, 110, 104))
        f.disc(8, 8, 4.5, on if on else (128, 128, 120))
        f.disc(6, 6, 1.6, mix(on, WHITE, 0.7) if on else (160, 160, 150))
        out.append(f)
    return out


def button_frames(cap):
    """Push button 24x24: released, pressed."""
    out = []
    for pressed in (False, True):
        f = Img(24, 24)
        f.rect(0, 0, 24, 24, (70, 72, 78))
        f.rect(1, 1, 23, 23, (120, 124, 132))
        f.frame(1, 1, 23, 23, (160, 164, 172))
        r = 8 if not pressed else 7.2
        f.disc(12, 12, 9.5, (40, 40, 44))
        f.disc(12, 12 + (1 if pressed else 0), r, shade(cap, 0.7 if pressed else 1.0))
        if not pressed:
            f.disc(10, 9, 3, mix(cap, WHITE, 0.55))
        out.append(f)
    return out


def switch_frames():
    """Toggle switch 24x24: off (lever left), on (lever right)."""
    out = []
    for on in (False, True):
        f = Img(24, 24)
        f.rect(0, 0, 24, 24, (70, 72, 78))
        f.rect(1, 1, 23, 23, (120, 124, 132))
        f.rect(4, 9, 20, 15, BLACK)
        f.disc(12, 12, 4, STEEL_D)
        x = 18 if on else 6
        f.line(12, 12, x, 5, STEEL, 3)
        f.disc(x, 5, 2.6, RED if on else (200, 200, 200))
        out.append(f)
    return out


def digit_frames():
    """Seven-segment digit 18x28: 0..9, then blank."""
    segs = {0: "abcdef", 1: "bc", 2: "abged", 3: "abgcd", 4: "fgbc", 5: "afgcd", 6: "afgedc",
            7: "abc", 8: "abcdefg", 9: "abcdfg", 10: ""}
    on, off = (255, 60, 40), (70, 24, 20)
    out = []
    for d in range(11):
        f = Img(18, 28)
        f.rect(0, 0, 18, 28, (20, 12, 12))
        geo = {"a": (4, 2, 14, 5), "g": (4, 12, 14, 15), "d": (4, 23, 14, 26),
               "f": (2, 4, 5, 13), "b": (13, 4, 16, 13), "e": (2, 15, 5, 24), "c": (13, 15, 16, 24)}
        for s, (x0, y0, x1, y1) in geo.items():
            f.rect(x0, y0, x1, y1, on if s in segs[d] else off)
        out.append(f)
    return out


# ------------------------------------------------------------------------------------------
# Traffic light crossing

def crossing_background():
    w, h = 400, 320
    img = Img(w, h, GRASS)
    for y in range(0, h, 8):
        for x in range((y // 8) % 2 * 8, w, 16):
            img.rect(x, y, x + 8, y + 8, GRASS2)
    # roads: main road horizontal (y 130..190), side road vertical (x 170..230)
    img.rect(0, 126, w, 194, CURB)
    img.rect(166, 0, 234, h, CURB)
    img.rect(0, 130, w, 190, ASPHALT)
    img.rect(170, 0, 230, h, ASPHALT)
    # centre lines (dashed), not inside the junction
    for x in range(0, w, 24):
        if not 160 <= x <= 234:
            img.rect(x, 159, x + 12, 161, WHITE)
    for y in range(0, h, 24):
        if not 120 <= y <= 194:
            img.rect(199, y, 201, y + 12, WHITE)
    # stop lines: eastbound traffic (lower lane) before x 166, southbound (left lane) before y 126
    img.rect(156, 161, 160, 190, WHITE)
    img.rect(170, 116, 199, 120, WHITE)
    # zebra crossing on the side road below the junction
    for x in range(172, 230, 8):
        img.rect(x, 204, x + 5, 220, WHITE)
    # a house in the top-left corner, trees elsewhere
    img.rect(24, 30, 124, 100, (214, 190, 150))
    img.poly([(16, 32), (74, 4), (132, 32)], (164, 60, 44))
    img.rect(36, 50, 56, 70, (120, 170, 220))
    img.rect(92, 50, 112, 70, (120, 170, 220))
    img.rect(64, 70, 84, 100, (110, 70, 40))
    # control box in the top-right corner
    img.rect(258, 6, 394, 120, (60, 62, 68))
    img.rect(260, 8, 392, 118, (196, 198, 204))
    img.frame(260, 8, 392, 118, (236, 236, 240))
    for cx, cy in ((40, 250), (96, 286), (300, 262), (362, 236), (372, 296)):
        img.disc(cx + 3, cy + 4, 16, (60, 100, 50))
        img.disc(cx, cy, 16, (44, 120, 52))
        img.disc(cx - 5, cy - 5, 7, (70, 150, 70))
    return img


def traffic_light_frames():
    """Traffic light 16x40: dark, red, red+yellow, green, yellow."""
    states = [(), ("r",), ("r", "y"), ("g",), ("y",)]
    out = []
    for st in states:
        f = Img(16, 40)
        f.rect(1, 0, 15, 40, (36, 36, 38))
        f.frame(1, 0, 15, 40, (70, 70, 74))
        for key, cy, col in (("r", 7, RED), ("y", 20, YELLOW), ("g", 33, GREEN)):
            f.disc(8, cy, 5.5, BLACK)
            if key in st:
                f.disc(8, cy, 4.5, col)
                f.disc(7, cy - 1.5, 1.5, mix(col, WHITE, 0.7))
            else:
                f.disc(8, cy, 4.5, shade(col, 0.3))
        out.append(f)
    return out


def car(w, h, body, facing):
    """Car seen from above; facing 'right' or 'down'."""
    f = Img(w, h)
    if facing == "right":
        f.rect(2, 1, w - 2, h - 1, body)
        f.rect(1, 3, w - 1, h - 3, body)
        f.rect(w - 12, 3, w - 7, h - 3, (150, 200, 235))   # windscreen
        f.rect(4, 3, 8, h - 3, (130, 180, 215))            # rear window
        f.rect(9, 3, w - 13, h - 3, shade(body, 0.8))      # roof
        f.rect(w - 3, 2, w - 1, 5, (255, 250, 190))
        f.rect(w - 3, h - 5, w - 1, h - 2, (255, 250, 190))
        for x in (5, w - 9):
            f.rect(x, 0, x + 5, 1, BLACK)
            f.rect(x, h - 1, x + 5, h, BLACK)
    else:
        f.rect(1, 2, w - 1, h - 2, body)
        f.rect(3, 1, w - 3, h - 1, body)
        f.rect(3, h - 12, w - 3, h - 7, (150, 200, 235))
        f.rect(3, 4, w - 3, 8, (130, 180, 215))
        f.rect(3, 9, w - 3, h - 13, shade(body, 0.8))
        f.rect(2, h - 3, 5, h - 1, (255, 250, 190))
        f.rect(w - 5, h - 3, w - 2, h - 1, (255, 250, 190))
        for y in (5, h - 9):
            f.rect(0, y, 1, y + 5, BLACK)
            f.rect(w - 1, y, w, y + 5, BLACK)
    return f


# ------------------------------------------------------------------------------------------
# Tank

def tank_background():
    w, h = 380, 300
    img = Img(w, h)
    img.vgrad(0, 0, w, 250, (206, 216, 226), (232, 236, 240))
    img.rect(0, 250, w, h, (150, 146, 136))
    for x in range(0, w, 20):
        img.rect(x, 250, x + 1, h, (130, 126, 118))
    # supply pipe from the left at y 40..50 to the inflow valve and down into the tank
    img.rect(0, 38, 122, 52, STEEL_D)
    img.rect(0, 40, 120, 50, STEEL)
    img.rect(108, 38, 122, 78, STEEL_D)
    img.rect(110, 40, 120, 78, STEEL)
    # drain pipe from the tank bottom (x 140..150) down and to the right
    img.rect(138, 224, 152, 262, STEEL_D)
    img.rect(140, 224, 150, 260, STEEL)
    img.rect(138, 248, 300, 262, STEEL_D)
    img.rect(140, 250, 300, 260, STEEL)
    # collecting basin on the right
    img.rect(300, 240, 370, 290, (90, 96, 104))
    img.rect(304, 244, 366, 286, (60, 100, 150))
    # tank legs
    for x in (96, 186):
        img.rect(x, 222, x + 8, 250, STEEL_D)
    # control panel
    img.rect(250, 40, 370, 200, (84, 88, 96))
    img.rect(252, 42, 368, 198, (112, 118, 128))
    img.frame(252, 42, 368, 198, (150, 156, 166))
    return img


def tank_frames():
    """Tank 110x160 with the liquid level in 11 steps (0 empty .. 10 full)."""
    out = []
    for level in range(11):
        f = Img(110, 160)
        f.rect(0, 8, 110, 160, STEEL_D)
        f.disc(55, 10, 10, STEEL_D)
        f.rect(4, 12, 106, 156, (220, 228, 236))
        f.hgrad(4, 12, 20, 156, (196, 204, 214), (230, 236, 242))
        inner_top, inner_bottom = 16, 152
        fill = int((inner_bottom - inner_top) * level / 10)
        if fill:
            f.hgrad(6, inner_bottom - fill, 104, inner_bottom, WATER_D, WATER)
            f.rect(6, inner_bottom - fill, 104, inner_bottom - fill + 2, (130, 180, 240))
        for k in range(1, 10):  # scale
            y = inner_bottom - int((inner_bottom - inner_top) * k / 10)
            f.rect(90, y, 104 if k == 5 else 98, y + 1, BLACK)
        f.frame(0, 8, 110, 160, (60, 64, 72), 2)
        out.append(f)
    return out


def valve_frames():
    """Valve 30x22 on a vertical pipe: closed (red), open (green)."""
    out = []
    for open_ in (False, True):
        f = Img(30, 22)
        col = GREEN if open_ else RED
        f.poly([(3, 3), (15, 11), (3, 19)], col)
        f.poly([(27, 3), (15, 11), (27, 19)], col)
        f.line(3, 3, 3, 19, BLACK)
        f.line(27, 3, 27, 19, BLACK)
        f.line(3, 3, 27, 19, BLACK)
        f.line(3, 19, 27, 3, BLACK)
        f.rect(13, 0, 17, 11, BLACK)
        f.rect(8, 0, 22, 2, BLACK)
        out.append(f)
    return out


def stream_frames():
    """Falling water 8x40: none, flowing."""
    a = Img(8, 40)
    b = Img(8, 40)
    b.rect(1, 0, 7, 40, WATER)
    for y in range(0, 40, 6):
        b.rect(2, y, 4, y + 3, (140, 190, 250))
    return [a, b]


def level_switch_frames():
    """Level switch 22x14: dry (grey), wet (blue)."""
    out = []
    for wet in (False, True):
        f = Img(22, 14)
        f.rect(0, 3, 10, 11, STEEL_D)
        f.rect(10, 5, 22, 9, STEEL)
        f.disc(18, 7, 5, WATER if wet else (190, 190, 190))
        f.ring(18, 7, 5, 1, BLACK)
        out.append(f)
    return out


def mixer_frames():
    """Agitator 40x130 seen from the side in 4 rotation steps."""
    out = []
    for k in range(4):
        f = Img(40, 130)
        f.rect(8, 0, 32, 12, (70, 74, 84))       # motor
        f.rect(10, 2, 30, 10, (110, 116, 128))
        f.rect(18, 12, 22, 122, (50, 54, 60))    # shaft
        for y, phase in ((78, 0.0), (118, math.pi / 2)):
            dx = int(round(17 * math.cos(k * math.pi / 4 + phase)))
            if abs(dx) < 2:
                f.rect(17, y - 3, 23, y + 3, (60, 64, 72))
            else:
                f.line(20 - dx, y, 20 + dx, y, (60, 64, 72), 5)
                f.line(20 - dx, y - 1, 20 + dx, y - 1, (150, 156, 166), 1)
        out.append(f)
    return out


# ------------------------------------------------------------------------------------------
# Garage door

def garage_background():
    w, h = 440, 270
    img = Img(w, h)
    img.vgrad(0, 0, w, 200, (150, 196, 236), (214, 232, 246))
    img.rect(0, 200, w, h, (120, 120, 116))
    img.rect(0, 236, w, h, (96, 150, 72))
    # building
    img.rect(40, 40, 300, 236, (178, 84, 58))
    for y in range(40, 236, 8):
        off = 0 if (y // 8) % 2 else 10
        img.rect(40, y, 300, y + 1, (150, 150, 140))
        for x in range(40 + off, 300, 20):
            img.rect(x, y, x + 1, y + 8, (150, 150, 140))
    img.poly([(28, 42), (170, 0), (312, 42)], (90, 60, 50))
    img.rect(28, 40, 312, 46, (70, 46, 38))
    # opening (dark garage inside) x 90..250, y 106..236
    img.rect(86, 102, 254, 236, (210, 206, 196))
    img.rect(90, 106, 250, 236, (40, 40, 44))
    img.rect(100, 190, 240, 236, (56, 56, 60))
    # drive way
    img.poly([(90, 236), (250, 236), (290, 270), (50, 270)], (140, 140, 136))
    # control box on a post
    img.rect(386, 250, 394, 270, (70, 70, 76))
    img.rect(342, 56, 438, 252, (60, 62, 68))
    img.rect(344, 58, 436, 250, (196, 198, 204))
    img.frame(344, 58, 436, 250, (236, 236, 240))
    return img


def door_frames():
    """Sectional door panel 160x130."""
    f = Img(160, 130)
    f.rect(0, 0, 160, 130, (232, 228, 216))
    for y in range(0, 130, 26):
        f.rect(0, y, 160, y + 2, (170, 166, 156))
        f.rect(0, y + 2, 160, y + 4, (250, 248, 240))
    for x in range(10, 160, 30):
        for y in range(8, 130, 26):
            f.rect(x, y, x + 20, y + 12, (220, 216, 204))
            f.frame(x, y, x + 20, y + 12, (196, 192, 180))
    f.rect(70, 116, 90, 120, (120, 120, 120))
    return [f]


def motor_frames():
    """Door motor 36x28: stopped, opening (up arrow), closing (down arrow)."""
    out = []
    for state in ("stop", "up", "down"):
        f = Img(36, 28)
        f.rect(0, 0, 36, 28, (60, 64, 72))
        f.rect(2, 2, 34, 26, (104, 110, 122))
        f.disc(11, 14, 8, (70, 74, 84))
        f.disc(11, 14, 3, STEEL)
        if state == "up":
            f.poly([(27, 5), (33, 14), (21, 14)], GREEN)
            f.rect(25, 14, 29, 23, GREEN)
        elif state == "down":
            f.poly([(27, 23), (33, 14), (21, 14)], YELLOW)
            f.rect(25, 5, 29, 14, YELLOW)
        else:
            f.rect(22, 11, 32, 17, (150, 150, 150))
        out.append(f)
    return out


def limit_frames():
    """Limit switch 20x20: released, actuated (red tip)."""
    out = []
    for hit in (False, True):
        f = Img(20, 20)
        f.rect(2, 8, 18, 20, (54, 58, 66))
        f.rect(4, 10, 16, 18, (200, 170, 40))
        tip = RED if hit else (200, 200, 200)
        if hit:
            f.line(10, 9, 17, 4, STEEL_D, 2)
            f.disc(17, 4, 3, tip)
        else:
            f.line(10, 9, 13, 1, STEEL_D, 2)
            f.disc(13, 2, 3, tip)
        out.append(f)
    return out


def beam_frames():
    """Light barrier beam 160x6: free (faint), broken (red)."""
    a = Img(160, 6)
    for x in range(0, 160, 8):
        a.rect(x, 2, x + 4, 4, (255, 120, 120))
    b = Img(160, 6)
    b.rect(0, 1, 160, 5, RED)
    return [a, b]


def eye_frames():
    """Light barrier sender/receiver post 10x24."""
    f = Img(10, 24)
    f.rect(0, 0, 10, 24, (50, 50, 56))
    f.disc(5, 6, 3, RED)
    return [f]


def ball_frames():
    """Something in the doorway 40x40: nothing, a ball."""
    a = Img(40, 40)
    b = Img(40, 40)
    b.disc(20, 22, 15, (230, 70, 40))
    b.ring(20, 22, 15, 2, (140, 30, 20))
    b.line(6, 22, 34, 22, WHITE, 2)
    b.disc(15, 15, 4, (250, 170, 150))
    return [a, b]


def main():
    os.makedirs(OUT, exist_ok=True)
    entries = []

    def add(alias, name, frames):
        save(strip(frames), name)
        entries.append(f"{alias}={name},FF00FF,{len(frames)}")

    add("LAMP", "lamp.bmp", lamp_frames())
    add("BUTTONG", "button_green.bmp", button_frames(GREEN))
    add("BUTTONR", "button_red.bmp", button_frames(RED))
    add("BUTTONY", "button_yellow.bmp", button_frames(YELLOW))
    add("SWITCH", "switch.bmp", switch_frames())
    add("DIGIT", "digit.bmp", digit_frames())

    add("CROSSING", "crossing.bmp", [crossing_background()])
    add("TLIGHT", "traffic_light.bmp", traffic_light_frames())
    add("CARRIGHT", "car_right.bmp", [car(32, 16, (40, 90, 200), "right")])
    add("CARDOWN", "car_down.bmp", [car(16, 32, (200, 50, 40), "down")])

    add("TANKBG", "tank_plant.bmp", [tank_background()])
    add("TANK", "tank.bmp", tank_frames())
    add("VALVE", "valve.bmp", valve_frames())
    add("STREAM", "stream.bmp", stream_frames())
    add("LEVELSW", "level_switch.bmp", level_switch_frames())
    add("MIXER", "mixer.bmp", mixer_frames())

    garage = garage_background()
    add("GARAGE", "garage.bmp", [garage])
    add("GARAGETOP", "garage_top.bmp", [garage.crop(86, 0, 254, 106)])
    add("DOOR", "garage_door.bmp", door_frames())
    add("DOORMOTOR", "door_motor.bmp", motor_frames())
    add("LIMIT", "limit_switch.bmp", limit_frames())
    add("BEAM", "light_beam.bmp", beam_frames())
    add("EYE", "light_eye.bmp", eye_frames())
    add("BALL", "ball.bmp", ball_frames())

    with open(os.path.join(OUT, "pictures.inf"), "w", newline="\r\n") as f:
        f.write("; Picture catalogue of the sample plants: ALIAS=file,transparent colour (BBGGRR hex),frames\n")
        f.write("; Generated by scripts/make_vis_pictures.py\n")
        f.write("[ALIASES]\n")
        for e in entries:
            f.write(e + "\n")


if __name__ == "__main__":
    main()
