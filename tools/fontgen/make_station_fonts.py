#!/usr/bin/python3
"""Builds the station fonts from Debian's VGA console fonts.

Writes three TrueType files whose glyphs are the console fonts' pixels as square outlines:
"ASCII VGA" (9 x 16 cells), "ASCII EGA" (9 x 8 cells) and "ASCII" (the 9 x 16 design, for any
size). Each holds the 256 glyphs of code page 437 at the code points 0x00 to 0xFF, which is
what the screen asks for when a host sends single bytes, and also at the Unicode characters
code page 437 stands for, where those lie above U+00FF and so cannot clash with a byte.

Needs the Debian packages console-setup-linux (the fonts) and python3-fonttools. Run from the
repository's top folder:

    tools/fontgen/make_station_fonts.py [--fonts /usr/share/consolefonts] [--out resources/fonts]
"""

import argparse
import gzip
import pathlib
import struct

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

PSF1_MAGIC = b"\x36\x04"
PSF1_MODE512 = 0x01
PSF1_HAS_TABLE = 0x06
PSF1_SEPARATOR = 0xFFFF
PSF1_SEQUENCE = 0xFFFE

SOURCE_16 = "Uni2-VGA16.psf.gz"
SOURCE_8 = "Uni2-VGA8.psf.gz"

# Code page 437 shows pictures for the control bytes and the house for 0x7F.
CONTROL_PICTURES = "\u0000☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼"
HOUSE = "⌂"

# Characters the console fonts lack, and the nearest ones they have.
SUBSTITUTES = {"►": "▶", "◄": "◀"}

# On a VGA card the ninth pixel column repeats the eighth for these bytes, so lines and blocks
# join across cells; every other byte leaves it dark.
LINE_BYTES = range(0xC0, 0xE0)

CELL_WIDTH = 9
UNITS_PER_EM = 1152


def cp437_characters():
    text = (CONTROL_PICTURES + bytes(range(0x20, 0x7F)).decode("ascii") + HOUSE +
            bytes(range(0x80, 0x100)).decode("cp437"))
    assert len(text) == 256
    return text


class ConsoleFont:
    """A PSF1 console font: rows of 8 pixels per glyph and the characters each glyph shows."""

    def __init__(self, path):
        data = gzip.open(path).read()
        if data[:2] != PSF1_MAGIC:
            raise SystemExit(f"{path}: not a PSF1 console font")
        mode, self.height = data[2], data[3]
        count = 512 if mode & PSF1_MODE512 else 256
        if not mode & PSF1_HAS_TABLE:
            raise SystemExit(f"{path}: no Unicode table")
        self.glyphs = [data[4 + i * self.height:4 + (i + 1) * self.height] for i in range(count)]
        self.index = {}
        offset = 4 + count * self.height
        for glyph in range(count):
            in_sequence = False
            while True:
                (code,) = struct.unpack_from("<H", data, offset)
                offset += 2
                if code == PSF1_SEPARATOR:
                    break
                if code == PSF1_SEQUENCE:
                    in_sequence = True
                elif not in_sequence:
                    self.index.setdefault(chr(code), glyph)

    def rows(self, char):
        glyph = self.index.get(char)
        return None if glyph is None else list(self.glyphs[glyph])


def resize(rows, height):
    """Doubles each row, or merges each pair of rows, to reach the other font's height."""
    if len(rows) * 2 == height:
        return [row for row in rows for _ in range(2)]
    if len(rows) == height * 2:
        return [rows[i] | rows[i + 1] for i in range(0, len(rows), 2)]
    raise SystemExit(f"cannot turn {len(rows)} rows into {height}")


def glyph_rows(char, main, other):
    """The char's pixel rows from the main font, else from the other one, else a substitute's."""
    for wanted in (char, SUBSTITUTES.get(char)):
        if wanted is None:
            continue
        rows = main.rows(wanted)
        if rows is not None:
            return rows, main
        rows = other.rows(wanted)
        if rows is not None:
            return resize(rows, main.height), other
    raise SystemExit(f"no glyph for U+{ord(char):04X}")


def widen(rows, byte):
    """Nine-pixel rows as bit masks, bit 8 the leftmost pixel."""
    wide = []
    for row in rows:
        value = row << 1
        if byte in LINE_BYTES and row & 1:
            value |= 1
        wide.append(value)
    return wide


