"""Shared helpers of the Python module's tests.

The module is imported from the build tree (PYTHONPATH=<build>/python) and
compared with the command line of the same build, whose path ctest passes in
XRAYCALC_CLI.
"""

import os
import pathlib
import subprocess
from dataclasses import dataclass

import pytest

GOLDEN_DIR = pathlib.Path(__file__).resolve().parent.parent / "golden"


@dataclass
class CliRun:
    status: int
    out: str
    err: str


@pytest.fixture(scope="session")
def cli():
    """Runs xraycalc-cli with the given arguments (and standard input)."""
    path = os.environ.get("XRAYCALC_CLI")
    if not path:
        pytest.skip("XRAYCALC_CLI is not set (ctest sets it to the command line of the build)")

    def run(*args, stdin=""):
        p = subprocess.run([path, *map(str, args)], input=stdin.encode(), capture_output=True, check=False)
        return CliRun(p.returncode, p.stdout.decode(), p.stderr.decode())

    return run


def same_at_15_digits(value, text):
    """The command line prints 15 significant digits: a double agrees with the
    printed text when both round to the same 15-digit number."""
    return float(f"{value:.15g}") == float(text)
