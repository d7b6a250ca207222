"""Repairing a corpus of files in parallel on a Dask cluster.

    >>> from cyrvert.dask import repair_files
    >>> summary = repair_files(paths, "repaired/", client=client)
    >>> summary.to_dataframe().groupby("verdict").size()

From the shell (a local cluster unless --scheduler names one)::

    python -m cyrvert.dask INPUT_DIR OUTPUT_DIR [--scheduler ADDRESS] [--workers N]

Each task repairs one batch of files, one file at a time, writes each result atomically
(beside its final name, then renamed) and returns only small records, so the memory of a
worker does not grow with the number of files; the driver keeps a bounded number of batches
in flight and holds the records alone.
"""

from __future__ import annotations

import argparse
import logging
import math
import os
import sys
from typing import Any, Iterable, Optional, Sequence, TextIO

import cyrvert
from cyrvert._corpus import Job, PathLike, RepairSummary, plan, repair_batch

__all__ = ["RepairSummary", "repair_files", "main"]

# Batches each worker thread should see when the batch size is chosen for the caller: enough
# to balance uneven files, few enough that the per-task cost stays small.
_BATCHES_PER_THREAD = 4
_MAX_BATCH = 256


def repair_files(
    paths: Iterable[PathLike],
    output_dir: PathLike,
    *,
    client: Any = None,
    target: str = "cp1251",
    utf8: bool = False,
    batch_size: Optional[int] = None,
    root: Optional[PathLike] = None,
    progress: bool = True,
) -> RepairSummary:
    """Repairs every file of `paths` on a Dask cluster and writes each result under
    `output_dir` at the file's path relative to `root` (by default the inputs' common folder).

    client: a dask.distributed Client; by default the current one, or else a LocalCluster
    started (and closed) for this call. target/utf8: the page results are written in, as
    cyrvert.repair. batch_size: files per task (by default chosen from the number of files
    and worker threads). progress: a counter on standard error.

    Every result is written, as `cyrvert-cli repair --output-dir` does: the repair, or the
    text as it was (in the target page) when it is not damaged or cannot be repaired. Inputs
    whose target would be the input itself, or a target another input already takes, are
    refused before anything is written. Returns a RepairSummary (records in input order,
    counts per verdict, to_dataframe(), to_csv()).
    """
    if batch_size is not None and batch_size < 1:
        raise ValueError(f"batch_size must be at least 1, not {batch_size}")
    cyrvert.repair(b"", target=target, utf8=utf8)  # ValueError for a bad target, before any work
    jobs, refused = plan(paths, output_dir, root)
    os.makedirs(output_dir, exist_ok=True)
    records: list[Optional[dict[str, Any]]] = [None] * (len(jobs) + len(refused))
    for index, record in refused:
        records[index] = record
    if jobs:
        with _ClientFor(client) as active:
            size = batch_size or _batch_size(len(jobs), _threads(active))
            counter = _Progress(len(jobs), sys.stderr if progress else None)
            for index, record in _run(active, jobs, size, target, utf8, counter):
                records[index] = record
            counter.finish()
    return RepairSummary([r for r in records if r is not None])


def _run(
    client: Any, jobs: list[Job], size: int, target: str, utf8: bool, counter: "_Progress"
) -> Iterable[tuple[int, dict[str, Any]]]:
    """Submits the batches, at most a few per worker thread at a time, and yields the records
    of each as it finishes; a finished batch's future is dropped at once."""
    from distributed import as_completed

    batches = (jobs[at : at + size] for at in range(0, len(jobs), size))
    in_flight = max(2, 2 * _threads(client))
    pending = as_completed()
    for batch in batches:
        pending.add(client.submit(repair_batch, batch, target, utf8, pure=False))
        if pending.count() >= in_flight:
            break
    for future in pending:
        batch_records = future.result()
        future.release()
        yield from batch_records
        counter.advance(len(batch_records))
        following = next(batches, None)
        if following is not None:
            pending.add(client.submit(repair_batch, following, target, utf8, pure=False))


def _threads(client: Any) -> int:
    """Worker threads of the cluster (1 if it reports none yet)."""
    return max(1, sum(client.nthreads().values()))


def _batch_size(files: int, threads: int) -> int:
    return max(1, min(_MAX_BATCH, math.ceil(files / (threads * _BATCHES_PER_THREAD))))


class _ClientFor:
    """The client to use: the one given, the current one, or a LocalCluster of its own that is
    closed on leaving."""

    def __init__(self, client: Any):
        self._given = client
        self._own: list[Any] = []

    def __enter__(self) -> Any:
        if self._given is not None:
            return self._given
        from distributed import Client, default_client

        try:
            return default_client()
        except ValueError:
            cluster = local_cluster()
            client = Client(cluster)
            self._own = [client, cluster]
            return client

    def __exit__(self, *exc: object) -> None:
        for owned in self._own:
            owned.close()


