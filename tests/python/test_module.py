"""The module gives what cyrvert-cli gives for the same input and options, and turns bad
arguments into clear Python exceptions."""

import doctest
import json
import pickle
from concurrent.futures import ThreadPoolExecutor

import pytest

import cyrvert
from conftest import SAMPLES, sample_id

TARGETS = ["win", "dos", "koi", "iso", "utf8"]
CONVERSIONS = [a + "2" + b for a in "DKWI" for b in "DKWI" if a != b]


@pytest.mark.parametrize("sample", SAMPLES, ids=sample_id)
def test_repair_matches_cli(cli, sample):
    data = sample.read_bytes()
    report = json.loads(cli("repair", "--json", str(sample)).stdout)
    for target in TARGETS:
        option = ["--utf8"] if target == "utf8" else ["--target", target]
        want = cli("repair", *option, data=data)
        got = cyrvert.repair(data, target=target)
        assert got.data == want.stdout, target
        assert got.exit_status == want.returncode, target
        assert (got.verdict, got.steps, got.explain) == (
            report["verdict"],
            report["steps"],
            report["explain"] if report["verdict"] == "repaired" else "",
        )
        assert round(got.confidence, 2) == report["confidence"]
    # The text is the data read in its page; utf8=True is target="utf8".
    assert cyrvert.repair(data, utf8=True).text == cyrvert.repair(data, target="utf8").data.decode()
    assert cyrvert.repair(data, target="koi").text == cyrvert.repair(data, target="koi").data.decode(
        "koi8-r"
    )


@pytest.mark.parametrize("sample", SAMPLES[:12], ids=sample_id)
def test_decode_matches_cli_list(cli, sample):
    data = sample.read_bytes()
    for depth, sense, best, target in [(3, 2, 5, "win"), (2, 4, 3, "koi"), (0, 0, 0, "dos")]:
        want = cli(
            "decode", "--list", "--depth", str(depth), "--sense", str(sense),
            "--best", str(best), "--target", target, data=data,
        )
        got = cyrvert.decode(data, depth=depth, sense=sense, n_best=best, target=target)
        lines = want.stdout.decode().splitlines()
        assert [(c.score, c.history, c.preview) for c in got] == [
            (int(s), h, p) for s, h, p in (line.split("\t") for line in lines)
        ]
        if got:
            # The best candidate's text is what decode writes without --list.
            best_text = cli(
                "decode", "--depth", str(depth), "--sense", str(sense), "--target", target,
                data=data,
            ).stdout
            assert got[0].data == best_text
            assert got[0].chain == tuple(got[0].history.strip("()").split(","))


def test_decode_finds_nothing_in_plain_ascii():
    assert cyrvert.decode(b"plain English text, no upper half at all") == []


@pytest.mark.parametrize("code", CONVERSIONS)
def test_translate_and_eighth_bit_match_cli(cli, code):
    data = bytes(range(256)) + (SAMPLES[0].read_bytes())
    assert cyrvert.translate(data, code) == cli("translate", code, data=data).stdout
    assert cyrvert.set_eighth_bit(data) == cli("set8bit", data=data).stdout


@pytest.mark.parametrize("codec", cyrvert.CODECS)
def test_export_and_import_match_cli(cli, codec):
    text = (SAMPLES[0].parent / "win-original.txt").read_bytes()
    wrapped = cli("export", codec, data=text).stdout
    assert cyrvert.export(codec, text) == wrapped
    assert cyrvert.import_(codec, wrapped) == cli("import", codec, data=wrapped).stdout
    if codec == "uu":
        named = cli("export", "uu", "--name", "letter.txt", data=text).stdout
        assert cyrvert.export("uu", text, name="letter.txt") == named


@pytest.mark.parametrize(
    "codec, broken",
    [("base64", b"!!!@@@"), ("utf8", b"\xd0\x9f\xff\xfe"), ("qp", b"abc=ZZ\r\n"), ("utf7", b"+\xff")],
)
def test_import_error_raises_codec_error_with_partial_output(cli, codec, broken):
    want = cli("import", codec, data=broken)
    if want.returncode == 0:
        assert cyrvert.import_(codec, broken) == want.stdout
        return
    with pytest.raises(cyrvert.CodecError) as raised:
        cyrvert.import_(codec, broken)
    assert isinstance(raised.value, ValueError)
    assert raised.value.codec == codec
    assert raised.value.partial == want.stdout
    assert str(raised.value)


