#!/usr/bin/env python3
"""Writes the smart-repair samples of tests/data/smart/ from tools/sample-ru.txt and a few
short texts in other languages, with Python's own codecs.

File names: <what was done>-<answer>.txt, the answer being the repair's step codes joined
by "_", "none" for a text that is not damaged, or "cannot" for one that cannot be repaired.
Every repaired sample gives back win-none.txt (the cp-1251 original) exactly.

    python3 tools/make_smart_samples.py
"""
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent.parent
DATA = ROOT / "tests" / "data" / "smart"
TEXT = (ROOT / "tools" / "sample-ru.txt").read_text(encoding="utf-8")
CODEC = {"W": "cp1251", "D": "cp866", "K": "koi8_r", "I": "iso8859_5"}

OTHERS = {
    "english": "The river was low that autumn, and the old ferry stood idle by the pier. "
               "Every morning the fishermen walked past it to their boats, talking about "
               "the weather and the prices at the market, and every evening they came back "
               "tired, with nets full of weed and a few small fish. Nobody remembered when "
               "the ferry had last crossed to the other bank.\n" * 2,
    "german": "Im Herbst war der Fluss niedrig, und die alte Fähre lag still am Steg. "
              "Jeden Morgen gingen die Fischer an ihr vorbei zu ihren Booten und sprachen "
              "über das Wetter und die Preise auf dem Markt. Abends kamen sie müde zurück, "
              "mit Netzen voller Algen und ein paar kleinen Fischen. Niemand wußte mehr, "
              "wann die Fähre zuletzt übergesetzt hatte.\n" * 2,
    "french": "Cet automne-là, la rivière était basse et le vieux bac restait à quai. "
              "Chaque matin, les pêcheurs passaient devant lui pour rejoindre leurs bateaux "
              "en parlant du temps et des prix du marché ; chaque soir ils rentraient "
              "fatigués, les filets pleins d'herbes et de quelques petits poissons. Personne "
              "ne se souvenait de la dernière traversée.\n" * 2,
    "ukrainian": "Тієї осені річка обміліла, і старий пором стояв без діла біля причалу. "
                 "Щоранку рибалки проходили повз нього до своїх човнів, говорячи про погоду "
                 "та ціни на ринку, а щовечора поверталися втомлені, з сітками, повними "
                 "водоростей і кількох дрібних рибин. Ніхто вже не пам'ятав, коли пором "
                 "востаннє перепливав на інший берег.\n" * 2,
    "bulgarian": "Онази есен реката беше плитка и старият сал стоеше без работа до кея. "
                 "Всяка сутрин рибарите минаваха покрай него към лодките си и говореха за "
                 "времето и за цените на пазара, а всяка вечер се връщаха уморени, с мрежи, "
                 "пълни с водорасли и няколко дребни рибки. Никой вече не помнеше кога "
                 "салът за последен път е прекосил реката.\n" * 2,
}


def read_win(data):
    """cp-1251 as a byte-preserving reader takes it: 0x98, which has no character, as U+0098."""
    return "".join("\u0098" if b == 0x98 else bytes([b]).decode("cp1251") for b in data)


def convert(data, code):
    return data.decode(CODEC[code[0]]).encode(CODEC[code[2]])


def main():
    DATA.mkdir(parents=True, exist_ok=True)
    # ё reads as no letter after some wrong readings; keep the text to the other letters.
    text = TEXT.replace("ё", "е").replace("Ё", "Е")
    win = text.encode("cp1251")
    utf8 = text.encode("utf-8")

    def write(name, data):
        (DATA / name).write_bytes(data)

    write("win-none.txt", win)
    write("utf8-U8.txt", utf8)
    write("utf8-as-koi-U2K_U8.txt", utf8.decode("koi8_r").encode("utf-8"))
    write("utf8-as-dos-U2D_U8.txt", utf8.decode("cp866").encode("utf-8"))
    write("utf8-twice-U2W_U8.txt", read_win(utf8).encode("utf-8"))
    # Twice, by a decoder that turns cp-1251's 0x98 (the second byte of И) into U+FFFD.
    write("utf8-twice-fffd-U2W_U8.txt", utf8.decode("cp1251", "replace").encode("utf-8"))
    write("w2k-utf8-U2W_K2W.txt", read_win(convert(win, "W2K")).encode("utf-8"))
    write("w2k-K2W.txt", convert(win, "W2K"))
    write("w2i-I2W.txt", convert(win, "W2I"))
    write("w2k-w2i-I2W_K2W.txt", convert(convert(win, "W2K"), "W2I"))
    write("w2k-w2k-w2i-I2W_K2W_K2W.txt", convert(convert(convert(win, "W2K"), "W2K"), "W2I"))
    for language, sample in OTHERS.items():
        write(f"{language}-utf8-none.txt", sample.encode("utf-8"))
        page = "cp1251" if language in ("ukrainian", "bulgarian") else "cp1252"
        write(f"{language}-{page}-none.txt", sample.encode(page))
    write("short-utf8-cannot.txt", "Привет, мир".encode("utf-8"))


if __name__ == "__main__":
    main()
