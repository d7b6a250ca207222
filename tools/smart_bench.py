#!/usr/bin/env python3
"""Development bench for `cyrvert-cli repair`: builds damaged samples of each kind from
Russian (and other) texts shipped by Debian packages that neither train the model nor
belong to the evaluation set, runs the repair on them and prints the share done right per
class, with `cyrvert-cli decode --depth 3 --sense 3` beside it for the 8-bit chains.

    apt-get install aptitude-doc-ru doublecmd-help-ru doublecmd-help-uk \
        developers-reference-de developers-reference-fr instead-doc-ru poppler-utils \
        libreoffice-help-ru
    python3 tools/smart_bench.py build/dev/cli/cyrvert-cli [--per-class N] [--seed S] [--keep DIR]
    python3 tools/smart_bench.py build/dev/cli/cyrvert-cli --reuse DIR   # score kept samples again

`--russian guide` takes the Russian from instead-doc-ru instead (a programming guide, prose
and code, read with pdftotext from poppler-utils), `--russian office` from libreoffice-help-ru
(an office suite's help): checks that a change holds beyond one source. `--russian devref` takes developers-reference-ru, prose, but the model of Russian
was trained on it, so it tells nothing of the model's fit.

Classes: undamaged and UTF-8-damaged text; capitals (undamaged, 8-bit and UTF-8 damage);
single-line snippets of 20-60 and 60-150 characters; UTF-8 read as cp-1252 or latin-1 (alone
and after W2K); Russian words in HTML, mail headers, logs, CSV and man pages (ASCII must stay
byte for byte); a second half damaged; short Bulgarian and Ukrainian UTF-8; 8-bit chains of
depth 1-3; other languages. The capitals classes also show the share right of the samples of
40 Russian letters or more that are not merely swapped in case (a text as it stands in small
letters: no repair), the ones a repair can tell.
"""
import argparse
import glob
import gettext
import gzip
import html
import json
import os
import random
import re
import subprocess
import sys
import tempfile

PAGES = {"W": "cp1251", "D": "cp866", "K": "koi8_r", "I": "iso8859_5"}
CONVERSIONS = ["D2K", "K2D", "D2W", "W2D", "W2K", "K2W", "D2I", "I2D", "K2I", "I2K", "W2I", "I2W"]
RUSSIAN = set("абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ")


def strip_html(path):
    text = open(path, encoding="utf-8", errors="replace").read()
    text = re.sub(r"(?is)<(script|style).*?</\1>", "", text)
    text = html.unescape(re.sub(r"<[^>]+>", "", text))
    return re.sub(r"\n\s*\n+", "\n\n", text)


def russian_paragraphs(text):
    """The paragraphs of `text` whose letters are mostly Russian (a translation can be partial)."""
    keep = []
    for para in re.split(r"\n\s*\n", text):
        letters = [c for c in para if c.isalpha()]
        if letters and sum(c in RUSSIAN for c in letters) * 3 >= len(letters) * 2:
            keep.append(para)
    return "\n\n".join(keep)


def mo_text(pattern, odd=None):
    parts = []
    paths = sorted(glob.glob(pattern))
    for path in paths if odd is None else paths[odd::2]:
        with open(path, "rb") as f:
            try:
                catalog = gettext.GNUTranslations(f)._catalog
            except Exception:
                continue
        parts += [v for k, v in catalog.items() if k and isinstance(v, str)]
    return "\n".join(parts)


SIZE = (300, 4000)


def chunks(text, rng, count, low=None, high=None):
    """`count` pieces of `text` cut at line ends, `low`..`high` characters long."""
    low, high = low or SIZE[0], high or SIZE[1]
    lines = text.splitlines(keepends=True)
    out = []
    for _ in range(count * 20):
        if len(out) == count:
            break
        start = rng.randrange(len(lines))
        size = rng.randint(low, high)
        piece = ""
        for line in lines[start:]:
            if len(piece) + len(line) > size:
                break
            piece += line
        if len(piece) >= low // 2 and piece.strip():
            out.append(piece)
    return out