def local_cluster(workers: Optional[int] = None) -> Any:
    """A LocalCluster of `workers` processes (one per core by default), one thread each, quiet,
    listening on this host only, on free ports (not the fixed 8787 another cluster may hold)."""
    from distributed import LocalCluster

    return LocalCluster(
        n_workers=workers or os.cpu_count() or 1,
        threads_per_worker=1,
        processes=True,
        host="127.0.0.1",
        dashboard_address=None,
        scheduler_kwargs={"dashboard_address": "127.0.0.1:0"},
        worker_dashboard_address="127.0.0.1:0",
        silence_logs=logging.ERROR,
    )


class _Progress:
    """A counter of repaired files on standard error: rewritten in place on a terminal, a line
    per tenth of the run (and one at the end) otherwise."""

    def __init__(self, total: int, stream: Optional[TextIO]):
        self._total = total
        self._done = 0
        self._stream = stream
        self._tty = stream is not None and stream.isatty()
        self._next_line = 0

    def advance(self, count: int) -> None:
        self._done += count
        if self._stream is None:
            return
        if self._tty:
            self._stream.write(f"\rrepairing: {self._done}/{self._total} files")
            self._stream.flush()
        elif self._done >= self._next_line or self._done == self._total:
            self._stream.write(f"repairing: {self._done}/{self._total} files\n")
            self._stream.flush()
            self._next_line = self._done + max(1, self._total // 10)

    def finish(self) -> None:
        if self._stream is not None and self._tty:
            self._stream.write("\r\033[K")
            self._stream.flush()


def _input_files(folder: str) -> list[str]:
    """Every regular file under `folder`, in a stable order (symbolic links to folders are not
    followed)."""
    found = []
    for where, folders, files in os.walk(folder):
        folders.sort()
        for name in sorted(files):
            path = os.path.join(where, name)
            if os.path.isfile(path):
                found.append(path)
    return found


def _inside(path: str, folder: str) -> bool:
    path, folder = os.path.realpath(path), os.path.realpath(folder)
    return path == folder or path.startswith(folder.rstrip(os.sep) + os.sep)


def main(argv: Optional[Sequence[str]] = None) -> int:
    """`python -m cyrvert.dask INPUT_DIR OUTPUT_DIR ...`; returns the exit status."""
    parser = argparse.ArgumentParser(
        prog="python -m cyrvert.dask",
        description="Repair every file under INPUT_DIR into OUTPUT_DIR (same relative names) "
        "on a Dask cluster: a local one by default, an existing one with --scheduler.",
    )
    parser.add_argument("input_dir", metavar="INPUT_DIR")
    parser.add_argument("output_dir", metavar="OUTPUT_DIR")
    parser.add_argument("--scheduler", metavar="ADDRESS", help="address of a running scheduler")
    parser.add_argument("--workers", type=int, metavar="N", help="workers of the local cluster")
    parser.add_argument("--target", default="cp1251", help="page of the results (default cp1251)")
    parser.add_argument("--utf8", action="store_true", help="write the results in UTF-8")
    parser.add_argument("--batch-size", type=int, metavar="N", help="files per task")
    parser.add_argument("--csv", metavar="FILE", help="write the per-file summary as CSV")
    parser.add_argument("--quiet", action="store_true", help="no progress counter")
    args = parser.parse_args(argv)

    def fail(message: str) -> int:
        print(f"cyrvert.dask: {message}", file=sys.stderr)
        return 2

    if not os.path.isdir(args.input_dir):
        return fail(f"'{args.input_dir}' is not a directory")
    if _inside(args.output_dir, args.input_dir):
        return fail("OUTPUT_DIR must not be INPUT_DIR or inside it")
    if args.workers is not None and (args.workers < 1 or args.scheduler):
        return fail("--workers takes a number from 1, for the local cluster only")
    from distributed import Client

    files = _input_files(args.input_dir)
    try:
        if args.scheduler:
            client = Client(args.scheduler)
            cluster = None
        else:
            cluster = local_cluster(args.workers)
            client = Client(cluster)
    except (OSError, TimeoutError) as error:
        return fail(f"cannot reach the scheduler: {error}")
    try:
        summary = repair_files(
            files,
            args.output_dir,
            client=client,
            target=args.target,
            utf8=args.utf8,
            batch_size=args.batch_size,
            root=args.input_dir,
            progress=not args.quiet,
        )
    except (ValueError, OSError) as error:
        return fail(str(error))
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    for record in summary:
        if record["error"] is not None:
            print(f"{record['file']}: {record['error']}", file=sys.stderr)
    if args.csv:
        summary.to_csv(args.csv)
    print(summary, file=sys.stderr)
    return summary.exit_status


if __name__ == "__main__":
    # Run through the module's own name, so tasks refer to cyrvert._corpus, not __main__.
    from cyrvert.dask import main as _main

    sys.exit(_main())
