#!/usr/bin/env python3
"""Draws the program's artwork and writes it to assets/icons/.

Three pictures, each at 32 x 32 and 16 x 16 pixels:

  application  the graphing calculator with a little wire-frame cube on its
               screen (the program's icon and the main menu's picture)
  about        the calculator beside a white question mark (about window)
  wizard       the calculator beside a magnifying glass (preview wizard)

Every picture uses one 16-entry palette (entry 0 is transparent), so each is
written as a 4-bit indexed PNG and the three .ico files hold 16-colour
bitmaps. Only the standard library is used; run it from anywhere:

    python3 assets/draw_artwork.py
"""

import math
import os
import struct
import zlib

# --- palette -----------------------------------------------------------------

PALETTE = [
    (0, 0, 0),  # 0 transparent
    (16, 17, 22),  # 1 outline
    (40, 44, 56),  # 2 body
    (72, 78, 94),  # 3 body highlight
    (150, 156, 168),  # 4 key
    (92, 97, 110),  # 5 key shadow, steel
    (166, 184, 150),  # 6 screen, grey-green
    (38, 52, 36),  # 7 screen ink
    (255, 255, 255),  # 8 white
    (196, 201, 210),  # 9 light grey
    (58, 120, 216),  # 10 blue
    (70, 168, 84),  # 11 green
    (184, 222, 244),  # 12 glass
    (128, 80, 40),  # 13 wooden handle
    (226, 178, 64),  # 14 brass
    (120, 138, 106),  # 15 screen axes
]