def win_bytes(text):
    return text.encode("cp1251", "replace")


def read_page(data, page):
    if page == "W":
        # cp-1251 0x98 has no character; keep it as U+0098.
        return "".join("\u0098" if b == 0x98 else bytes([b]).decode("cp1251") for b in data)
    return data.decode(PAGES[page], "replace")


def convert(data, code):
    return read_page(data, code[0]).encode(PAGES[code[2]], "replace")


def restores_letters(w, chain):
    """Whether undoing `chain` by the inverse conversions gives back every letter of `w`."""
    d = w
    for code in chain:
        d = convert(d, code)
    for code in reversed(chain):
        d = convert(d, code[::-1])
    return letters_match(w, d)


def random_chain(rng, depth, w):
    for _ in range(1000):
        chain = [rng.choice(CONVERSIONS) for _ in range(depth)]
        if all(chain[i][::-1] != chain[i + 1] for i in range(depth - 1)) and \
                restores_letters(w, chain):
            return chain
    return None


def damage(cli, data, chain):
    """`data` through the program's own conversion tables, one after another."""
    for code in chain:
        data = subprocess.run([cli, "translate", code], input=data, capture_output=True,
                              check=True).stdout
    return data


def letters_match(original, repaired):
    """Every Russian letter of the cp-1251 original is back in place."""
    if len(original) != len(repaired):
        return False
    for a, b in zip(original, repaired):
        if 0xC0 <= a or a in (0xA8, 0xB8):
            if a != b:
                return False
    return True


def russian_letters(data):
    return sum(b >= 0xC0 or b in (0xA8, 0xB8) for b in data)


def case_swapped(original, damaged):
    """Whether `damaged` is the cp-1251 `original` with its Russian letters in small letters:
    a two-step case swap of a text as it stands, which is no repair."""
    return letters_match(original.decode("cp1251").lower().encode("cp1251"), damaged)


def run(cli, args, files):
    """Runs repair on many files; returns {file: (record, output bytes)}."""
    with tempfile.TemporaryDirectory() as out_dir:
        proc = subprocess.run([cli, "repair", "--json", "--output-dir", out_dir, *args, *files],
                              capture_output=True)
        results = {}
        for line in proc.stdout.decode().splitlines():
            record = json.loads(line)
            output = b""
            if record.get("output"):
                with open(record["output"], "rb") as f:
                    output = f.read()
            results[record["file"]] = (record, output)
        return results


def first_engine(cli, path):
    proc = subprocess.run([cli, "decode", "--depth", "3", "--sense", "3", path],
                          capture_output=True)
    return proc.stdout if proc.returncode == 0 else None


def cp1252_text(data):
    """`data` read as cp-1252, its unused bytes as the C1 controls of their value."""
    return "".join(bytes([b]).decode("cp1252") if b not in (0x81, 0x8D, 0x8F, 0x90, 0x9D)
                   else chr(b) for b in data)


def half_damaged(cli, t, rng):
    """The first half of `t` right, the second damaged by a random chain; None if unusable."""
    lines = t.splitlines(keepends=True)
    if len(lines) < 4:
        return None
    cut = len(lines) // 2
    first, second = win_bytes("".join(lines[:cut])), win_bytes("".join(lines[cut:]))
    chain = random_chain(rng, rng.choice((1, 1, 2)), second)
    if chain is None:
        return None
    return first + damage(cli, second, chain), first + second


LATIN_FRAMES = [
    ("html", '<div class="item"><a href="/catalog/item?id={n}&amp;ref=main">{ru}</a>'
             '<span class="price">{n} RUB</span></div>\n'),
    ("mail", "From: user{n}@example.org\nTo: team@example.org\nSubject: {ru}\n"
             "Date: Mon, 7 Dec 2026 10:{n:02d}:00 +0000\nContent-Type: text/plain\n\n"),
    ("log", "2026-12-07T10:{n:02d}:31Z INFO worker-{n} request_id=ab{n}cd status=200 "
            "path=/api/v1/items msg=\"{ru}\"\n"),
    ("csv", "{n},item-{n},{ru},2026-12-07,OK,{n}.50\n"),
    ("man", ".TH ITEM 1\n.SH NAME\nitem{n} \\- {ru}\n.SH OPTIONS\n.TP\n\\fB\\-v\\fR\n"),
]


