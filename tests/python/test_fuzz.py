"""Random bytes and str through every function: no crash, only the documented exceptions, and
the repair of random bytes still byte for byte what cyrvert-cli writes."""

import random

import pytest

import cyrvert

SEED = 22
ROUNDS = 600

# Pieces random inputs are made of, so they reach deep paths: Cyrillic in every page, UTF-8 of
# it (whole and cut), transport-encoding syntax, control bytes.
_RUSSIAN = "Съешь же ещё этих мягких французских булок, да выпей чаю. "
PIECES = [
    _RUSSIAN.encode("cp1251"),
    _RUSSIAN.encode("koi8-r"),
    _RUSSIAN.encode("cp866"),
    _RUSSIAN.encode("iso8859-5"),
    _RUSSIAN.encode("utf-8"),
    _RUSSIAN.encode("utf-8").decode("cp1251", errors="replace").encode("utf-8"),
    "Ð¿Ñ€Ð¸".encode("utf-8")[:-1],
    b"=D0=9F=\r\n",
    b"+BB8EQAQ4-",
    b"begin 644 x\r\n",
    b"\r\n",
    b"\x00",
    b"\xef\xbb\xbf",
]


def random_bytes(rng: random.Random) -> bytes:
    if rng.random() < 0.4:
        return rng.randbytes(rng.choice([0, 1, 7, 64, 300, 4096]))
    out = b"".join(rng.choice(PIECES) for _ in range(rng.randint(1, 12)))
    cut = rng.randint(0, len(out))
    return out[:cut] if rng.random() < 0.3 else out


def random_str(rng: random.Random) -> str:
    # Mostly Cyrillic, Latin-1 and ASCII, some anything up to U+10FFFF (surrogates included).
    ranges = [(0x20, 0x7F), (0xA0, 0xFF), (0x400, 0x45F), (0x2000, 0x206F), (0, 0x10FFFF)]
    chars = []
    for _ in range(rng.randint(0, 200)):
        low, high = rng.choice(ranges)
        chars.append(chr(rng.randint(low, high)))
    return "".join(chars)


def has_surrogate(text: str) -> bool:
    return any(0xD800 <= ord(c) <= 0xDFFF for c in text)


def test_random_input_never_crashes():
    rng = random.Random(SEED)
    for _ in range(ROUNDS):
        data = random_bytes(rng)
        target = rng.choice(["win", "dos", "koi", "iso", "utf8"])
        result = cyrvert.repair(data, target=target)
        assert result.verdict in {"repaired", "partly repaired", "not damaged", "cannot repair", "empty"}
        assert isinstance(result.text, str) and 0.0 <= result.confidence <= 1.0
        for candidate in cyrvert.decode(
            data,
            depth=rng.randint(0, 3),
            sense=rng.randint(0, 6),
            n_best=rng.randint(0, 8),
            target=rng.choice(["win", "dos", "koi", "iso"]),
            big_letters=rng.random() < 0.5,
        ):
            assert len(candidate.data) == len(data) and candidate.text is not None
        assert len(cyrvert.translate(data, rng.choice(["W2K", "K2D", "D2I", "I2W"]))) == len(data)
        codec = rng.choice(cyrvert.CODECS)
        try:
            cyrvert.import_(codec, data)
        except cyrvert.CodecError as error:
            assert error.codec == codec
        if data:
            assert cyrvert.export(codec, data)

        text = random_str(rng)
        if has_surrogate(text):
            with pytest.raises(UnicodeEncodeError):
                cyrvert.repair(text)
        else:
            result = cyrvert.repair(text, utf8=rng.random() < 0.5)
            assert isinstance(result.text, str)


def test_random_bytes_repair_as_the_cli_does(cli):
    rng = random.Random(SEED + 1)
    for _ in range(40):
        data = random_bytes(rng)
        assert cyrvert.repair(data).data == cli("repair", data=data).stdout, data