T, OUTLINE, BODY, BODY_LIGHT, KEY, STEEL, SCREEN, INK = range(8)
WHITE, LIGHT, BLUE, GREEN, GLASS, WOOD, BRASS, AXES = range(8, 16)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[T] * size for _ in range(size)]

    def put(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Fills the rectangle with both corners included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        """Fills the pixels whose centres lie within r of (cx, cy)."""
        for y in range(self.size):
            for x in range(self.size):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def stamp(self, x0, y0, rows, colours):
        """Copies a small character map; '.' leaves the pixel as it is."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.put(x0 + dx, y0 + dy, colours[ch])


# --- the calculator ------------------------------------------------------------


def calculator_32(cv, left, top, width, height, screen_picture, screen_height=10):
    """A graphing calculator: dark rounded body, bevelled grey-green screen,
    a row of function keys, the arrow pad and rows of keys."""
    right, bottom = left + width - 1, top + height - 1
    # body with rounded corners, lit from the top left
    cv.rect(left + 1, top, right - 1, bottom, OUTLINE)
    cv.rect(left, top + 1, right, bottom - 1, OUTLINE)
    cv.rect(left + 1, top + 1, right - 1, bottom - 1, BODY)
    cv.line(left + 1, top + 2, left + 1, bottom - 2, BODY_LIGHT)
    cv.line(left + 2, top + 1, right - 2, top + 1, BODY_LIGHT)
    # screen: steel bezel around the grey-green glass
    sx0, sy0, sx1, sy1 = left + 2, top + 3, right - 2, top + 2 + screen_height
    cv.rect(sx0, sy0, sx1, sy1, STEEL)
    cv.rect(sx0 + 1, sy0 + 1, sx1 - 1, sy1 - 1, SCREEN)
    screen_picture(cv, sx0 + 1, sy0 + 1, sx1 - 1, sy1 - 1)
    # function keys under the screen
    y = sy1 + 2
    for x in range(left + 2, right - 1, 3):
        cv.rect(x, y, min(x + 1, right - 2), y, LIGHT)
    # main keys: first row with the coloured 2nd and alpha keys and the
    # arrow pad on the right, then plain rows
    keys_left = left + 2
    y += 2
    cv.rect(keys_left, y, keys_left + 1, y + 1, BLUE)
    cv.rect(keys_left + 3, y, keys_left + 4, y + 1, GREEN)
    pad_x = right - 5
    cv.stamp(pad_x, y - 1, [".kk.", "k..k", "k..k", ".kk."], {"k": KEY})
    columns = range(keys_left, right - 2, 3)
    y += 3
    while y + 1 <= bottom - 2:
        for x in columns:
            cv.rect(x, y, x + 1, y, KEY)
            cv.rect(x, y + 1, x + 1, y + 1, STEEL)
        y += 3
    # the enter key stands out in the bottom right corner
    cv.rect(list(columns)[-1], y - 3, list(columns)[-1] + 1, y - 3, LIGHT)


def graph_line(cv, x0, y0, x1, y1):
    """One period of a sine wave over its axes, as the calculator graphs a
    function."""
    mid_y = (y0 + y1) // 2
    cv.line(x0, mid_y, x1, mid_y, AXES)
    cv.line(x0 + 2, y0, x0 + 2, y1, AXES)
    amplitude = (y1 - y0) / 2 - 0.6
    points = []
    for i in range(x1 - x0 + 1):
        phase = 2 * math.pi * i / (x1 - x0)
        points.append((x0 + i, round(mid_y + 0.5 - amplitude * math.sin(phase))))
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        cv.line(ax, ay, bx, by, INK)


def square(cv, box, colour):
    a, b, c, d = box
    cv.line(a, b, c, b, colour)
    cv.line(a, d, c, d, colour)
    cv.line(a, b, a, d, colour)
    cv.line(c, b, c, d, colour)


def wire_cube(cv, x0, y0, x1, y1):
    """A wire-frame cube in oblique projection, the kind of scene the
    program builds. The hidden edges are drawn lighter, so that the cube
    reads as standing in space."""
    edge, depth = 6, 3
    ox = x0 + (x1 - x0 + 1 - edge - depth) // 2
    oy = y0 + 1
    back = (ox + depth, oy, ox + depth + edge - 1, oy + edge - 1)
    front = (ox, oy + depth, ox + edge - 1, oy + depth + edge - 1)
    square(cv, back, AXES)
    cv.line(back[0], back[3], front[0], front[3], AXES)
    cv.line(back[0], back[1], front[0], front[1], INK)
    cv.line(back[2], back[1], front[2], front[1], INK)
    cv.line(back[2], back[3], front[2], front[3], INK)
    cv.line(back[0] + 1, back[1], back[2], back[1], INK)
    cv.line(back[2], back[1], back[2], back[3] - 1, INK)
    square(cv, front, INK)


def calculator_16(cv, left, top, width, height, screen_picture):
    right, bottom = left + width - 1, top + height - 1
    cv.rect(left + 1, top, right - 1, bottom, OUTLINE)
    cv.rect(left, top + 1, right, bottom - 1, OUTLINE)
    cv.rect(left + 1, top + 1, right - 1, bottom - 1, BODY)
    cv.line(left + 1, top + 1, left + 1, bottom - 1, BODY_LIGHT)
    sx0, sy0, sx1, sy1 = left + 2, top + 2, right - 2, top + 6
    cv.rect(sx0, sy0, sx1, sy1, SCREEN)
    screen_picture(cv, sx0, sy0, sx1, sy1)
    y = sy1 + 2
    cv.put(left + 2, y, BLUE)
    cv.put(left + 4, y, GREEN)
    cv.put(right - 2, y, KEY)
    y += 2
    while y <= bottom - 2:
        for x in range(left + 2, right - 1, 2):
            cv.put(x, y, KEY)
        y += 2


def small_graph(cv, x0, y0, x1, y1):
    heights = [3, 2, 1, 1, 2, 3, 4]
    for i in range(x1 - x0 + 1):
        cv.put(x0 + i, y0 + min(y1 - y0, heights[i % len(heights)]), INK)


def small_cube(cv, x0, y0, x1, y1):
    cv.stamp(x0 + (x1 - x0 - 4) // 2, y0, [".aaa", "kkkk", "k.ak", "kkk."],
             {"k": INK, "a": AXES})


# --- the three pictures ----------------------------------------------------------------

QUESTION_32 = [
    "....oooooo....",
    "..oowwwwwwoo..",
    ".owwwwwwwwwwo.",
    "owwwwllllwwwwo",
    "owwwlo..olwwwo",
    "owwwo....owwwo",
    ".ooo.....owwwo",
    "........owwwwo",
    ".......owwwwo.",
    "......owwwwo..",
    ".....owwwwo...",
    ".....owwwo....",
    ".....owwwo....",
    ".....owwwo....",
    ".....olllo....",
    "......ooo.....",
    "..............",
    "......ooo.....",
    ".....owwwo....",
    ".....owwwo....",
    ".....olllo....",
    "......ooo.....",
]

QUESTION_16 = [
    ".oooo.",
    "owwwwo",
    "owoowo",
    ".o.owo",
    "..owwo",
    ".owwo.",
    ".owo..",
    ".ooo..",
    ".owo..",
    ".ooo..",
]

MARK_COLOURS = {"o": OUTLINE, "w": WHITE, "l": LIGHT}


def application(size):
    cv = Canvas(size)
    if size == 32:
        calculator_32(cv, 7, 0, 18, 32, wire_cube, screen_height=13)
    else:
        calculator_16(cv, 3, 0, 10, 16, small_cube)
    return cv


def about(size):
    cv = Canvas(size)
    if size == 32:
        calculator_32(cv, 0, 1, 16, 30, graph_line)
        cv.stamp(17, 5, QUESTION_32, MARK_COLOURS)
    else:
        calculator_16(cv, 0, 0, 9, 16, small_graph)
        cv.stamp(10, 3, QUESTION_16, MARK_COLOURS)
    return cv


def magnifier(cv, cx, cy, r, handle_end, handle_width):
    # handle first, so that the rim covers its inner end
    hx, hy = handle_end
    for off in range(handle_width):
        cv.line(cx + off, cy, hx + off, hy, WOOD)
    cv.line(cx + handle_width, cy, hx + handle_width, hy, OUTLINE)
    cv.line(cx - 1, cy + 1, hx - 1, hy, OUTLINE)
    cv.disc(cx, cy, r + 1.5, OUTLINE)
    cv.disc(cx, cy, r + 0.5, BRASS)
    cv.disc(cx, cy, r - 0.7, GLASS)
    # a glint on the glass
    cv.line(cx - r // 2 - 1, cy - 1, cx - 1, cy - r // 2 - 1, WHITE)


def wizard(size):
    cv = Canvas(size)
    if size == 32:
        calculator_32(cv, 0, 1, 16, 30, graph_line)
        magnifier(cv, 21, 12, 7, (29, 29), 3)
    else:
        calculator_16(cv, 0, 0, 9, 16, small_graph)
        magnifier(cv, 11, 6, 3, (13, 14), 2)
    return cv


PICTURES = {"application": application, "about": about, "wizard": wizard}

# --- file formats ----------------------------------------------------------------


def png_bytes(cv):
    """4-bit indexed PNG with entry 0 transparent."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    size = cv.size
    raw = bytearray()
    for row in cv.px:
        raw.append(0)
        for i in range(0, size, 2):
            raw.append((row[i] << 4) | row[i + 1])
    header = struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0)
    plte = b"".join(bytes(c) for c in PALETTE)
    trns = bytes([0])
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", plte) +
            chunk(b"tRNS", trns) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


def ico_bitmap(cv):
    """One 16-colour icon image: header, palette, colour rows and the
    transparency mask, both bottom-up with rows padded to 4 bytes."""
    size = cv.size
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
    colour_stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    colours = bytearray()
    mask = bytearray()
    for row in reversed(cv.px):
        line = bytearray()
        for i in range(0, size, 2):
            line.append((row[i] << 4) | row[i + 1])
        colours += line.ljust(colour_stride, b"\0")
        bits = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c == T:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + palette + bytes(colours) + bytes(mask)


def ico_bytes(canvases):
    images = [ico_bitmap(cv) for cv in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for cv, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", cv.size % 256, cv.size % 256, 16, 0, 1, 4, len(data),
                           offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    out_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")
    os.makedirs(out_dir, exist_ok=True)
    for name, draw in PICTURES.items():
        canvases = [draw(32), draw(16)]
        for cv in canvases:
            with open(os.path.join(out_dir, f"{name}_{cv.size}.png"), "wb") as f:
                f.write(png_bytes(cv))
        with open(os.path.join(out_dir, f"{name}.ico"), "wb") as f:
            f.write(ico_bytes(canvases))


if __name__ == "__main__":
    main()
