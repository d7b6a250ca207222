"""Repairing many files: where each result goes, the repair of one batch, and the summary.

Nothing here knows Dask; cyrvert.dask sends batches of jobs to workers and gathers the
records they return. A job is a plain tuple, so it travels cheaply between processes.
"""

from __future__ import annotations

import csv
import io
import os
import tempfile
from collections import Counter
from typing import IO, Any, Iterable, Iterator, NamedTuple, Optional, Union

import cyrvert

PathLike = Union[str, "os.PathLike[str]"]

# The verdicts in the order summaries give them; "failed" counts files not read or written.
VERDICTS = ("repaired", "partly repaired", "not damaged", "cannot repair", "empty")
FAILED = "failed"
# The columns of a summary record (as `cyrvert-cli repair --json` names them).
COLUMNS = ("file", "verdict", "steps", "explain", "confidence", "output", "error")

# New files get the mode an ordinary open() would give them (mkstemp makes them 0600).
_UMASK = os.umask(0)
os.umask(_UMASK)
_FILE_MODE = 0o666 & ~_UMASK


class Job(NamedTuple):
    """One file to repair: its place in the input list, where it is, its name relative to the
    common root (the name of its record), and where its result goes."""

    index: int
    source: str
    name: str
    target: str


def plan(
    paths: Iterable[PathLike], output_dir: PathLike, root: Optional[PathLike] = None
) -> tuple[list[Job], list[tuple[int, dict[str, Any]]]]:
    """Maps every input to its target under `output_dir`, mirroring its path relative to
    `root` (by default the inputs' common folder). Returns the jobs, and the records of the
    inputs refused before anything is written: a target that is the input itself, or that
    another input already takes."""
    sources = [os.fspath(p) for p in paths]
    output = os.path.abspath(os.fspath(output_dir))
    if root is None:
        folders = [os.path.dirname(os.path.abspath(s)) for s in sources]
        base = os.path.commonpath(folders) if folders else output
    else:
        base = os.path.abspath(os.fspath(root))
    jobs: list[Job] = []
    refused: list[tuple[int, dict[str, Any]]] = []
    taken: set[str] = set()
    for index, given in enumerate(sources):
        # Absolute, so a worker started elsewhere (another folder, another machine) finds it.
        source = os.path.abspath(given)
        name = os.path.relpath(source, base)
        if name == os.curdir or name.startswith(os.pardir + os.sep) or name == os.pardir:
            refused.append((index, failed_record(given, f"not under the root folder {base}")))
            continue
        target = os.path.join(output, name)
        real = os.path.realpath(target)
        if real == os.path.realpath(source) or _same_file(target, source):
            refused.append((index, failed_record(name, "the result would replace the input")))
        elif real in taken:
            refused.append(
                (index, failed_record(name, f"another input was already written to {target}"))
            )
        else:
            taken.add(real)
            jobs.append(Job(index, source, name, target))
    return jobs, refused


def _same_file(a: str, b: str) -> bool:
    try:
        return os.path.samefile(a, b)
    except OSError:
        return False


def failed_record(name: str, error: str) -> dict[str, Any]:
    """The record of a file that could not be repaired or written."""
    return {
        "file": name,
        "verdict": None,
        "steps": None,
        "explain": None,
        "confidence": None,
        "output": None,
        "error": error,
    }


def write_atomically(path: str, data: bytes) -> None:
    """Writes `data` beside `path`, flushes it to disk and renames it over `path`, so a reader
    sees the old file or the whole new one, never a part."""
    folder = os.path.dirname(path)
    os.makedirs(folder, exist_ok=True)
    fd, temp = tempfile.mkstemp(dir=folder, prefix="." + os.path.basename(path) + ".")
    try:
        with os.fdopen(fd, "wb") as file:
            file.write(data)
            file.flush()
            os.fchmod(file.fileno(), _FILE_MODE)
            os.fsync(file.fileno())
        os.replace(temp, path)
    except BaseException:
        try:
            os.unlink(temp)
        except FileNotFoundError:
            pass
        raise


def repair_batch(jobs: list[Job], target: str, utf8: bool) -> list[tuple[int, dict[str, Any]]]:
    """Repairs and writes each file of a batch, one at a time (memory stays that of one file);
    returns (index, record) pairs. A file that cannot be read or written gets a record with
    its error; the others go on."""
    records = []
    for job in jobs:
        index, source, name, target_path = job
        try:
            with open(source, "rb") as file:
                data = file.read()
            result = cyrvert.repair(data, target=target, utf8=utf8)
            del data
            write_atomically(target_path, result.data)
        except OSError as error:
            reason = error.strerror or str(error)
            records.append((index, failed_record(name, f"{reason}: {error.filename or name}")))
            continue
        records.append(
            (
                index,
                {
                    "file": name,
                    "verdict": result.verdict,
                    "steps": result.steps,
                    "explain": result.explain,
                    "confidence": round(result.confidence, 2),
                    "output": target_path,
                    "error": None,
                },
            )
        )
    return records


class RepairSummary:
    """The outcome of a run over many files: one record per input, in input order (file,
    verdict, steps, explain, confidence, output, error), and the count of each verdict."""

    def __init__(self, records: list[dict[str, Any]]):
        self.records = records

    def __len__(self) -> int:
        return len(self.records)

    def __iter__(self) -> Iterator[dict[str, Any]]:
        return iter(self.records)

    @property
    def counts(self) -> dict[str, int]:
        """Files per verdict ("failed" for those not read or written); zero counts kept."""
        tally = Counter(r["verdict"] if r["error"] is None else FAILED for r in self.records)
        counts = {v: tally.get(v, 0) for v in VERDICTS}
        counts[FAILED] = tally.get(FAILED, 0)
        for verdict, count in tally.items():  # a verdict this module does not know yet
            counts.setdefault(verdict, count)
        return counts

    @property
    def exit_status(self) -> int:
        """As `cyrvert-cli repair` over many files: 2 some file failed, 3 some file cannot be
        repaired, 4 every file was empty, else 0."""
        counts = self.counts
        if counts[FAILED]:
            return 2
        if counts["cannot repair"]:
            return 3
        if self.records and counts["empty"] == len(self.records):
            return 4
        return 0

    def to_dataframe(self) -> Any:
        """The records as a pandas DataFrame (pandas is imported only here)."""
        import pandas

        return pandas.DataFrame.from_records(self.records, columns=list(COLUMNS))

    def to_csv(self, file: Union[PathLike, IO[str]]) -> None:
        """Writes the records as CSV with a header row, to a path or an open text file."""
        if isinstance(file, (str, os.PathLike)):
            with open(file, "w", newline="", encoding="utf-8") as out:
                self.to_csv(out)
            return
        writer = csv.DictWriter(file, fieldnames=COLUMNS)
        writer.writeheader()
        writer.writerows(self.records)

    def __str__(self) -> str:
        """"10 files: 7 repaired, 2 not damaged, 1 cannot repair", as cyrvert-cli ends a run."""
        counts = self.counts
        text = io.StringIO()
        text.write(f"{len(self.records)} files: {counts['repaired']} repaired")
        if counts["partly repaired"]:
            text.write(f", {counts['partly repaired']} partly repaired")
        text.write(f", {counts['not damaged']} not damaged, {counts['cannot repair']} cannot repair")
        for extra in ("empty", FAILED):
            if counts[extra]:
                text.write(f", {counts[extra]} {extra}")
        return text.getvalue()

    def __repr__(self) -> str:
        return f"<RepairSummary {self}>"
