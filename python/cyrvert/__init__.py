"""Repair Russian text damaged by wrong code-page conversions and UTF-8 mix-ups.

The functions are Cyrvert's own engines (the same library as ``cyrvert-cli``), compiled into
the extension ``cyrvert._cyrvert``; each releases the GIL while it works, so threads scale.

>>> import cyrvert
>>> cyrvert.repair("РџСЂРёРІРµС‚, РєР°Рє РґРµР»Р°? Р’СЃРµ С…РѕСЂРѕС€Рѕ, СЃРїР°СЃРёР±Рѕ.").text
'Привет, как дела? Все хорошо, спасибо.'

``cyrvert.dask`` repairs many files in parallel on a Dask cluster.
"""

from cyrvert._cyrvert import (
    CODECS,
    Candidate,
    CodecError,
    RepairResult,
    __version__,
    decode,
    export,
    import_,
    repair,
    set_eighth_bit,
    translate,
)

__all__ = [
    "CODECS",
    "Candidate",
    "CodecError",
    "RepairResult",
    "__version__",
    "decode",
    "export",
    "import_",
    "repair",
    "set_eighth_bit",
    "translate",
]
