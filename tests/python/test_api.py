"""The Python side of the module: how arguments become field texts and tables,
the arguments it refuses, the result objects, and the stub."""

import ast
import inspect
import json
import math
import pathlib

import numpy as np
import pytest

import xraycalc


def summary(r):
    return (r.fluence_per_mm2, r.mean_energy_keV, r.hvl1_mm_al, r.hvl2_mm_al, r.fluence_per_uGy)


# A value and the text it stands for in its field. Numbers are written so that
# the window reads back the same double; strings go in as typed.
FIELD_VALUES = [
    ("kv", 70.1, "70.1"),
    ("kv", np.float64(70.1), "70.1"),
    ("kv", np.float32(70.1), "70.09999847412109"),
    ("kv", " 70.1 ", "70.1"),
    ("kv", "7.01E1", "70.1"),
    ("kv", 70, "70"),
    ("kv", np.int64(70), "70"),
    ("added", 1 / 3, "0.333333333333333333"),
    ("added", 21.000000000000004, "21.000000000000004"),
    ("mR", 1e-3, "0.001"),
]


@pytest.mark.parametrize("argument, value, text", FIELD_VALUES, ids=repr)
def test_numbers_and_strings(argument, value, text):
    assert summary(xraycalc.spectrum(**{argument: value})) == summary(xraycalc.spectrum(**{argument: text}))


def test_table_as_arrays_equals_the_same_table_as_text():
    u, mtf = [0, 0.1, 0.7, 3.5], [1, 0.95, 2 / 3, 0.1]
    text = "MTF\n" + "".join(f"{a:.17g}\t{b:.17g}\n" for a, b in zip(u, mtf))
    for mtf_table in [(u, mtf), (np.array(u), np.array(mtf)), np.array([u, mtf])]:
        by_arrays = xraycalc.dqe(fluence=1e5, mtf=mtf_table)
        by_text = xraycalc.dqe(fluence=1e5, mtf=text)
        assert by_arrays.neq_per_mm2.tolist() == by_text.neq_per_mm2.tolist()


def test_tables_apply_to_their_call_only():
    default = xraycalc.spectrum(kv=90)
    u, mu = xraycalc.builtin_table("MemokeVAlu")
    heavy = xraycalc.spectrum(kv=90, tables={"MemokeVAlu": (u, mu * 1.1)})
    assert xraycalc.spectrum(kv=90).hvl1_mm_al == default.hvl1_mm_al != heavy.hvl1_mm_al


def test_results_are_read_only():
    r = xraycalc.spectrum()
    with pytest.raises(ValueError):
        r.photons_per_mm2[0] = 0
    with pytest.raises(AttributeError):
        r.hvl1_mm_al = 1.0
    x, _ = xraycalc.builtin_table("MemoMTF")
    with pytest.raises(ValueError):
        x[0] = 1


def test_rqa_beams():
    # IEC 61267: tube voltage (kV) and added aluminium (mm); RQA10 at 150 kV is beyond the model.
    assert xraycalc.RQA_BEAMS == {
        "RQA2": (40, 4), "RQA3": (50, 10), "RQA4": (60, 16), "RQA5": (70, 21),
        "RQA6": (80, 26), "RQA7": (90, 30), "RQA8": (100, 34), "RQA9": (120, 40),
    }


# Arguments the module refuses before anything runs, and a word each message must hold.
BAD_ARGUMENTS = [
    (xraycalc.spectrum, {"kv": None}, TypeError, "kv"),
    (xraycalc.spectrum, {"added": True}, TypeError, "added"),
    (xraycalc.spectrum, {"mR": [0.95]}, TypeError, "mR"),
    (xraycalc.spectrum, {"mR": math.nan}, ValueError, "mR"),
    (xraycalc.spectrum, {"angle": -math.inf}, ValueError, "angle"),
    (xraycalc.spectrum, {"tables": {"MemoNEQ": "x"}}, ValueError, "MemoNEQ"),
    (xraycalc.spectrum, {"tables": {"Aluminium": "x"}}, ValueError, "Aluminium"),
    (xraycalc.spectrum, {"tables": [("MemoMTF", "x")]}, TypeError, "tables"),
    (xraycalc.spectrum, {"tables": {"MemoMTF": 3}}, TypeError, "MemoMTF"),
    (xraycalc.spectrum, {"tables": {"MemoMTF": ([0, 1], [1])}}, ValueError, "MemoMTF"),
    (xraycalc.spectrum, {"tables": {"MemoMTF": ([0, 1], [1, np.nan])}}, ValueError, "MemoMTF"),
    (xraycalc.spectrum, {"tables": {"MemoMTF": ([[0, 1]], [[1, 1]])}}, ValueError, "MemoMTF"),
    (xraycalc.spectrum, {"tables": {"MemoMTF": (["a"], [1])}}, TypeError, "MemoMTF"),
    (xraycalc.dqe, {"fluence": 1e5, "kv": 70}, ValueError, "fluence and kv"),
    (xraycalc.dqe, {"kV": 70}, TypeError, "kV"),
    (xraycalc.dqe, {"gamma": None}, TypeError, "gamma"),
    (xraycalc.dqe, {"ws": (1, 2, 3)}, TypeError, "ws"),
    (xraycalc.dqe, {"mtf": "MTF\n0\t1\n", "tables": {"MemoMTF": "MTF\n0\t1\n"}}, ValueError, "mtf"),
    (xraycalc.session, {"steps": [{"press": "EditkV"}]}, ValueError, "step 0: cannot press 'EditkV'"),
    (xraycalc.session, {"steps": [{"set": "EditkV", "text": 70}]}, ValueError, "step 0"),
    (xraycalc.session, {"steps": "[{"}, ValueError, "steps: bad JSON"),
    (xraycalc.session, {"steps": 42}, TypeError, "steps"),
    (xraycalc.session, {"steps": {"press": "ButtonSpectl"}}, TypeError, "steps"),
    (xraycalc.session, {"steps": [{"press": object()}]}, TypeError, "steps"),
    (xraycalc.builtin_table, {"name": "MemoDQE"}, ValueError, "MemoDQE"),
    (xraycalc.builtin_table, {"name": 3}, TypeError, "name"),
]


