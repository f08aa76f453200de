#!/usr/bin/env python3
"""Draws the program icon (a red cross with a white border, 16x16 and 32x32)
into res/tresorix.ico. Run by hand when the picture changes."""
import struct, sys

def image(n):
    # The cross: arms a third of the size wide, a white rim one pixel (two at
    # 32x32) around the red.
    rim = 1 if n == 16 else 2
    arm = n // 3 + (1 if n == 16 else 0)
    lo = (n - arm) // 2
    hi = lo + arm
    m = rim - 1 if n == 32 else 0
    def inside(x, y, pad):
        vert = lo - pad <= x < hi + pad and m - pad + rim <= y < n - m + pad - rim
        horz = lo - pad <= y < hi + pad and m - pad + rim <= x < n - m + pad - rim
        return vert or horz
    rows = []
    for y in range(n - 1, -1, -1):  # bottom-up
        row = b""
        for x in range(n):
            if inside(x, y, 0):
                row += bytes((0x20, 0x20, 0xD0, 0xFF))  # BGRA red
            elif inside(x, y, rim):
                row += bytes((0xFF, 0xFF, 0xFF, 0xFF))
            else:
                row += bytes((0, 0, 0, 0))
        rows.append(row)
    xor = b"".join(rows)
    mask_row = ((n + 31) // 32) * 4
    andmask = bytes(mask_row * n)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    return header + xor + andmask

imgs = [image(16), image(32)]
out = struct.pack("<HHH", 0, 1, len(imgs))
offset = 6 + 16 * len(imgs)
for n, data in zip((16, 32), imgs):
    out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
out += b"".join(imgs)
open(sys.argv[1] if len(sys.argv) > 1 else "res/tresorix.ico", "wb").write(out)
