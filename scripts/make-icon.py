#!/usr/bin/env python3
"""Draws the program icon (a red cross with a white border) into
res/tresorix.ico: every size the shell asks for at 100 % to 200 % scaling,
and 256x256 as PNG as Windows expects it. Run by hand when the picture
changes."""
import struct, sys, zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)

def pixels(n):
    """The picture's rows, top-down, as BGRA bytes."""
    # The cross: arms a third of the size wide (one more where that centres
    # them), a white rim of a sixteenth of the size around the red.
    rim = max(1, n // 16)
    arm = n // 3 + (n - n // 3) % 2
    lo = (n - arm) // 2
    hi = lo + arm
    m = rim - 1
    def inside(x, y, pad):
        vert = lo - pad <= x < hi + pad and m - pad + rim <= y < n - m + pad - rim
        horz = lo - pad <= y < hi + pad and m - pad + rim <= x < n - m + pad - rim
        return vert or horz
    rows = []
    for y in range(n):
        row = b""
        for x in range(n):
            if inside(x, y, 0):
                row += bytes((0x20, 0x20, 0xD0, 0xFF))  # BGRA red
            elif inside(x, y, rim):
                row += bytes((0xFF, 0xFF, 0xFF, 0xFF))
            else:
                row += bytes((0, 0, 0, 0))
        rows.append(row)
    return rows

def bitmap(n):
    xor = b"".join(reversed(pixels(n)))  # bottom-up
    mask_row = ((n + 31) // 32) * 4
    andmask = bytes(mask_row * n)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    return header + xor + andmask

def png(n):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rgba = b""
    for row in pixels(n):
        rgba += b"\0" + b"".join(row[i + 2:i + 3] + row[i + 1:i + 2] + row[i:i + 1] + row[i + 3:i + 4]
                                 for i in range(0, len(row), 4))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rgba, 9)) + chunk(b"IEND", b""))

imgs = [png(n) if n == 256 else bitmap(n) for n in SIZES]
out = struct.pack("<HHH", 0, 1, len(imgs))
offset = 6 + 16 * len(imgs)
for n, data in zip(SIZES, imgs):
    out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
out += b"".join(imgs)
open(sys.argv[1] if len(sys.argv) > 1 else "res/tresorix.ico", "wb").write(out)
