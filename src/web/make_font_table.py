#!/usr/bin/env python3
"""make_font_table.py: turns an X11 PCF bitmap font into the C++ glyph table of font.h.

Usage: make_font_table.py FONT-ISO8859-1.pcf[.gz] FONT-ISO10646-1.pcf[.gz] PACKAGE_COPYRIGHT OUT.cpp OUT.txt

Reads each font's table of contents, properties, metrics, bitmaps and encodings, and writes
font::helvetica18(): one glBitmap-style glyph per character code 1..255, as GLUT's bitmap font
draws it. Also writes the font's copyright notice: its COPYRIGHT and NOTICE properties and the
matching section of the Debian package's copyright file. Python 3 standard library only.
"""

import gzip
import struct
import sys

# Table types of the table of contents.
PCF_PROPERTIES = 1 << 0
PCF_METRICS = 1 << 2
PCF_BITMAPS = 1 << 3
PCF_BDF_ENCODINGS = 1 << 5

# Format bits, stored in each table's first (always little-endian) word.
PCF_FORMAT_MASK = 0xFFFFFF00
PCF_DEFAULT_FORMAT = 0x00000000
PCF_COMPRESSED_METRICS = 0x00000100
PCF_GLYPH_PAD_MASK = 3  # rows padded to 1 << (format & 3) bytes
PCF_BYTE_MASK = 1 << 2  # set: most significant byte first
PCF_BIT_MASK = 1 << 3  # set: most significant bit is the leftmost pixel
PCF_SCAN_UNIT_SHIFT = 4  # rows read in units of 1 << ((format >> 4) & 3) bytes

NO_GLYPH = 0xFFFF
CODES = 256
SPACE = 32
PER_LINE = 16  # array values per line of the generated source

# GLUT's font keeps the ASCII shapes of the X fonts of its day, which the current ISO8859-1
# encoding replaced: a right quote for the apostrophe, a minus for the hyphen and a left quote
# for the grave accent. They come from the Unicode encoding of the same font.
LEGACY_CODES = {39: 0x2019, 45: 0x2212, 96: 0x2018}


class PcfError(Exception):
    pass


class Table:
    """One table: its format word and a reader for the fields after it in its byte order."""

    def __init__(self, data, offset, size):
        # Some fonts' last table claims more bytes than the file has; reads are checked anyway.
        if offset < 0 or offset + 4 > len(data):
            raise PcfError("table outside the file")
        self.data = data[offset : offset + size]
        (self.format,) = struct.unpack_from("<I", self.data, 0)
        self.order = ">" if self.format & PCF_BYTE_MASK else "<"
        self.pos = 4

    def read(self, fmt):
        fmt = self.order + fmt
        if self.pos + struct.calcsize(fmt) > len(self.data):
            raise PcfError("table ends early")
        values = struct.unpack_from(fmt, self.data, self.pos)
        self.pos += struct.calcsize(fmt)
        return values

    def bytes(self, count):
        if self.pos + count > len(self.data):
            raise PcfError("table ends early")
        chunk = self.data[self.pos : self.pos + count]
        self.pos += count
        return chunk


def read_toc(data):
    if data[:4] != b"\x01fcp":
        raise PcfError("not a PCF font")
    (count,) = struct.unpack_from("<i", data, 4)
    tables = {}
    for i in range(count):
        kind, _, size, offset = struct.unpack_from("<iiii", data, 8 + 16 * i)
        tables[kind] = Table(data, offset, size)
    for kind in (PCF_PROPERTIES, PCF_METRICS, PCF_BITMAPS, PCF_BDF_ENCODINGS):
        if kind not in tables:
            raise PcfError(f"table {kind:#x} missing")
    return tables


def read_properties(t):
    (count,) = t.read("i")
    raw = [t.read("ibi") for _ in range(count)]
    t.bytes((4 - count % 4) % 4)
    (string_size,) = t.read("i")
    strings = t.bytes(string_size)

    def string_at(offset):
        return strings[offset : strings.index(b"\0", offset)].decode("latin-1")

    return {string_at(name): string_at(value) if is_string else value
            for name, is_string, value in raw}


