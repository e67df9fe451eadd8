# SPDX-License-Identifier: MIT
"""Builds the extension module vexaro._vexaro with the project's CMake build.

pip install --no-build-isolation .   (with /usr/bin/python3's packages:
cmake, g++, pybind11-dev, python3-dev, python3-setuptools, python3-wheel)

The module is built for the interpreter that runs pip. VEXARO_BUILD_DIR
names an existing CMake build tree to build it in instead of a fresh one;
CMAKE_BUILD_PARALLEL_LEVEL sets the build's jobs (2 by default).
"""
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(vexaro VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build_dir = Path(os.environ.get("VEXARO_BUILD_DIR") or BUILD_BASE / "cmake")
        if not (build_dir / "CMakeCache.txt").exists():
            subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build_dir),
                            "-DCMAKE_BUILD_TYPE=Release", "-DVEXARO_BUILD_PYTHON=ON",
                            f"-DPython_EXECUTABLE={sys.executable}",
                            "-DVEXARO_BUILD_TESTING=OFF", "-DVEXARO_BUILD_EXAMPLES=OFF",
                            "-DVEXARO_INSTALL=OFF"], check=True)
        env = {"CMAKE_BUILD_PARALLEL_LEVEL": "2", **os.environ}
        subprocess.run(["cmake", "--build", str(build_dir), "--target", "vexaro_python"],
                       check=True, env=env)
        built = next((build_dir / "python" / "vexaro").glob("_vexaro.*"))
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


# Setuptools' own files go beside the CMake build trees, which .gitignore
# leaves out, or into the build tree given.
BUILD_BASE = Path(os.environ.get("VEXARO_BUILD_DIR") or ROOT / "build-setuptools") / "setuptools"
BUILD_BASE.mkdir(parents=True, exist_ok=True)
setup(
    version=project_version(),
    packages=["vexaro"],
    package_dir={"": "python"},
    package_data={"vexaro": ["py.typed", "__init__.pyi"]},
    ext_modules=[Extension("vexaro._vexaro", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": str(BUILD_BASE)}, "egg_info": {"egg_base": str(BUILD_BASE)}},
)