@pytest.mark.parametrize(
    "text, verdict, repaired",
    [
        ("РџСЂРёРІРµС‚, РєР°Рє РґРµР»Р°? Р’СЃРµ С…РѕСЂРѕС€Рѕ, СЃРїР°СЃРёР±Рѕ.", "repaired",
         "Привет, как дела? Все хорошо, спасибо."),
        ("Привет, как дела? Всё хорошо, спасибо.", "not damaged", None),
        ("Plain English text stays as it is.", "not damaged", None),
        ("", "empty", None),
    ],
)
def test_repair_of_str(text, verdict, repaired):
    result = cyrvert.repair(text)
    assert result.verdict == verdict
    want = text if repaired is None else repaired
    assert result.text == want
    # data is that text in the target page, "?" for what the page lacks.
    assert result.data == want.encode("cp1251", errors="replace")
    assert cyrvert.repair(text, utf8=True).data == want.encode()


def test_str_keeps_characters_the_target_page_lacks():
    result = cyrvert.repair("Ёлка — 🎄 ok", target="koi")
    assert result.text == "Ёлка — 🎄 ok"
    assert result.data == "Ёлка — ? ok".encode("koi8-r", errors="replace")


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: cyrvert.repair(b"x", target="latin1"), ValueError, "unknown target 'latin1'"),
        (lambda: cyrvert.repair(42), TypeError, "takes bytes or str, not int"),
        (lambda: cyrvert.repair(None), TypeError, "not NoneType"),
        (lambda: cyrvert.repair("\udc80"), UnicodeEncodeError, "surrogates"),
        (lambda: cyrvert.decode("текст"), TypeError, "encode the str first"),
        (lambda: cyrvert.decode(b"x", depth=6), ValueError, "depth must be 0 (automatic) to 5"),
        (lambda: cyrvert.decode(b"x", sense=-1), ValueError, "sense must be 0 (automatic) to 6"),
        (lambda: cyrvert.decode(b"x", n_best=501), ValueError, "n_best must be 0 (all) to 500"),
        (lambda: cyrvert.decode(b"x", target="utf8"), ValueError, "not utf8"),
        (lambda: cyrvert.translate(b"x", "W2W"), ValueError, "unknown conversion 'W2W'"),
        (lambda: cyrvert.import_("base32", b"x"), ValueError, "unknown codec 'base32'"),
        (lambda: cyrvert.export("uu", b"x", name=""), ValueError, "name must not be empty"),
        (lambda: cyrvert.export("uu", b"x", name="a\nb"), cyrvert.CodecError, "control"),
        (lambda: cyrvert.repair(b"x", "win"), TypeError, "incompatible function arguments"),
    ],
)
def test_bad_arguments_raise(call, error, message):
    with pytest.raises(error, match=None) as raised:
        call()
    assert message in str(raised.value)


def test_bytes_like_inputs_agree():
    data = SAMPLES[-1].read_bytes()
    want = cyrvert.repair(data).data
    assert cyrvert.repair(bytearray(data)).data == want
    assert cyrvert.repair(memoryview(data)).data == want
    assert cyrvert.repair(memoryview(b"xx" + data)[2:]).data == want


def test_results_pickle():
    data = (SAMPLES[0].parent / "win-w2k-w2k-K2W_K2W.txt").read_bytes()
    for result in [cyrvert.repair(data), cyrvert.repair("Ёлка 🎄", target="dos")]:
        back = pickle.loads(pickle.dumps(result))
        assert (back.verdict, back.steps, back.explain, back.confidence, back.data, back.text) == (
            result.verdict, result.steps, result.explain, result.confidence, result.data,
            result.text,
        )
    candidate = cyrvert.decode(data)[0]
    back = pickle.loads(pickle.dumps(candidate))
    assert (back.history, back.score, back.data, back.text, back.preview) == (
        candidate.history, candidate.score, candidate.data, candidate.text, candidate.preview,
    )


def test_threads_get_the_same_results():
    texts = [p.read_bytes() for p in SAMPLES] * 4
    want = [cyrvert.repair(t).data for t in texts]
    with ThreadPoolExecutor(4) as pool:
        assert list(pool.map(lambda t: cyrvert.repair(t).data, texts)) == want


def test_package_docstring_example_runs():
    failures, _ = doctest.testmod(cyrvert, verbose=False)
    assert failures == 0