def read_metrics(t):
    """Per glyph: (left bearing, right bearing, advance, ascent, descent)."""
    kind = t.format & PCF_FORMAT_MASK
    if kind == PCF_COMPRESSED_METRICS:
        (count,) = t.read("h")
        return [tuple(v - 0x80 for v in t.read("5B")) for _ in range(count)]
    if kind == PCF_DEFAULT_FORMAT:
        (count,) = t.read("i")
        return [t.read("5hH")[:5] for _ in range(count)]
    raise PcfError(f"metrics format {t.format:#x} unknown")


def read_bitmaps(t, metrics):
    """Per glyph: its rows top first, each a list of 0/1 pixels from left to right."""
    (count,) = t.read("i")
    if count != len(metrics):
        raise PcfError("bitmap and metrics counts differ")
    offsets = t.read(f"{count}i")
    sizes = t.read("4i")
    data = t.bytes(sizes[t.format & PCF_GLYPH_PAD_MASK])
    pad = 1 << (t.format & PCF_GLYPH_PAD_MASK)
    unit = 1 << ((t.format >> PCF_SCAN_UNIT_SHIFT) & 3)
    unit_order = "big" if t.format & PCF_BYTE_MASK else "little"
    msbit_first = bool(t.format & PCF_BIT_MASK)
    if pad % unit:
        raise PcfError("rows not made of whole scan units")
    glyphs = []
    for offset, (lsb, rsb, _, ascent, descent) in zip(offsets, metrics):
        width, height = rsb - lsb, ascent + descent
        stride = (width + 8 * pad - 1) // (8 * pad) * pad
        rows = []
        for y in range(height):
            start = offset + y * stride
            row = []
            for u in range(start, start + stride, unit):
                word = int.from_bytes(data[u : u + unit], unit_order)
                bits = 8 * unit
                row += [(word >> (bits - 1 - i if msbit_first else i)) & 1 for i in range(bits)]
            rows.append(row[:width])
        glyphs.append(rows)
    return glyphs


