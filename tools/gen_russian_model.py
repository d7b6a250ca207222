#!/usr/bin/env python3
"""Generates engine/russian_model.cpp: a letter-bigram model of Russian over 38 character
classes, trained on the Russian developers' reference shipped by Debian; and, with
--language bulgarian or ukrainian, engine/bulgarian_model.cpp or ukrainian_model.cpp, the same
model of that language, trained on Debian's message catalogues in it (for Bulgarian every
other catalogue, the rest left to tools/smart_bench.py), which tells a short text in it from
Russian.

Classes (the engine's SmartCharClass must agree):
  0 blank (space, tab, line ends, no-break space)
  1..32 the Russian letters a..ya (case folded), 33 yo
  34 Latin letter, 35 digit, 36 punctuation, 37 anything else.

Entry [a][b] is -log2 P(b | a) in hundredths of a bit, add-half smoothed.

    python3 tools/gen_russian_model.py > engine/russian_model.cpp
    python3 tools/gen_russian_model.py --check engine/russian_model.cpp
    python3 tools/gen_russian_model.py --language bulgarian > engine/bulgarian_model.cpp
    python3 tools/gen_russian_model.py --language ukrainian > engine/ukrainian_model.cpp

The training text is /usr/share/developers-reference/ru/developers-reference.txt.gz from the
Debian package developers-reference-ru (apt-get install developers-reference-ru).
"""
import gettext
import glob
import gzip
import math
import subprocess
import sys

PACKAGE = "developers-reference-ru"
SOURCE = "/usr/share/developers-reference/ru/developers-reference.txt.gz"
LICENCE = "GPL-2+ (see /usr/share/doc/developers-reference-ru/copyright)"


def read_russian():
    with gzip.open(SOURCE, "rt", encoding="utf-8") as f:
        return f.read()


def read_catalogues(paths):
    """The translations of the message catalogues `paths`, one per line."""
    parts = []
    for path in paths:
        with open(path, "rb") as f:
            try:
                catalogue = gettext.GNUTranslations(f)._catalog
            except Exception:  # a catalogue Python cannot read adds nothing
                continue
        parts += [v for k, v in sorted(catalogue.items(), key=str) if k and isinstance(v, str)]
    return "\n".join(parts)


def catalogues(language):
    return sorted(glob.glob(f"/usr/share/locale/{language}/LC_MESSAGES/*.mo"))


# Per language: where the text comes from, how to read it, the table's name and file.
LANGUAGES = {
    "russian": (f"{SOURCE},\n// from the Debian package {PACKAGE} {{version}};\n"
                f"// licence of the text: {LICENCE}.", read_russian, "Russian", "russian_model"),
    "bulgarian": ("every other /usr/share/locale/bg/LC_MESSAGES/*.mo on the machine that made it\n"
                  "// (the licences of the translated packages).",
                  lambda: read_catalogues(catalogues("bg")[0::2]), "Bulgarian", "bulgarian_model"),
    "ukrainian": ("/usr/share/locale/uk/LC_MESSAGES/*.mo on the machine that made it\n"
                  "// (the licences of the translated packages).",
                  lambda: read_catalogues(catalogues("uk")), "Ukrainian", "ukrainian_model"),
}
CLASSES = 38
BLANK, LATIN, DIGIT, PUNCT, OTHER = 0, 34, 35, 36, 37
TYPOGRAPHIC = {0xAB, 0xBB, 0xB7, 0x2116}


def char_class(cp):
    if cp in (0x20, 0x09, 0x0A, 0x0D, 0x0C, 0x0B, 0xA0):
        return BLANK
    if 0x430 <= cp <= 0x44F:
        return 1 + cp - 0x430
    if 0x410 <= cp <= 0x42F:
        return 1 + cp - 0x410
    if cp in (0x401, 0x451):
        return 33
    if cp < 0x80:
        c = chr(cp)
        if c.isascii() and c.isalpha():
            return LATIN
        if c.isdigit():
            return DIGIT
        if 0x21 <= cp <= 0x7E:
            return PUNCT
        return OTHER
    if (0xC0 <= cp <= 0x24F) and cp not in (0xD7, 0xF7):
        return LATIN
    if 0x2010 <= cp <= 0x2027 or cp in TYPOGRAPHIC:
        return PUNCT
    return OTHER


def package_version():
    try:
        return subprocess.run(["dpkg-query", "-W", "-f=${Version}", PACKAGE],
                              capture_output=True, text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


def train(text):
    counts = [[0] * CLASSES for _ in range(CLASSES)]
    prev = BLANK
    for ch in text:
        c = char_class(ord(ch))
        counts[prev][c] += 1
        prev = c
    costs = []
    for row in counts:
        total = sum(row) + 0.5 * CLASSES
        costs.append([min(2000, round(-100 * math.log2((n + 0.5) / total))) for n in row])
    # The mean cost of a bigram touching a Russian letter: the engine's yardstick for
    # "reads as Russian".
    letter_cost = letter_n = 0
    for a in range(CLASSES):
        for b in range(CLASSES):
            if 1 <= a <= 33 or 1 <= b <= 33:
                letter_cost += counts[a][b] * costs[a][b]
                letter_n += counts[a][b]
    return costs, round(letter_cost / max(1, letter_n))


def render(costs, letter_cost, version, language="russian"):
    source, _, name, stem = LANGUAGES[language]
    header = "russian_model" if language == "russian" else "neighbour_models"
    out = [
        f"// {stem}.cpp: generated by tools/gen_russian_model.py; do not edit.",
        f"// Trained on {source.format(version=version)}",
        "// Letter-bigram costs, -log2 P(next | previous) in centibits, 38 x 38 classes.",
        f'#include "engine/{header}.h"',
        "",
        "// clang-format off",
        "namespace cyrvert::detail {",
        "",
        f"const int k{name}LetterBigramCost = {letter_cost};",
        "",
        "const std::array<std::array<std::uint16_t, kSmartClassCount>, kSmartClassCount> "
        f"k{name}BigramCost = {{{{",
    ]
    for a, row in enumerate(costs):
        cells = ", ".join(f"{v:4d}" for v in row)
        out.append(f"    {{{{{cells}}}}},  // {a}")
    out += ["}};", "", "}  // namespace cyrvert::detail", ""]
    return "\n".join(out)


def main():
    args = sys.argv[1:]
    language = "russian"
    if args[:1] == ["--language"] and len(args) >= 2 and args[1] in LANGUAGES:
        language, args = args[1], args[2:]
    costs, letter_cost = train(LANGUAGES[language][1]())
    generated = render(costs, letter_cost, package_version(), language)
    if len(args) == 2 and args[0] == "--check":
        with open(args[1], encoding="utf-8") as f:
            if f.read() != generated:
                print(f"{args[1]} differs from what the generator writes", file=sys.stderr)
                return 1
        return 0
    sys.stdout.write(generated)
    return 0


if __name__ == "__main__":
    sys.exit(main())