def latin_mixed(t, rng):
    """Russian phrases from `t` in Latin markup, about 10-30% of the letters Russian."""
    words = t.split()
    out = ""
    for n in range(rng.randint(3, 8)):
        start = rng.randrange(max(1, len(words) - 6))
        ru = " ".join(words[start:start + rng.randint(1, 4)])
        kind, frame = rng.choice(LATIN_FRAMES)
        out += frame.format(n=n + 10, ru=ru)
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--per-class", type=int, default=200)
    parser.add_argument("--seed", type=int, default=14)
    parser.add_argument("--keep", help="keep the samples in this folder")
    parser.add_argument("--verbose", action="store_true", help="list the misses")
    parser.add_argument("--only", help="run only the classes whose name holds this")
    parser.add_argument("--size", default="300-4000", help="sample length range in characters")
    parser.add_argument("--reuse", help="score the samples an earlier run kept in this folder")
    parser.add_argument("--russian", choices=("manuals", "guide", "office", "devref"), default="manuals",
                        help="where the Russian comes from")
    options = parser.parse_args()
    if options.reuse:
        with open(os.path.join(options.reuse, "samples.json")) as f:
            kept = json.load(f)
        samples = {c: [(p, None if e is None else bytes.fromhex(e)) for p, e in items]
                   for c, items in kept["samples"].items()}
        return score(options, samples, kept["chains"])
    rng = random.Random(options.seed)
    global SIZE
    SIZE = tuple(int(v) for v in options.size.split("-"))
    n = options.per_class

    if options.russian == "guide":
        russian = russian_paragraphs("\n\n".join(subprocess.run(
            ["pdftotext", "-enc", "UTF-8", path, "-"], capture_output=True, text=True,
            check=True).stdout for path in sorted(glob.glob(
                "/usr/share/doc/instead/manual/pdf/ru/*.pdf"))))
    elif options.russian == "office":
        russian = russian_paragraphs("\n\n".join(strip_html(p) for p in sorted(glob.glob(
            "/usr/share/libreoffice/help/ru/text/**/*.html", recursive=True))))
    elif options.russian == "devref":
        russian = russian_paragraphs(gzip.open(
            "/usr/share/developers-reference/ru/developers-reference.txt.gz", "rt").read())
    else:
        russian = "\n".join(strip_html(p) for p in sorted(
            glob.glob("/usr/share/doc/aptitude/html/ru/*.html") +
            glob.glob("/usr/share/doublecmd/doc/ru/*.html")))
    russian = win_bytes(russian).decode("cp1251", "replace").replace("\ufffd", "?")
    others = {
        "English": open("/usr/share/common-licenses/GPL-3").read() +
        open("/usr/share/common-licenses/Apache-2.0").read(),
        "German": gzip.open("/usr/share/developers-reference/de/developers-reference.txt.gz",
                            "rt").read(),
        "French": gzip.open("/usr/share/developers-reference/fr/developers-reference.txt.gz",
                            "rt").read(),
        "Ukrainian": "\n".join(strip_html(p) for p in
                               sorted(glob.glob("/usr/share/doublecmd/doc/uk/*.html"))),
        # The catalogues the model of Bulgarian was not trained on (it took every other one).
        "Bulgarian": mo_text("/usr/share/locale/bg/LC_MESSAGES/*.mo", 1),
    }
    eight_bit = {"English": "cp1252", "German": "cp1252", "French": "cp1252",
                 "Ukrainian": "cp1251", "Bulgarian": "cp1251"}

    work = options.keep or tempfile.mkdtemp(prefix="smart_bench_")
    os.makedirs(work, exist_ok=True)
    samples = {}  # class -> list of (path, expected cp-1251 bytes or None for unchanged)
    chains = {}  # path -> the chain that damaged it

    def add(cls, index, data, expected):
        path = os.path.join(work, f"{cls.replace(' ', '_')}-{index:04d}.txt")
        with open(path, "wb") as f:
            f.write(data)
        samples.setdefault(cls, []).append((path, expected))

    texts = chunks(russian, rng, n)
    for i, t in enumerate(texts):
        w = win_bytes(t)
        add("undamaged cp-1251", i, w, None)
        u = t.encode("utf-8")
        add("UTF-8 read as cp-1251", i, u, w)
        add("UTF-8 read as KOI8-R", i, u.decode("koi8_r").encode("utf-8"), w)
        add("UTF-8 read as cp-866", i, u.decode("cp866").encode("utf-8"), w)
        add("double UTF-8", i, read_page(u, "W").encode("utf-8"), w)
        add("W2K then UTF-8", i, read_page(convert(w, "W2K"), "W").encode("utf-8"), w)
    # Capitals: undamaged, 8-bit damage and UTF-8 damage.
    for i, t in enumerate(chunks(russian, rng, n, 20, 400)):
        w = win_bytes(t.upper())
        add("capitals undamaged", i, w, None)
        add("capitals UTF-8", i, t.upper().encode("utf-8"), w)
        u = t.upper().encode("utf-8")
        mojibake = (u.decode("cp1251", "replace"), u.decode("koi8_r"), cp1252_text(u))[i % 3]
        add("capitals UTF-8 mojibake", i, mojibake.encode("utf-8"), w)
        chain = random_chain(rng, rng.choice((1, 2, 3)), w)
        if chain is not None:
            add("capitals 8-bit", i, damage(options.cli, w, chain), w)
            chains[samples["capitals 8-bit"][-1][0]] = chain
    # Snippets: one line, undamaged or damaged one way.
    for low, high in ((20, 60), (60, 150)):
        lines = [l.strip() for l in russian.splitlines()
                 if low <= len(l.strip()) <= high and sum(c in RUSSIAN for c in l) * 2 > len(l)]
        rng.shuffle(lines)
        for i, t in enumerate(lines[:n]):
            w = win_bytes(t)
            add(f"snippet {low}-{high} undamaged", i, w, None)
            kind = i % 4
            if kind == 0:
                d = t.encode("utf-8").decode("cp1251", "replace").encode("utf-8")
            elif kind == 1:
                d = read_page(t.encode("utf-8"), "W").encode("utf-8")
            else:
                chain = random_chain(rng, kind - 1, w)
                if chain is None:
                    continue
                d = damage(options.cli, w, chain)
            add(f"snippet {low}-{high} damaged", i, d, w)
    # The web's mojibake: UTF-8 read as cp-1252 or latin-1, alone or with an 8-bit step.
    for i, t in enumerate(chunks(russian, rng, n)):
        w = win_bytes(t)
        u = t.encode("utf-8")
        add("UTF-8 read as cp-1252", i, cp1252_text(u).encode("utf-8"), w)
        add("UTF-8 read as latin-1", i, u.decode("latin-1").encode("utf-8"), w)
        k = damage(options.cli, w, ["W2K"])
        add("W2K then cp-1252", i, cp1252_text(read_page(k, "W").encode("utf-8")).encode("utf-8"), w)
    # Russian among Latin markup, damaged; the ASCII must stay as it is.
    for i, t in enumerate(chunks(russian, rng, n)):
        text = latin_mixed(t, rng)
        w = win_bytes(text)
        kind = i % 3
        if kind == 0:
            d = damage(options.cli, w, ["W2K"])
        elif kind == 1:
            d = text.encode("utf-8").decode("cp1251", "replace").encode("utf-8")
        else:
            d = cp1252_text(text.encode("utf-8")).encode("utf-8")
        add("Russian in Latin markup", i, d, w)
    # First half right, second half damaged.
    for i, t in enumerate(chunks(russian, rng, n)):
        pair = half_damaged(options.cli, t, rng)
        if pair is not None:
            add("second half damaged", i, pair[0], pair[1])
    # Damage that comes and goes: runs of whole lines, 300-800 characters each (paragraphs),
    # every other one damaged by one chain.
    for i, t in enumerate(chunks(russian, rng, n, 2000, 5000)):
        runs, run, size = [], "", rng.randint(300, 800)
        for line in t.splitlines(keepends=True):
            run += line
            if len(run) >= size:
                runs.append(run)
                run, size = "", rng.randint(300, 800)
        if run:
            runs.append(run)
        if len(runs) < 3:
            continue
        chain = random_chain(rng, rng.choice((1, 1, 2)), win_bytes(t))
        if chain is None:
            continue
        data = b"".join(damage(options.cli, win_bytes(r), chain) if k % 2 else win_bytes(r)
                        for k, r in enumerate(runs))
        add("damage comes and goes", i, data, win_bytes(t))
    # Short foreign UTF-8.
    for lang in ("Bulgarian", "Ukrainian"):
        for i, t in enumerate(chunks(others[lang], rng, n, 40, 130)):
            if len(t.encode("utf-8")) >= 80:
                add(f"{lang} UTF-8 80-250 bytes", i, t.encode("utf-8"), None)
    for depth in (1, 2, 3):
        for i, t in enumerate(chunks(russian, rng, n)):
            w = win_bytes(t)
            chain = random_chain(rng, depth, w)
            if chain is None:
                continue
            d = damage(options.cli, w, chain)
            cls = f"8-bit depth {depth}"
            add(cls, i, d, w)
            chains[samples[cls][-1][0]] = chain
    for lang, text in others.items():
        for i, t in enumerate(chunks(text, rng, n)):
            add(f"{lang} UTF-8", i, t.encode("utf-8"), None)
            add(f"{lang} {eight_bit[lang]}", i, t.encode(eight_bit[lang], "replace"), None)

    with open(os.path.join(work, "samples.json"), "w") as f:
        json.dump({"samples": {c: [(p, None if e is None else e.hex()) for p, e in items]
                               for c, items in samples.items()},
                   "chains": chains}, f)
    print(f"samples in {work}")
    return score(options, samples, chains)