def read_encodings(t):
    """Glyph index of each character code, or None."""
    min_b2, max_b2, min_b1, max_b1, _ = t.read("5h")
    per_row = max_b2 - min_b2 + 1
    indices = t.read(f"{per_row * (max_b1 - min_b1 + 1)}H")
    codes = {}
    for i, index in enumerate(indices):
        if index != NO_GLYPH:
            codes[(min_b1 + i // per_row) * 256 + min_b2 + i % per_row] = index
    return codes


def load_font(path):
    """The font's properties and, per character code, (lsb, rsb, advance, ascent, descent, rows)."""
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rb") as f:
        data = f.read()
    try:
        tables = read_toc(data)
        props = read_properties(tables[PCF_PROPERTIES])
        metrics = read_metrics(tables[PCF_METRICS])
        bitmaps = read_bitmaps(tables[PCF_BITMAPS], metrics)
        codes = read_encodings(tables[PCF_BDF_ENCODINGS])
        if any(index >= len(metrics) for index in codes.values()):
            raise PcfError("encoding names a glyph the font lacks")
    except (PcfError, struct.error, ValueError) as e:
        sys.exit(f"{path}: {e}")
    return props, {code: (*metrics[g], bitmaps[g]) for code, g in codes.items()}


def glut_glyphs(latin1, unicode):
    """Codes 0..255 as GLUT's font has them: each glyph cut to its advance's columns (GLUT
    draws every glyph as a cell from the pen to the advance), the older ASCII shapes for
    LEGACY_CODES, a space-wide blank for the codes the font lacks, and nothing for code 0."""
    glyphs = [None] * CODES
    for code in range(1, CODES):
        source = unicode.get(LEGACY_CODES[code]) if code in LEGACY_CODES else latin1.get(code)
        if source is None:
            source = (0, 0, latin1[SPACE][2], 0, 0, [])
        lsb, rsb, advance, ascent, descent, rows = source
        left, right = max(lsb, 0), max(min(rsb, advance), max(lsb, 0))
        rows = [row[left - lsb : right - lsb] for row in rows] if right > left else []
        glyphs[code] = (left, right, advance, ascent, descent, rows)
    return glyphs


def glyph_bytes(rows):
    """glBitmap's layout: bottom row first, MSB leftmost, rows padded to whole bytes."""
    out = []
    for row in reversed(rows):
        for x in range(0, len(row), 8):
            chunk = row[x : x + 8] + [0] * (8 - len(row[x : x + 8]))
            out.append(sum(bit << (7 - i) for i, bit in enumerate(chunk)))
    return out


def c_array(values, form):
    return "\n".join("    " + ", ".join(form(v) for v in values[i : i + PER_LINE]) + ","
                     for i in range(0, len(values), PER_LINE))


def write_table(path, sources, glyphs):
    bits, entries, index = [], [], [-1] * CODES
    for code, glyph in enumerate(glyphs):
        if glyph is None:
            continue
        lsb, rsb, advance, ascent, descent, rows = glyph
        height = ascent + descent if rows else 0
        index[code] = len(entries)
        entries.append(f"    {{{rsb - lsb}, {height}, {-lsb}.0f, {descent if rows else 0}.0f, "
                       f"{advance}.0f, kBits + {len(bits)}}},  // {code}")
        bits += glyph_bytes(rows)
    text = f"""// Generated at build time from {sources} by make_font_table.py; do not edit.
#include "font.h"

namespace {{

// Every glyph's rows, bottom row first, one after the other.
const unsigned char kBits[] = {{
{c_array(bits + [0], lambda v: f"0x{v:02x}")}
}};

// The glyphs in code order.
const font::Glyph kGlyphs[] = {{
{chr(10).join(entries)}
}};

// Position in kGlyphs of each code 0..255, or -1 when GLUT draws nothing for it.
const short kIndex[{CODES}] = {{
{c_array(index, str)}
}};

}}  // namespace

const font::Glyph* font::helvetica18(int c) {{
    if (c < 0 || c >= {CODES} || kIndex[c] < 0) {{
        return nullptr;
    }}
    return &kGlyphs[kIndex[c]];
}}
"""
    with open(path, "w", encoding="ascii") as out:
        out.write(text)


def package_section(path, foundry):
    """The part of the package's copyright file about this foundry's fonts."""
    header = f"font-{foundry.lower()}-"
    lines, keep = [], False
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line[:1] not in " \t\n" and line.rstrip().endswith(":"):
                keep = line.startswith(header)
            if keep:
                lines.append(line.rstrip())
    if not lines:
        sys.exit(f"{path}: no section about the fonts of {foundry}")
    return "\n".join(lines).strip() + "\n"


def write_copyright(path, font_name, props, package_copyright):
    parts = [f"The game's text is drawn with the bitmap font {props.get('FONT', font_name)}",
             f"({font_name}, from the X.Org 75dpi fonts, Debian package xfonts-75dpi).", ""]
    for key in ("COPYRIGHT", "NOTICE"):
        if isinstance(props.get(key), str):
            parts.append(f"{key.capitalize()} of the font: {props[key].strip()}")
    parts += ["", f"From {package_copyright}:", "",
              package_section(package_copyright, props.get("FOUNDRY", "adobe"))]
    with open(path, "w", encoding="utf-8") as out:
        out.write("\n".join(parts))


def main(argv):
    if len(argv) != 6:
        sys.exit(__doc__.strip().splitlines()[2])
    latin1_path, unicode_path, package_copyright, out_cpp, out_copyright = argv[1:]
    props, latin1 = load_font(latin1_path)
    _, unicode = load_font(unicode_path)
    if SPACE not in latin1 or any(u not in unicode for u in LEGACY_CODES.values()):
        sys.exit(f"{latin1_path}, {unicode_path}: the space or an older ASCII glyph is missing")
    names = [p.rsplit("/", 1)[-1] for p in (latin1_path, unicode_path)]
    write_table(out_cpp, " and ".join(names), glut_glyphs(latin1, unicode))
    write_copyright(out_copyright, names[0], props, package_copyright)


if __name__ == "__main__":
    main(sys.argv)
