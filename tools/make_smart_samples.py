#!/usr/bin/env python3
"""Writes the smart-repair samples of tests/data/smart/ from tools/sample-ru.txt and a few
short texts in other languages, with Python's own codecs.

File names: <group>-<what was done>-<answer>.txt, the answer being the repair's step codes
joined by "_", "partly" for a text repaired by stretches, "none" for a text that is not
damaged, or "cannot" for one that cannot be repaired. Every repaired sample gives back
<group>-none.txt exactly where there is one, else win-none.txt (the cp-1251 original).

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


def read_cp1252(data):
    """cp-1252 as web browsers read it: its unused bytes as the C1 controls of their value."""
    return "".join(chr(b) if b in (0x81, 0x8D, 0x8F, 0x90, 0x9D) else bytes([b]).decode("cp1252")
                   for b in data)


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
    write("short-utf8-none.txt", "Привет, мир".encode("utf-8"))
    write("short-koi-cannot.txt", convert("Привет, мир".encode("cp1251"), "W2K"))
    # UTF-8 read as cp-1252 or latin-1 and saved as UTF-8 again: the web's mojibake.
    write("web-cp1252-U2C_U8.txt", read_cp1252(utf8).encode("utf-8"))
    write("web-latin1-U2L_U8.txt", utf8.decode("latin-1").encode("utf-8"))
    # Capitals: left alone, and repaired with their case.
    caps = "\n".join(text.upper().splitlines()[:3]) + "\n"
    caps_win = caps.encode("cp1251")
    write("capitals-none.txt", caps_win)
    write("capitals-w2k-K2W.txt", convert(caps_win, "W2K"))
    write("capitals-w2i-I2W.txt", convert(caps_win, "W2I"))
    write("capitals-utf8-U8.txt", caps.encode("utf-8"))
    # Shifted between cp-1251 and ISO-8859-5, capitals read as small letters by one chain and
    # as capitals by another: the sentences (no sentence opens with a small letter) tell.
    write("capitals-i2w-W2I.txt", convert(caps_win, "I2W"))
    # Twice through UTF-8 by a decoder that loses 0x98, the second byte of И.
    write("capitals-twice-fffd-U2W_U8.txt", caps.encode("utf-8").decode("cp1251", "replace")
          .encode("utf-8"))
    # A heading in capitals among ASCII names in capitals, shifted the same way: the ASCII tells.
    heading = "ФАЙЛ CONFIG.SYS И КАТАЛОГ C:\\DOS ЗАГРУЖАЮТСЯ ДО ЗАПУСКА ОБОЛОЧКИ\n"
    write("heading-none.txt", heading.encode("cp1251"))
    write("heading-i2w-W2I.txt", convert(heading.encode("cp1251"), "I2W"))
    # A line in capitals with Ё and no other sign of its case, shifted the same way: only the
    # capitals read Ё as a letter.
    yo_line = ("ОТЧЁТ О ПРОДЕЛАННОЙ РАБОТЕ ЗА ПРОШЕДШИЙ МЕСЯЦ ПО ВСЕМ НАПРАВЛЕНИЯМ\n"
               "СПИСОК ЗАДАЧ НА СЛЕДУЮЩИЙ МЕСЯЦ С УКАЗАНИЕМ СРОКОВ И ОТВЕТСТВЕННЫХ\n"
               "ПРЕДЛОЖЕНИЯ ПО УЛУЧШЕНИЮ РАБОТЫ ОТДЕЛА И ПЛАН ЗАКУПОК НА КВАРТАЛ\n")
    write("yoline-none.txt", yo_line.encode("cp1251"))
    write("yoline-i2w-W2I.txt", convert(yo_line.encode("cp1251"), "I2W"))
    # A line in capitals without ы or э, in UTF-8: ь marks it Russian, not Bulgarian.
    line = "СОХРАНИТЬ НАСТРОЙКИ ПО УМОЛЧАНИЮ ДЛЯ ВСЕХ ПАНЕЛЕЙ И ВКЛАДОК, А ЗАТЕМ ПЕРЕЗАПУСТИТЬ ПРОГРАММУ"
    write("capsline-none.txt", line.encode("cp1251"))
    write("capsline-utf8-U8.txt", line.encode("utf-8"))
    # A 25-character subject line.
    subject = "Счета за услуги в октябре"
    write("subject-none.txt", subject.encode("cp1251"))
    write("subject-koi-K2W.txt", convert(subject.encode("cp1251"), "W2K"))
    write("subject-twice-U2W_U8.txt", read_win(subject.encode("utf-8")).encode("utf-8"))
    # A few Russian words in HTML.
    html = ('<div class="news"><h2><a href="/news/2026/12/07/item.html?id=1542&amp;ref=main">'
            'Новости</a></h2>\n<p class="lead">Открыт новый мост через реку</p>\n'
            '<span class="date">2026-12-07</span> <a href="/tags/city">город</a>\n</div>\n')
    write("html-none.txt", html.encode("cp1251"))
    write("html-koi-K2W.txt", convert(html.encode("cp1251"), "W2K"))
    write("html-cp1252-U2C_U8.txt", read_cp1252(html.encode("utf-8")).encode("utf-8"))
    # A mail whose quoted reply went through KOI8-R: only that part is repaired.
    head = ("From: ivan@example.org\nTo: olga@example.org\nSubject: Re: plan\n"
            "Content-Type: text/plain; charset=windows-1251\n\n")
    lines = text.splitlines(keepends=True)
    own, quoted = "".join(lines[:6]), "".join("> " + l for l in lines[6:14])
    write("mail-none.txt", (head + own + quoted).encode("cp1251"))
    write("mail-half-partly.txt", (head + own).encode("cp1251") +
          convert(quoted.encode("cp1251"), "W2K"))
    # Damage that comes and goes: every other paragraph went through KOI8-R.
    paragraphs = [p + "\n\n" for p in text.split("\n\n")[:6]]
    write("glued-none.txt", "".join(paragraphs).encode("cp1251"))
    write("glued-alternating-partly.txt", b"".join(
        convert(p.encode("cp1251"), "W2K") if i % 2 else p.encode("cp1251")
        for i, p in enumerate(paragraphs)))
    # Short Bulgarian UTF-8: not Russian, so never converted.
    write("bulgarian-short-utf8-none.txt", OTHERS["bulgarian"][:70].encode("utf-8"))


if __name__ == "__main__":
    main()
