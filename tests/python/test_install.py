"""cmake --install puts the package where Debian's interpreter finds it, and it
runs from there without the build tree."""

import os
import pathlib
import subprocess
import sys

import pytest


def test_installed_package_runs(tmp_path):
    build = os.environ.get("XRAYCALC_BUILD_DIR")
    if not build:
        pytest.skip("XRAYCALC_BUILD_DIR is not set (ctest sets it to the build tree)")
    cmake = os.environ.get("XRAYCALC_CMAKE", "cmake")
    site = os.environ["XRAYCALC_PYTHON_INSTALL_DIR"]
    # Staged as the Debian package stages it: prefix /usr under DESTDIR.
    run = subprocess.run([cmake, "--install", build, "--prefix", "/usr"], env={**os.environ, "DESTDIR": str(tmp_path)},
                         capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    package = tmp_path / "usr" / site / "xraycalc"
    extensions = [p.name for p in package.glob("_xraycalc*.so")]
    assert len(extensions) == 1
    assert sorted(p.name for p in package.iterdir()) == sorted(["__init__.py", "__init__.pyi", "py.typed", *extensions])
    # /usr/<site> is on the system interpreter's own path.
    assert str(pathlib.Path("/usr", site)) in sys.path

    env = {k: v for k, v in os.environ.items() if not k.startswith(("PYTHON", "XRAYCALC"))}
    env["PYTHONPATH"] = str(tmp_path / "usr" / site)
    code = "import xraycalc; r = xraycalc.spectrum(kv=70, added=21); print(r.hvl1_mm_al); print(xraycalc.__file__)"
    out = subprocess.run([sys.executable, "-c", code], env=env, cwd=tmp_path, check=True, capture_output=True,
                         text=True).stdout.split("\n")
    assert out[0] == "6.597"
    assert out[1] == str(package / "__init__.py")