@pytest.mark.parametrize("function, kwargs, error, words", BAD_ARGUMENTS,
                         ids=[f"{f.__name__}-{k}" for f, k, _, _ in BAD_ARGUMENTS])
def test_bad_arguments(function, kwargs, error, words):
    with pytest.raises(error) as caught:
        function(**kwargs)
    assert words in str(caught.value)
    assert not isinstance(caught.value, xraycalc.CalculationError)


def test_calculation_error_is_raised_for_error_boxes_only():
    assert issubclass(xraycalc.CalculationError, Exception)
    assert not issubclass(xraycalc.CalculationError, (ValueError, TypeError))
    assert xraycalc.CalculationError.__module__ == "xraycalc"
    # An error box inside a session is part of the state, not an exception.
    state = xraycalc.session([{"set": "EditmR", "text": "abc"}, {"press": "ButtonSpectl"}])
    assert state["errors"] == [{"step": 1, "message": "'abc' は浮動小数点数ではありません."}]


def test_session_returns_the_whole_state():
    state = xraycalc.session([{"set": "EditkV", "text": "70"}, {"press": "ButtonSpectl"}])
    assert set(state) == {"fields", "memos", "series", "clipboard", "errors", "store"}
    r = xraycalc.spectrum(kv=70)
    assert [x for x, _ in state["series"]["FastLineSeries6"]] == r.energy_keV.tolist()
    assert [y for _, y in state["series"]["FastLineSeries6"]] == r.photons_per_mm2.tolist()
    assert json.loads(json.dumps(state)) == state


def stub_tree():
    path = pathlib.Path(xraycalc.__file__).with_suffix(".pyi")
    return ast.parse(path.read_text())


def test_stub_names_match_the_module():
    public = set()
    for node in stub_tree().body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            public.add(node.name)
        elif isinstance(node, ast.AnnAssign):
            public.add(node.target.id)
        elif isinstance(node, ast.Assign):
            public.update(t.id for t in node.targets)
    public = {n for n in public if not n.startswith("_")}
    assert public == set(xraycalc.__all__)
    for name in xraycalc.__all__:
        assert hasattr(xraycalc, name), name


def test_stub_signatures_match_the_module():
    for node in stub_tree().body:
        if isinstance(node, ast.FunctionDef):
            a = node.args
            defaults = [None] * (len(a.args) - len(a.defaults)) + a.defaults + a.kw_defaults
            stub = [(arg.arg, d and ast.literal_eval(d)) for arg, d in zip(a.args + a.kwonlyargs, defaults)]
            stub += [("**" + a.kwarg.arg, None)] if a.kwarg else []
            params = inspect.signature(getattr(xraycalc, node.name)).parameters.values()
            real = [("**" + p.name if p.kind is p.VAR_KEYWORD else p.name, None if p.default is p.empty else p.default)
                    for p in params]
            assert stub == real, node.name
        elif isinstance(node, ast.ClassDef) and node.name.endswith("Result"):
            fields = [n.target.id for n in node.body if isinstance(n, ast.AnnAssign)]
            assert fields == list(getattr(xraycalc, node.name).__dataclass_fields__), node.name


def test_docstrings():
    for name in xraycalc.__all__:
        obj = getattr(xraycalc, name)
        if callable(obj):
            assert inspect.getdoc(obj), name
