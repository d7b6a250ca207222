#!/usr/bin/env python3
"""Generates the constant tables of the code pages: engine/code_page_tables.cpp (the twelve
conversion tables between the four Cyrillic code pages) and engine/unicode_tables.h (the
byte -> Unicode tables of the four pages, the one place the program's readings of a page
come from).

A conversion entry is the target page's byte for the character the source byte denotes;
where the target lacks that character (or the source byte denotes none) it is the
substitute listed below. The script fails if a byte is neither mappable nor listed, or
is listed although it has a counterpart (except WINDOWS 0x98, which has no character).

    python3 tools/gen_tables.py          # rewrites both files
"""
import os
import sys

CODECS = {"W": "cp1251", "D": "cp866", "K": "koi8_r", "I": "iso8859_5"}
PAGES = ["W", "D", "K", "I"]  # CodePage order: WINDOWS, DOS, KOI8-R, ISO
PAGE_NAMES = {"W": "cp-1251", "D": "cp-866", "K": "KOI8-R", "I": "ISO-8859-5"}
CONVERSIONS = ["D2K", "K2D", "D2W", "W2D", "W2K", "K2W",
               "D2I", "I2D", "K2I", "I2K", "W2I", "I2W"]

# Per conversion: (source bytes that become "?", {substitute: source bytes}).
SUBSTITUTES = {
    "D2K": ("F2-F7", {0x4E: "FC", 0x24: "FD"}),
    "K2D": ("98 99 9D 9F", {0xD9: "93 9B", 0x7E: "97", 0x63: "BF"}),
    "D2W": ("FB", {0x2E: "B0", 0x2B: "B1 B4-B9 BB-C3 C5-CC CE-DA", 0x2A: "B2",
                   0x7C: "B3 BA DD DE", 0x2D: "C4", 0x3D: "CD", 0x95: "DB DC DF F9 FE"}),
    "W2D": ("80 81 83 86-88 8A 8C-90 99 9A 9C-9F A5 A7 AB AC B1 B4-B6 BB",
            {0x2C: "82 84", 0x2E: "85", 0x25: "89", 0x3C: "8B", 0x27: "91 92",
             0x22: "93 94", 0xF9: "95", 0x2D: "96", 0xC4: "97 AD", 0xFF: "98", 0x3E: "9B",
             0x4A: "A3", 0x7C: "A6", 0x63: "A9", 0x52: "AE", 0x49: "B2", 0x69: "B3",
             0x6A: "BC", 0x53: "BD", 0x73: "BE"}),
    "W2K": ("80 81 83-8A 8C-90 99 9A 9C-9F A1 A2 A5 A7 AA-AC AF B1 B4-B6 B9-BB BF",
            {0x2C: "82", 0x3C: "8B", 0x27: "91 92", 0x22: "93 94", 0x95: "95",
             0x2D: "96 AD", 0x80: "97", 0x9A: "98", 0x3E: "9B", 0x4A: "A3", 0x24: "A4",
             0x7C: "A6", 0x52: "AE", 0x49: "B2", 0x69: "B3", 0x6A: "BC", 0x53: "BD",
             0x73: "BE"}),
    "K2W": ("8B-93 96 98 99 9B 9D 9F",
            {0x97: "80", 0xA6: "81 A1", 0x2B: "82-8A A2 A4-B2 B4-BE", 0x95: "94 95",
             0x7E: "97", 0x3D: "A0"}),
    "D2I": ("B0-B2 DB-DF F8 F9 FB FE",
            {0x7C: "B3 BA", 0x2B: "B4-B9 BB-C3 C5-DA", 0x2D: "C4", 0x2E: "FA", 0x24: "FD"}),
    "I2D": ("80-9F A2 A3 A9-AC AF F2 F3 F9-FD FF",
            {0x53: "A5", 0x49: "A6", 0x4A: "A8", 0x2D: "AD", 0x73: "F5", 0x69: "F6",
             0x6A: "F8"}),
    "K2I": ("8B-99 9B-9D 9F",
            {0x2D: "80", 0x7C: "81 A1", 0x2B: "82-8A A2 A4-B2 B4-BE", 0x2E: "9E",
             0x3D: "A0", 0x63: "BF"}),
    "I2K": ("80-9F A2-A4 A7 A9-AC AE AF F0 F2-F4 F7 F9-FF",
            {0x53: "A5", 0x49: "A6", 0x4A: "A8", 0x2D: "AD", 0x73: "F5", 0x69: "F6",
             0x6A: "F8"}),
    "W2I": ("85-89 95 99 A5 AB AC B0 B1 B4-B6 BB",
            {0x2C: "82", 0x40: "84", 0x3C: "8B", 0x27: "91 92", 0x22: "93 94",
             0x2D: "96 97", 0xA0: "98", 0x3E: "9B", 0x24: "A4", 0x7C: "A6", 0x63: "A9",
             0x72: "AE", 0x2E: "B7"}),
    "I2W": ("80-9F", {}),
}


