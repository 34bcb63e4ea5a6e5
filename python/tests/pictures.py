"""Pictures for the tests: BMP files to send, PNG snapshots to read back."""

import struct
import zlib
from pathlib import Path


def bmp(width: int, height: int, rgb: tuple[int, int, int]) -> bytes:
    """A 24-bit BMP file of one colour, rows padded to four bytes as the format wants."""
    row = bytes(rgb[::-1]) * width
    row += bytes(-len(row) % 4)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def png_pixel(path: Path, x: int, y: int) -> tuple[int, int, int]:
    """The RGB colour at (x, y) of an 8-bit RGB or RGBA PNG without interlacing, as Qt saves."""
    data = path.read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG"
    chunks: dict[bytes, bytes] = {}
    at = 8
    idat = b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IDAT":
            idat += body
        chunks.setdefault(kind, body)
        at += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    assert depth == 8 and colour in (2, 6) and interlace == 0, "an RGB(A) PNG of 8-bit samples"
    size = 3 if colour == 2 else 4
    stride = width * size
    raw = zlib.decompress(idat)
    previous = bytearray(stride)
    for row in range(y + 1):
        start = row * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - size] if i >= size else 0
            up = previous[i]
            corner = previous[i - size] if i >= size else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                guess = left + up - corner
                near = min((abs(guess - left), 0, left), (abs(guess - up), 1, up),
                           (abs(guess - corner), 2, corner))
                line[i] = (line[i] + near[2]) & 0xFF
        previous = line
    return tuple(previous[x * size:x * size + 3])  # type: ignore[return-value]
