#!/usr/bin/env python3
"""Draws res/tree_images.bmp: the device and log-file trees' 16 x 16 images side by side,
24-bit, magenta as the transparent colour. An image's place is the index the code uses:

  1 disconnected            2 disconnected, busy        3 connected     4 connected, busy
  5 variable                8 log file                  9 disconnected, with messages
  15 connected, not answering (a request of its own went unanswered; its other messages
  are in its tip)
  0, 6, 7, 10-14 no state uses them: a plain device, so that none is ever drawn empty.

Usage: make_tree_images.py [OUT.bmp] (default: tree_images.bmp next to this script)."""
import os
import struct
import sys

SIZE = 16
COUNT = 16
MASK = (255, 0, 255)
BLACK = (0, 0, 0)
DARK_GREY = (96, 96, 96)
GREY = (160, 160, 160)
LIGHT_GREY = (208, 208, 208)
WHITE = (255, 255, 255)
GREEN = (0, 168, 0)
DARK_GREEN = (0, 96, 0)
BLUE = (40, 110, 200)
DARK_BLUE = (20, 60, 130)
YELLOW = (250, 200, 0)
RED = (200, 30, 30)
SCREEN = (150, 200, 150)


def blank():
    return [[MASK] * SIZE for _ in range(SIZE)]


def rect(image, left, top, right, bottom, colour):
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            image[y][x] = colour


def frame(image, left, top, right, bottom, colour):
    for x in range(left, right + 1):
        image[top][x] = image[bottom][x] = colour
    for y in range(top, bottom + 1):
        image[y][left] = image[y][right] = colour


def device(connected):
    """A controller: a case with a display and a status lamp, green when connected."""
    image = blank()
    rect(image, 1, 2, 13, 13, LIGHT_GREY if not connected else WHITE)
    frame(image, 1, 2, 13, 13, DARK_GREY)
    rect(image, 3, 4, 11, 7, SCREEN if connected else GREY)
    frame(image, 3, 4, 11, 7, DARK_GREY)
    lamp = GREEN if connected else DARK_GREY
    rect(image, 3, 10, 5, 11, lamp)
    # The cable: plugged in when connected, hanging loose when not.
    if connected:
        rect(image, 14, 7, 15, 8, BLACK)
    else:
        image[10][14] = BLACK
        image[11][15] = BLACK
    return image


def busy(image):
    """A small hourglass at the bottom right."""
    rect(image, 9, 9, 15, 9, DARK_BLUE)
    rect(image, 9, 15, 15, 15, DARK_BLUE)
    for step, (left, right) in enumerate(((10, 14), (11, 13), (12, 12), (11, 13), (10, 14))):
        y = 10 + step
        image[y][left - 1] = DARK_BLUE
        image[y][right + 1] = DARK_BLUE
        fill = YELLOW if step >= 2 else WHITE
        for x in range(left, right + 1):
            image[y][x] = fill
    return image


def warning(image):
    """A yellow triangle with a red mark at the bottom right: the device has messages."""
    for row in range(8):
        y = 8 + row
        half = (row + 1) // 2
        left, right = 11 - half, 11 + half
        for x in range(left, right + 1):
            image[y][x] = YELLOW
        image[y][left] = image[y][right] = BLACK
    rect(image, 7, 15, 15, 15, BLACK)
    for y in (10, 11, 12):
        image[y][11] = RED
    image[14][11] = RED
    return image


def variable():
    image = blank()
    for y in range(3, 14):
        half = 5 - abs(y - 8)
        for x in range(8 - half, 8 + half + 1):
            image[y][x] = BLUE
        image[y][8 - half] = image[y][8 + half] = DARK_BLUE
    return image


def log_file():
    """A page with lines of text and a folded corner."""
    image = blank()
    rect(image, 3, 1, 12, 14, WHITE)
    frame(image, 3, 1, 12, 14, DARK_GREY)
    for y in (4, 6, 8, 10, 12):
        rect(image, 5, y, 10, y, DARK_BLUE if y != 12 else GREEN)
    rect(image, 10, 1, 12, 3, MASK)
    image[1][10] = image[2][11] = image[3][12] = DARK_GREY
    image[3][10] = image[3][11] = image[2][10] = DARK_GREY
    return image


def images():
    plain = device(False)
    drawn = {index: plain for index in range(COUNT)}
    drawn[1] = device(False)
    drawn[2] = busy(device(False))
    drawn[3] = device(True)
    drawn[4] = busy(device(True))
    drawn[5] = variable()
    drawn[8] = log_file()
    drawn[9] = warning(device(False))
    drawn[15] = warning(device(True))
    return [drawn[index] for index in range(COUNT)]


def write_bmp(path, strip):
    width, height = SIZE * len(strip), SIZE
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for image in strip:
            for red, green, blue in image[y]:
                row += bytes((blue, green, red))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + pixels)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                            "tree_images.bmp")
    write_bmp(out, images())
