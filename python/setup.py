"""Builds the extension cyrvert._cyrvert with the project's own CMake build (from the
repository this folder lives in), so the package links the very core cyrvert-cli uses.

    pip install ./python                         # from the repository's top folder
    pip install --no-build-isolation ./python    # offline, with Debian's setuptools and pybind11
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = Path(__file__).resolve().parent
SOURCE = Path(os.environ.get("CYRVERT_SOURCE_DIR", HERE.parent)).resolve()


def version():
    """The project's version, from the top-level CMakeLists (the one place it is set)."""
    text = (SOURCE / "CMakeLists.txt").read_text(encoding="utf-8")
    found = re.search(r"project\(cyrvert VERSION ([0-9.]+)", text)
    if not found:
        sys.exit(f"cannot find the project version in {SOURCE / 'CMakeLists.txt'}")
    return found.group(1)


class CMakeBuild(build_ext):
    """Configures the project with the editor and tests off and builds only the extension."""

    def build_extension(self, ext):
        if not (SOURCE / "api" / "cyrvert_api.h").is_file():
            sys.exit(
                f"{SOURCE} is not a Cyrvert source tree; build from the repository "
                "(pip install ./python) or set CYRVERT_SOURCE_DIR"
            )
        import pybind11

        build = Path(self.build_temp).resolve() / "cmake"
        out = build / "extension"
        config = "Debug" if self.debug else "Release"
        configure = [
            "cmake", "-S", str(SOURCE), "-B", str(build),
            f"-DCMAKE_BUILD_TYPE={config}",
            "-DCYRVERT_BUILD_GUI=OFF",
            "-DCYRVERT_BUILD_TESTS=OFF",
            f"-DPython3_EXECUTABLE={sys.executable}",
            f"-Dpybind11_DIR={pybind11.get_cmake_dir()}",
            f"-DCYRVERT_PYTHON_OUTPUT_DIR={out}",
        ]
        if shutil.which("ccache"):
            configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
        subprocess.run(
            ["cmake", "--build", str(build), "--target", "_cyrvert", "-j", jobs], check=True
        )
        built = next(out.glob("_cyrvert*.so"), None)
        if built is None:
            sys.exit(f"the build left no _cyrvert*.so in {out}")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    version=version(),
    ext_modules=[Extension("cyrvert._cyrvert", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