def score(options, samples, chains):
    print(f"{'class':32} {'n':>5} {'smart':>7} {'first engine':>13}")
    for cls, items in samples.items():
        if options.only and options.only not in cls:
            continue
        files = [p for p, _ in items]
        results = run(options.cli, [], files)
        good = 0
        first_good = 0
        verdicts = {}
        # Capitals of 40 letters or more, not merely swapped in case: (samples, right).
        plain = [0, 0]
        for path, expected in items:
            record, output = results[path]
            verdicts[record["verdict"]] = verdicts.get(record["verdict"], 0) + 1
            original = open(path, "rb").read()
            if expected is None:
                ok = output == original
            else:
                ok = letters_match(expected, output)
                if cls == "Russian in Latin markup":  # and the ASCII byte for byte
                    ok = ok and all(a == b for a, b in zip(expected, output) if a < 0x80)
            if not ok and options.verbose:
                print(f"  miss {path} {chains.get(path, '')} {record['verdict']} {record['steps']}")
            if (cls.startswith("capitals") and expected is not None and
                    russian_letters(expected) >= 40 and not case_swapped(expected, original)):
                plain[0] += 1
                plain[1] += ok
            good += ok
            if cls.startswith("8-bit"):
                decoded = first_engine(options.cli, path)
                first_good += decoded is not None and letters_match(expected, decoded)
        first = f"{100 * first_good / len(items):12.1f}%" if cls.startswith("8-bit") else ""
        print(f"{cls:32} {len(items):5d} {100 * good / len(items):6.1f}% {first:>13}  {verdicts}")
        if plain[0]:
            print(f"{'  40+ letters, not a case swap':32} {plain[0]:5d} "
                  f"{100 * plain[1] / plain[0]:6.1f}%")
    return 0


if __name__ == "__main__":
    sys.exit(main())