def rectangles(rows):
    """The lit pixels as rectangles (x, top row, width, row count): each row's runs, with a run
    joined to the one above when both cover the same columns."""
    done = []
    open_runs = {}
    for y, row in enumerate(rows):
        runs = []
        x = 0
        while x < CELL_WIDTH:
            if row >> (CELL_WIDTH - 1 - x) & 1:
                start = x
                while x < CELL_WIDTH and row >> (CELL_WIDTH - 1 - x) & 1:
                    x += 1
                runs.append((start, x - start))
            else:
                x += 1
        still_open = {}
        for run in runs:
            if run in open_runs:
                top, count = open_runs.pop(run)
                still_open[run] = (top, count + 1)
            else:
                still_open[run] = (y, 1)
        done.extend((x, top, width, count) for (x, width), (top, count) in open_runs.items())
        open_runs = still_open
    done.extend((x, top, width, count) for (x, width), (top, count) in open_runs.items())
    return sorted(done, key=lambda r: (r[1], r[0]))


def outline(rows, pixel, descent_rows):
    pen = TTGlyphPen(None)
    height = len(rows)
    for x, top, width, count in rectangles(rows):
        left, right = x * pixel, (x + width) * pixel
        upper = (height - descent_rows - top) * pixel
        lower = upper - count * pixel
        # Clockwise, as TrueType wants outer contours.
        pen.moveTo((left, lower))
        pen.lineTo((left, upper))
        pen.lineTo((right, upper))
        pen.lineTo((right, lower))
        pen.closePath()
    return pen.glyph()


def build(family, file_name, main, other, descent_rows, licence_note, out):
    height = main.height
    pixel = UNITS_PER_EM // height
    advance = CELL_WIDTH * pixel
    ascent = (height - descent_rows) * pixel
    descent = descent_rows * pixel

    glyph_order = [".notdef"] + [f"cp{byte:02X}" for byte in range(256)]
    glyphs = {".notdef": TTGlyphPen(None).glyph()}
    cmap = {}
    borrowed = []
    for byte, char in enumerate(cp437_characters()):
        name = f"cp{byte:02X}"
        rows, source = glyph_rows(char, main, other) if byte else ([0] * height, main)
        if source is not main:
            borrowed.append(char)
        glyphs[name] = outline(widen(rows, byte), pixel, descent_rows)
        cmap[byte] = name
        if ord(char) > 0xFF:
            cmap.setdefault(ord(char), name)

    builder = FontBuilder(UNITS_PER_EM, isTTF=True)
    builder.setupGlyphOrder(glyph_order)
    builder.setupCharacterMap(cmap)
    builder.setupGlyf(glyphs)
    builder.setupHorizontalMetrics({name: (advance, 0) for name in glyph_order})
    builder.setupHorizontalHeader(ascent=ascent, descent=-descent, lineGap=0)
    builder.setupNameTable({
        "familyName": family,
        "styleName": "Regular",
        "uniqueFontIdentifier": f"QX4400 station: {family}",
        "fullName": family,
        "psName": family.replace(" ", "-"),
        "version": "Version 1.0",
        "licenseDescription": licence_note,
    })
    builder.setupOS2(
        sTypoAscender=ascent, sTypoDescender=-descent, sTypoLineGap=0,
        usWinAscent=ascent, usWinDescent=descent, xAvgCharWidth=advance,
        # fsType 0: installable embedding, so documents made with the faces may carry them.
        version=4, usWeightClass=400, fsType=0, fsSelection=0x40 | 0x80,
        panose=_monospaced_panose(),
        ulUnicodeRange1=0b11, ulCodePageRange1=0b1, ulCodePageRange2=1 << 31,
    )
    builder.setupPost(isFixedPitch=1)
    builder.setupHead(unitsPerEm=UNITS_PER_EM)
    out.mkdir(parents=True, exist_ok=True)
    builder.save(out / file_name)
    print(f"{file_name}: {family}, {CELL_WIDTH} x {height}, "
          f"borrowed from the other height: {''.join(borrowed) or 'none'}")


def _monospaced_panose():
    from fontTools.ttLib.tables.O_S_2f_2 import Panose
    panose = Panose()
    for field in ("bFamilyType", "bSerifStyle", "bWeight", "bProportion", "bContrast",
                  "bStrokeVariation", "bArmStyle", "bLetterForm", "bMidline", "bXHeight"):
        setattr(panose, field, 0)
    panose.bFamilyType = 2
    panose.bProportion = 9
    return panose


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--fonts", default="/usr/share/consolefonts", type=pathlib.Path)
    parser.add_argument("--out", default="resources/fonts", type=pathlib.Path)
    args = parser.parse_args()

    vga = ConsoleFont(args.fonts / SOURCE_16)
    ega = ConsoleFont(args.fonts / SOURCE_8)
    note = ("Glyphs from the console fonts Uni2-VGA16 and Uni2-VGA8 of Debian's "
            "console-setup-linux; see LICENSE beside this file.")
    build("ASCII VGA", "ASCII-VGA.ttf", vga, ega, 4, note, args.out)
    build("ASCII EGA", "ASCII-EGA.ttf", ega, vga, 1, note, args.out)
    build("ASCII", "ASCII.ttf", vga, ega, 4, note, args.out)


if __name__ == "__main__":
    main()
