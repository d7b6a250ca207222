"""cyrvert.dask on a LocalCluster of two worker processes: the files it writes are those
`cyrvert-cli repair --output-dir` writes, under the inputs' relative names, with a summary that
says the same as the CLI's JSON records."""

import csv
import json
import os
import subprocess
import sys
from pathlib import Path

import pytest

distributed = pytest.importorskip("distributed")

import cyrvert  # noqa: E402
from conftest import DATA  # noqa: E402
from cyrvert.dask import local_cluster, repair_files  # noqa: E402

FILES = 300


@pytest.fixture(scope="module")
def client():
    cluster = local_cluster(2)
    with distributed.Client(cluster) as active:
        yield active
    cluster.close()


def make_corpus(root: Path, count: int) -> list[Path]:
    """`count` files in nested folders (unique base names), each a slice of a sample damaged in
    one of several ways, a few empty or not Russian at all."""
    original = (DATA / "win-original.txt").read_bytes()
    english = (DATA / "win-english-none.txt").read_bytes()
    damages = [
        lambda t: t,
        lambda t: cyrvert.translate(t, "W2K"),
        lambda t: cyrvert.translate(cyrvert.translate(t, "W2K"), "W2K"),
        lambda t: cyrvert.translate(t, "W2D"),
        lambda t: t.decode("cp1251").encode("utf-8"),
        lambda t: t.decode("cp1251").encode("utf-8").decode("cp1251", "replace").encode("utf-8"),
        lambda t: t[:20],
        lambda t: english,
        lambda t: b"",
    ]
    paths = []
    for index in range(count):
        folder = root / ("a" if index % 3 == 0 else "b/c" if index % 3 == 1 else ".")
        folder.mkdir(parents=True, exist_ok=True)
        start = (index * 97) % (len(original) // 2)
        text = original[start : start + 400 + (index * 31) % 1200]
        path = folder / f"doc{index:04d}.txt"
        path.write_bytes(damages[index % len(damages)](text))
        paths.append(path)
    return paths


@pytest.fixture(scope="module")
def corpus(tmp_path_factory, cli):
    """The corpus, and what cyrvert-cli made of it: its outputs (by base name) and records."""
    root = tmp_path_factory.mktemp("corpus")
    paths = make_corpus(root / "in", FILES)
    out = root / "cli"
    out.mkdir()
    run = cli("repair", "--output-dir", str(out), *map(str, paths))
    assert run.returncode in (0, 3), run.stderr
    records = cli("repair", "--json", *map(str, paths)).stdout.decode().splitlines()
    by_name = {Path(r["file"]).name: r for r in map(json.loads, records)}
    return root, paths, out, by_name


def test_outputs_and_summary_match_cli(client, corpus, tmp_path, capsys):
    root, paths, cli_out, cli_records = corpus
    out = tmp_path / "out"
    summary = repair_files(paths, out, client=client, batch_size=16)
    assert len(summary) == FILES
    for path, record in zip(paths, summary):
        name = os.path.relpath(path, root / "in")
        assert record["file"] == name and record["error"] is None
        assert (out / name).read_bytes() == (cli_out / path.name).read_bytes(), name
        want = cli_records[path.name]
        assert (record["verdict"], record["steps"], record["confidence"]) == (
            want["verdict"], want["steps"], want["confidence"],
        )
    counts = summary.counts
    assert sum(counts.values()) == FILES and counts["failed"] == 0
    assert counts["repaired"] > 100 and counts["empty"] == FILES // 9
    assert summary.exit_status == (3 if counts["cannot repair"] else 0)
    # No temporary file is left beside the results.
    assert not [p for p in out.rglob(".*") if p.is_file()]
    assert f"repairing: {FILES}/{FILES} files" in capsys.readouterr().err
    frame = summary.to_dataframe()
    assert list(frame["file"]) == [r["file"] for r in summary]
    assert frame.groupby("verdict").size().to_dict() == {k: v for k, v in counts.items() if v and k != "failed"}


def test_utf8_target_and_default_client(client, corpus, tmp_path, cli):
    _, paths, _, _ = corpus
    chosen = paths[:20]
    out = tmp_path / "out"
    summary = repair_files(chosen, out, utf8=True, progress=False)  # the current client
    want = tmp_path / "cli"
    want.mkdir()
    cli("repair", "--utf8", "--output-dir", str(want), *map(str, chosen))
    for path, record in zip(chosen, summary):
        assert (out / record["file"]).read_bytes() == (want / path.name).read_bytes()


def test_unreadable_and_refused_inputs_are_reported(client, tmp_path):
    inputs = tmp_path / "in"
    inputs.mkdir()
    good = inputs / "good.txt"
    good.write_bytes((DATA / "win-w2k-K2W.txt").read_bytes())
    missing = inputs / "missing.txt"
    summary = repair_files([good, missing], tmp_path / "out", client=client, progress=False)
    assert [r["error"] is None for r in summary] == [True, False]
    assert "No such file" in summary.records[1]["error"]
    assert summary.exit_status == 2 and summary.counts["failed"] == 1
    # Writing the results over the inputs, or two inputs to one target, is refused up front.
    summary = repair_files([good, good], inputs, client=client, progress=False)
    assert [r["error"] for r in summary] == ["the result would replace the input"] * 2
    assert good.read_bytes() == (DATA / "win-w2k-K2W.txt").read_bytes()
    summary = repair_files([good, good], tmp_path / "twice", client=client, progress=False)
    assert summary.records[0]["error"] is None
    assert "already written" in summary.records[1]["error"]
    with pytest.raises(ValueError, match="unknown target"):
        repair_files([good], tmp_path / "x", client=client, target="latin1")
    with pytest.raises(ValueError, match="batch_size"):
        repair_files([good], tmp_path / "x", client=client, batch_size=0)


def test_command_line_on_a_running_cluster_and_a_local_one(client, corpus, tmp_path):
    root, paths, cli_out, _ = corpus
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    out = tmp_path / "out"
    table = tmp_path / "summary.csv"
    run = subprocess.run(
        [sys.executable, "-m", "cyrvert.dask", str(root / "in"), str(out),
         "--scheduler", client.scheduler.address, "--csv", str(table)],
        capture_output=True, text=True, env=env, check=False,
    )
    assert run.returncode in (0, 3), run.stderr
    assert f"{FILES} files:" in run.stderr
    with open(table, newline="", encoding="utf-8") as file:
        rows = list(csv.DictReader(file))
    assert len(rows) == FILES and set(rows[0]) >= {"file", "verdict", "steps", "error"}
    for path in paths[::7]:
        name = os.path.relpath(path, root / "in")
        assert (out / name).read_bytes() == (cli_out / path.name).read_bytes()

    local = subprocess.run(
        [sys.executable, "-m", "cyrvert.dask", str(root / "in" / "a"), str(tmp_path / "local"),
         "--workers", "1", "--quiet"],
        capture_output=True, text=True, env=env, check=False,
    )
    assert local.returncode in (0, 3), local.stderr
    assert len(list((tmp_path / "local").iterdir())) == len(list((root / "in" / "a").iterdir()))

    inside = subprocess.run(
        [sys.executable, "-m", "cyrvert.dask", str(root / "in"), str(root / "in" / "out")],
        capture_output=True, text=True, env=env, check=False,
    )
    assert inside.returncode == 2 and "inside" in inside.stderr


def test_relative_names_reach_workers_in_another_folder(client, tmp_path, monkeypatch):
    # The workers started in the folder the tests started in; the names are relative to this.
    (tmp_path / "in").mkdir()
    (tmp_path / "in" / "k.txt").write_bytes((DATA / "win-w2k-K2W.txt").read_bytes())
    monkeypatch.chdir(tmp_path)
    summary = repair_files(["in/k.txt"], "out", client=client, progress=False)
    assert summary.records[0]["error"] is None and summary.records[0]["verdict"] == "repaired"
    assert (tmp_path / "out" / "k.txt").read_bytes() == cyrvert.repair(
        (DATA / "win-w2k-K2W.txt").read_bytes()
    ).data
