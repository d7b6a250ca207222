"""Shared fixtures of the Python package's tests: the cyrvert-cli of the same build (the
reference every result is compared with) and the sample texts."""

import os
import subprocess
from pathlib import Path

import pytest

DATA = Path(os.environ.get("CYRVERT_TEST_DATA", Path(__file__).resolve().parents[1] / "data"))
SAMPLES = sorted(p for p in list(DATA.glob("*.txt")) + list((DATA / "smart").glob("*.txt")))


def sample_id(path: Path) -> str:
    return str(path.relative_to(DATA))


class Cli:
    """Runs cyrvert-cli and gives back its standard output, error and exit status."""

    def __init__(self, path: str):
        self.path = path

    def __call__(self, *args: str, data: bytes = b"") -> subprocess.CompletedProcess:
        return subprocess.run([self.path, *args], input=data, capture_output=True, check=False)


@pytest.fixture(scope="session")
def cli() -> Cli:
    path = os.environ.get("CYRVERT_CLI")
    if not path or not os.access(path, os.X_OK):
        pytest.skip("CYRVERT_CLI does not name the cyrvert-cli of this build")
    return Cli(path)
