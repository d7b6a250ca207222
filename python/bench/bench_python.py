"""Measures the Python package: the cost of a call on a tiny input, a 20 KB repair (checked
byte for byte against cyrvert-cli), and a corpus of files repaired on a LocalCluster with one
and with two workers against `cyrvert-cli repair --output-dir`, with the workers' memory.

    PYTHONPATH=build/python /usr/bin/python3 python/bench/bench_python.py \\
        --cli build/cli/cyrvert-cli [--files 10000] [--size 20000] [--skip-corpus]

Times are wall-clock medians (calls) or single runs (corpus) on whatever else the machine is
doing; run it on a quiet machine for numbers worth comparing.
"""

import argparse
import filecmp
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import cyrvert

DATA = Path(__file__).resolve().parents[2] / "tests" / "data"


def per_call(function, repeat: int) -> float:
    """Median over 5 rounds of the seconds one call takes."""
    rounds = []
    for _ in range(5):
        start = time.perf_counter()
        for _ in range(repeat):
            function()
        rounds.append((time.perf_counter() - start) / repeat)
    return statistics.median(rounds)


def russian(size: int) -> bytes:
    """`size` bytes of the Russian sample (cp-1251), repeated as needed."""
    text = (DATA / "win-original.txt").read_bytes()
    return (text * (size // len(text) + 1))[:size]


# How the corpus's files are damaged, in turn.
DAMAGES = [
    ("K2W", lambda t: cyrvert.translate(t, "W2K")),
    ("U2W,U8", lambda t: t.decode("cp1251").encode().decode("cp1251", "replace").encode()),
    ("D2W", lambda t: cyrvert.translate(t, "W2D")),
    ("U8", lambda t: t.decode("cp1251").encode()),
    ("none", lambda t: t),
]


def bench_calls(cli: str, size: int) -> None:
    print("== calls")
    tiny = per_call(lambda: cyrvert.repair(b"hi"), 100_000)
    print(f"repair(b'hi')                  {tiny * 1e6:8.2f} us per call")
    noop = per_call(lambda: cyrvert.translate(b"x", "W2K"), 100_000)
    print(f"translate(b'x', 'W2K')         {noop * 1e6:8.2f} us per call")
    cyr = per_call(lambda: cyrvert.repair("Привет".encode("cp1251")), 200)
    print(f"repair(6 Cyrillic bytes)       {cyr * 1e6:8.2f} us per call (the engine's analysis)")
    text = russian(size)
    for steps, damage in DAMAGES:
        damaged = damage(text)[:size]
        seconds = per_call(lambda: cyrvert.repair(damaged), 20)
        same = cyrvert.repair(damaged).data == subprocess.run(
            [cli, "repair"], input=damaged, capture_output=True, check=False
        ).stdout
        print(
            f"repair({len(damaged)} bytes, {steps:6}) {seconds * 1e3:8.2f} ms  "
            f"same as cyrvert-cli: {same}"
        )


def bench_threads(size: int) -> None:
    """The same repairs on one thread and on two: the GIL is off while the core works."""
    from concurrent.futures import ThreadPoolExecutor

    texts = [damage(russian(size))[:size] for _, damage in DAMAGES] * 40
    seconds = {}
    for threads in (1, 2):
        with ThreadPoolExecutor(threads) as pool:
            start = time.perf_counter()
            list(pool.map(cyrvert.repair, texts))
            seconds[threads] = time.perf_counter() - start
    print(f"{len(texts)} repairs of {size} bytes: 1 thread {seconds[1]:.2f} s, 2 threads "
          f"{seconds[2]:.2f} s ({seconds[1] / seconds[2]:.2f}x)")


def make_corpus(folder: Path, files: int, size: int) -> list[str]:
    folder.mkdir(parents=True)
    text = russian(size + 4096)
    variants = [damage(text)[:size] for _, damage in DAMAGES]
    paths = []
    for index in range(files):
        path = folder / f"doc{index:05d}.txt"
        # A different start for each file, so no two are alike.
        start = index % 4096
        path.write_bytes(variants[index % len(variants)][start:] + b"\r\n" * (start // 2))
        paths.append(str(path))
    return paths


def worker_rss(client) -> list[int]:
    def rss() -> int:
        import psutil

        return psutil.Process().memory_info().rss

    return sorted(client.run(rss).values())


def bench_corpus(cli: str, files: int, size: int, work: Path) -> None:
    from distributed import Client

    from cyrvert.dask import local_cluster, repair_files

    print(f"== corpus: {files} files of {size} bytes")
    paths = make_corpus(work / "in", files, size)
    out = work / "cli"
    out.mkdir()
    start = time.perf_counter()
    subprocess.run([cli, "repair", "--output-dir", str(out), *paths], capture_output=True, check=False)
    cli_seconds = time.perf_counter() - start
    print(f"cyrvert-cli repair --output-dir  {cli_seconds:7.2f} s")

    times = {}
    for workers in (1, 2):
        cluster_start = time.perf_counter()
        cluster = local_cluster(workers)
        client = Client(cluster)
        started = time.perf_counter() - cluster_start
        before = worker_rss(client)
        target = work / f"dask{workers}"
        tenth = paths[: files // 10]
        repair_files(tenth, target / "tenth", client=client, progress=False)
        after_tenth = worker_rss(client)
        start = time.perf_counter()
        summary = repair_files(paths, target / "all", client=client, progress=False)
        times[workers] = time.perf_counter() - start
        after_all = worker_rss(client)
        client.close()
        cluster.close()
        same = all(
            filecmp.cmp(out / Path(p).name, target / "all" / Path(p).name, shallow=False)
            for p in paths
        )
        mb = lambda values: ", ".join(f"{v / 2**20:.0f}" for v in values)  # noqa: E731
        print(
            f"dask, {workers} worker(s)              {times[workers]:7.2f} s "
            f"(cluster start {started:.1f} s)  same as cyrvert-cli: {same}  {summary}"
        )
        print(
            f"  worker RSS MB: start {mb(before)}; after {len(tenth)} files {mb(after_tenth)}; "
            f"after {len(paths)} more {mb(after_all)}"
        )
    print(f"2 workers vs 1: {times[1] / times[2]:.2f}x; 2 workers vs cyrvert-cli: "
          f"{times[2] / cli_seconds:.2f} of its time")


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True, help="cyrvert-cli of the same build")
    parser.add_argument("--files", type=int, default=10_000)
    parser.add_argument("--size", type=int, default=20_000)
    parser.add_argument("--skip-corpus", action="store_true")
    args = parser.parse_args()
    bench_calls(args.cli, args.size)
    bench_threads(args.size)
    if not args.skip_corpus:
        work = Path(tempfile.mkdtemp(prefix="cyrvert-bench-"))
        try:
            bench_corpus(args.cli, args.files, args.size, work)
        finally:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
