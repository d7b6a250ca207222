#!/usr/bin/env python3
"""Writes the damaged sample texts of tests/data/ from tools/sample-ru.txt (UTF-8), using
Python's own codecs, so the samples do not depend on the program's tables.

File names: <target>-<what was done>-<history the decoder should report, codes joined by
"_">.txt; "none" when nothing should be found. sample-w2k.txt is the bundled demo.

    python3 tools/make_samples.py
"""
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
DATA = ROOT / "tests" / "data"
TEXT = (ROOT / "tools" / "sample-ru.txt").read_text(encoding="utf-8")
CODEC = {"W": "cp1251", "D": "cp866", "K": "koi8_r", "I": "iso8859_5"}


def convert(data, code):
    """Applies one conversion (e.g. "W2K") the way a wrong table would: read the bytes in the
    source page, write them in the target page."""
    return data.decode(CODEC[code[0]]).encode(CODEC[code[2]])


def write(name, data):
    (DATA / name).write_bytes(data)


def main():
    DATA.mkdir(parents=True, exist_ok=True)
    win = TEXT.encode("cp1251")
    write("win-original.txt", win)
    write("sample-w2k.txt", convert(win, "W2K"))
    write("win-w2k-K2W.txt", convert(win, "W2K"))
    # Read as cp-1251, KOI8-R ё and Ё are not letters; leave them out of the twice-damaged text.
    plain = TEXT.replace("ё", "е").replace("Ё", "Е").encode("cp1251")
    write("win-w2k-w2k-K2W_K2W.txt", convert(convert(plain, "W2K"), "W2K"))
    write("win-dos-D2W.txt", TEXT.encode("cp866"))
    write("win-iso-I2W.txt", TEXT.encode("iso8859_5"))
    write("koi-win-W2K.txt", win)
    write("dos-koi-K2D.txt", TEXT.encode("koi8_r"))
    write("win-english-none.txt", b"Plain English text with no Cyrillic at all.\r\n" * 20)


if __name__ == "__main__":
    main()
