"""The module gives the command line's numbers: spectra, DQE, sessions and
error boxes, for the same fields and tables."""

import json

import numpy as np
import pytest

import xraycalc
from conftest import GOLDEN_DIR, same_at_15_digits

# Keyword arguments of xraycalc.spectrum and the command line's options.
OPTIONS = {
    "kv": "--kv",
    "angle": "--angle",
    "inherent": "--inherent",
    "added": "--added",
    "w_density": "--w-density",
    "al_density": "--al-density",
    "mR": "--mR",
    "gamma": "--gamma",
    "fluence": "--fluence",
}

# A detector of its own, as a file would give it to the command line and as
# arrays to the module: a smooth MTF and a Wiener spectrum whose first row
# (as in the window) takes no part.
MTF_U = [0, 0.25, 0.5, 1, 2, 4]
MTF = [1, 0.93, 0.81, 0.6, 0.3, 0.07]
MTF_TEXT = "u\tMTF\n0\t1\n0.25\t0.93\n0.5\t0.81\n1\t0.6\n2\t0.3\n4\t0.07\n"
WS_U = [0.1, 0.5, 1, 2]
WS = [2.1, 1.9, 1.6, 1.2]
WS_TEXT = "c/mm\tWS\n0.1\t2.1\n0.5\t1.9\n1\t1.6\n2\t1.2\n"
# A thinner aluminium: every attenuation coefficient of the built-in table at 90 %.
AL_U, AL_MU = xraycalc.builtin_table("MemokeVAlu")
AL_THIN = (AL_U, AL_MU * 0.9)


def cli_args(kwargs, tmp_path):
    """Command-line options for module arguments; tables go through files."""
    args = []
    for key, value in kwargs.items():
        if key in OPTIONS:
            args += [OPTIONS[key], str(value)]
            continue
        tables = dict(kwargs["tables"]) if key == "tables" else {{"mtf": "MemoMTF", "ws": "MemoWS"}[key]: value}
        for name, table in tables.items():
            if not isinstance(table, str):  # arrays, in 17 digits: each reads back to its double
                x, y = np.asarray(table[0], dtype=float), np.asarray(table[1], dtype=float)
                table = "caption\n" + "".join(f"{a:.17g}\t{b:.17g}\n" for a, b in zip(x, y))
            path = tmp_path / f"{name}.txt"
            path.write_text(table)
            args += ["--table", f"{name}={path}"]
    return args


def columns(text):
    return [line.split("\t") for line in text.splitlines()]


SPECTRUM_CASES = [
    {},
    {"kv": 70, "added": 21},
    {"kv": "100", "added": "10"},
    {"kv": 149.9},
    {"kv": 15},
    {"kv": 60.25, "angle": 20, "inherent": "1.5", "w_density": 19.3, "al_density": "2.699", "mR": 2},
    {"kv": 90, "tables": {"MemokeVAlu": AL_THIN}},
]


@pytest.mark.parametrize("kwargs", SPECTRUM_CASES, ids=repr)
def test_spectrum_equals_cli(kwargs, cli, tmp_path):
    r = xraycalc.spectrum(**kwargs)
    run = cli("spectrum", *cli_args(kwargs, tmp_path))
    assert run.status == 0, run.err
    rows = columns(run.out)
    blank = rows.index([""])
    table, summary = rows[1:blank], dict(rows[blank + 1:])

    assert len(table) == len(r.energy_keV) > 0
    for k, (energy, inherent, photons) in enumerate(table):
        assert same_at_15_digits(r.energy_keV[k], energy), k
        assert same_at_15_digits(r.inherent_percent[k], inherent), k
        assert same_at_15_digits(r.photons_per_mm2[k], photons), k
    assert same_at_15_digits(r.fluence_per_mm2, summary["Fluence(photons/mm^2)"])
    assert same_at_15_digits(r.mean_energy_keV, summary["MeanEnergy(keV)"])
    # The layers lie on the 0.001 mm grid: the printed text is the whole number.
    assert repr(r.hvl1_mm_al) == summary["HVL1(mm Al)"]
    assert repr(r.hvl2_mm_al) == summary["HVL2(mm Al)"]


DQE_CASES = [
    {},
    {"kv": 100},
    {"fluence": "250000", "ws": WS_TEXT},
    {"fluence": 123456.5, "mtf": (MTF_U, MTF), "ws": (WS_U, WS), "gamma": 2.5},
    {"gamma": "900", "kv": 70, "added": 21, "mtf": MTF_TEXT},
]


@pytest.mark.parametrize("kwargs", DQE_CASES, ids=repr)
def test_dqe_equals_cli(kwargs, cli, tmp_path):
    r = xraycalc.dqe(**kwargs)
    run = cli("dqe", *cli_args(kwargs, tmp_path))
    assert run.status == 0, run.err
    rows = columns(run.out)[1:]
    assert len(rows) == len(r.frequency_per_mm) > 0
    # The module reads the rows of the result boxes the command line prints.
    assert r.frequency_per_mm.tolist() == [float(u) for u, _, _ in rows]
    assert r.neq_per_mm2.tolist() == [float(n) for _, n, _ in rows]
    assert r.dqe_percent.tolist() == [float(d) for _, _, d in rows]


@pytest.mark.parametrize("steps_file", sorted(GOLDEN_DIR.glob("*.steps.json")), ids=lambda p: p.name)
def test_golden_session_equals_cli(steps_file, cli):
    text = steps_file.read_text()
    run = cli("session", steps_file)
    assert run.status == 0, run.err
    expected = json.loads(run.out)
    # As a list of steps and as their JSON text.
    assert xraycalc.session(json.loads(text)) == expected
    assert xraycalc.session(text) == expected


def test_session_with_tables_equals_cli(cli, tmp_path):
    steps = [{"press": "ButtonSpectl"}, {"press": "ButtonCalDQE"}]
    tables = {"MemoWS": WS_TEXT, "MemoMTF": MTF_TEXT}
    run = cli("session", *cli_args({"tables": tables}, tmp_path), stdin=json.dumps(steps))
    assert run.status == 0, run.err
    assert xraycalc.session(steps, tables=tables) == json.loads(run.out)


# Runs the window ends with an error box; the command line prints it and exits 1.
ERROR_CASES = [
    ("spectrum", {"mR": "abc"}),
    ("spectrum", {"kv": 10}),  # below 15 kV: no photons, no beam quality
    ("spectrum", {"kv": 150}),  # the tungsten table ends at 150 keV
    ("spectrum", {"kv": "1e400"}),
    ("spectrum", {"tables": {"MemokeVAir": "air\n15\t-1\n"}}),
    ("dqe", {"gamma": "x"}),
    ("dqe", {"fluence": "0"}),
    ("dqe", {"kv": "８０"}),  # full-width digits are not a number
    ("dqe", {"fluence": 1e5, "ws": (WS_U, WS), "mtf": ([0.0], [1.0])}),  # the MTF table ends below 0.5
]


@pytest.mark.parametrize("command, kwargs", ERROR_CASES, ids=repr)
def test_error_box_equals_cli(command, kwargs, cli, tmp_path):
    run = cli(command, *cli_args(kwargs, tmp_path))
    assert run.status == 1 and run.out == ""
    with pytest.raises(xraycalc.CalculationError) as caught:
        getattr(xraycalc, command)(**kwargs)
    assert str(caught.value) == run.err.rstrip("\n")