def parse_bytes(text):
    out = []
    for item in text.split():
        if "-" in item:
            lo, hi = item.split("-")
            out.extend(range(int(lo, 16), int(hi, 16) + 1))
        else:
            out.append(int(item, 16))
    return out


def char_of(page, byte):
    try:
        return bytes([byte]).decode(CODECS[page])
    except UnicodeDecodeError:
        return None


def byte_of(page, char):
    try:
        return char.encode(CODECS[page])[0]
    except UnicodeEncodeError:
        return None


def conversion_table(code):
    src, dst = code[0], code[2]
    question, others = SUBSTITUTES[code]
    subst = {b: 0x3F for b in parse_bytes(question)}
    for value, sources in others.items():
        for b in parse_bytes(sources):
            if b in subst:
                sys.exit(f"{code}: byte {b:02X} listed twice")
            subst[b] = value
    table = []
    for b in range(0x80, 0x100):
        ch = char_of(src, b)
        mapped = byte_of(dst, ch) if ch is not None else None
        if b in subst:
            if mapped is not None and not (src == "W" and b == 0x98):
                sys.exit(f"{code}: byte {b:02X} has a counterpart {mapped:02X} but is listed")
            table.append(subst[b])
        else:
            if mapped is None:
                sys.exit(f"{code}: byte {b:02X} has no counterpart and no substitute")
            table.append(mapped)
    return table


def unicode_table(page):
    # Bytes without a character (WINDOWS 0x98) read as U+FFFD.
    return [ord(c) if (c := char_of(page, b)) is not None else 0xFFFD for b in range(0x80, 0x100)]


def rows(values, fmt):
    # One row per high nibble, 16 values each.
    lines = []
    for row in range(8):
        chunk = values[row * 16:(row + 1) * 16]
        lines.append("        " + ", ".join(fmt(v) for v in chunk) + f",  // {0x8 + row:X}_")
    return "\n".join(lines)


def conversion_source():
    out = []
    out.append("// code_page_tables.cpp: generated by tools/gen_tables.py; do not edit.")
    out.append("// 12 conversion tables, 128 entries each (bytes 0x80..0xFF).")
    out.append('#include "engine/code_page_tables.h"')
    out.append("")
    out.append("// clang-format off")
    out.append("namespace cyrvert::detail {")
    out.append("")
    out.append("// Entry i is the output byte for input byte 0x80 + i; indexed by Conversion.")
    out.append("const std::array<ConversionTable, 12> kConversionTables = {{")
    for code in CONVERSIONS:
        src, dst = code[0], code[2]
        out.append(f"    // {code}: {PAGE_NAMES[src]} -> {PAGE_NAMES[dst]}.")
        out.append("    {{")
        out.append(rows(conversion_table(code), lambda v: f"0x{v:02X}"))
        out.append("    }},")
    out.append("}};")
    out.append("")
    out.append("// clang-format on")
    out.append("")
    out.append("}  // namespace cyrvert::detail")
    return "\n".join(out) + "\n"


def unicode_header():
    out = []
    out.append("// unicode_tables.h: generated by tools/gen_tables.py; do not edit.")
    out.append("// 4 byte -> Unicode tables, 128 entries each (bytes 0x80..0xFF); U+FFFD marks a byte")
    out.append("// the page leaves without a character (cp-1251 0x98).")
    out.append("#pragma once")
    out.append("")
    out.append("#include <array>")
    out.append("#include <cstdint>")
    out.append("")
    out.append("// clang-format off")
    out.append("namespace cyrvert::detail {")
    out.append("")
    out.append("// Entry i is the Unicode code point of byte 0x80 + i; indexed by CodePage.")
    out.append("inline constexpr std::array<std::array<std::uint16_t, 128>, 4> kUnicodeTables = {{")
    for page in PAGES:
        out.append(f"    // {PAGE_NAMES[page]}.")
        out.append("    {{")
        out.append(rows(unicode_table(page), lambda v: f"0x{v:04X}"))
        out.append("    }},")
    out.append("}};")
    out.append("")
    out.append("}  // namespace cyrvert::detail")
    out.append("// clang-format on")
    return "\n".join(out) + "\n"


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    with open(os.path.join(root, "engine", "code_page_tables.cpp"), "w") as f:
        f.write(conversion_source())
    with open(os.path.join(root, "engine", "unicode_tables.h"), "w") as f:
        f.write(unicode_header())


if __name__ == "__main__":
    main()
