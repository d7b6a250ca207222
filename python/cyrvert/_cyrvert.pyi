# Types of the extension module (written beside it; the extension's docstrings say the rest).
from typing import Literal, Optional, Union

Bytes = Union[bytes, bytearray, memoryview]

__version__: str
CODECS: tuple[str, ...]

class CodecError(ValueError):
    """Data that a transport codec cannot decode."""

    codec: str
    partial: bytes

class RepairResult:
    """What repair() found, and the repaired text as str and as bytes."""

    @property
    def verdict(self) -> Literal["repaired", "not damaged", "cannot repair", "partly repaired", "empty"]: ...
    @property
    def steps(self) -> str: ...
    @property
    def explain(self) -> str: ...
    @property
    def confidence(self) -> float: ...
    @property
    def data(self) -> bytes: ...
    @property
    def text(self) -> str: ...
    @property
    def repaired(self) -> bool: ...
    @property
    def exit_status(self) -> int: ...

class Candidate:
    """One decoding decode() found, best first."""

    @property
    def history(self) -> str: ...
    @property
    def chain(self) -> tuple[str, ...]: ...
    @property
    def score(self) -> int: ...
    @property
    def data(self) -> bytes: ...
    @property
    def text(self) -> str: ...
    @property
    def preview(self) -> str: ...

def repair(data: Union[Bytes, str], /, *, target: str = "cp1251", utf8: bool = False) -> RepairResult:
    """Smart repair of a Russian text damaged by wrong code-page conversions or UTF-8 mix-ups."""

def decode(
    data: Bytes,
    /,
    *,
    depth: int = 3,
    sense: int = 2,
    n_best: int = 5,
    target: str = "cp1251",
    big_letters: bool = False,
) -> list[Candidate]:
    """The variant search: chains of 8-bit conversions that make `data` read as Russian."""

def translate(data: Bytes, code: str, /) -> bytes:
    """One of the twelve manual conversions by its code ("W2K", "K2D", ...)."""

def set_eighth_bit(data: Bytes, /) -> bytes:
    """Sets the eighth bit of every byte (text stripped to 7 bits)."""

def import_(codec: str, data: Bytes, /) -> bytes:
    """Decodes a transport encoding into cp-1251 text, as `cyrvert-cli import CODEC`."""

def export(codec: str, data: Bytes, /, *, name: Optional[str] = None) -> bytes:
    """Encodes cp-1251 text in a transport encoding, as `cyrvert-cli export CODEC`."""
