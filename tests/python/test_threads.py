"""Calls on several threads are independent: each has its own window, and the
core runs with the GIL released."""

from concurrent.futures import ThreadPoolExecutor

import numpy as np

import xraycalc

# A kV sweep with a few calls the window refuses among them, so that an error
# box on one thread could show whether it leaks into another's result.
SWEEP = [{"kv": 40 + 2.5 * k, "added": k % 7} for k in range(40)] + [{"kv": "abc"}, {"kv": 10}, {"mR": "-"}]


def outcome(kwargs):
    try:
        r = xraycalc.spectrum(**kwargs)
    except xraycalc.CalculationError as e:
        return ("error", str(e))
    return ("ok", r.energy_keV.tobytes(), r.inherent_percent.tobytes(), r.photons_per_mm2.tobytes(),
            r.fluence_per_mm2, r.mean_energy_keV, r.hvl1_mm_al, r.hvl2_mm_al, r.fluence_per_uGy)


def dqe_outcome(kv):
    r = xraycalc.dqe(kv=kv)
    return r.neq_per_mm2.tobytes() + r.dqe_percent.tobytes()


def test_thread_pool_sweep_equals_serial():
    serial = [outcome(kwargs) for kwargs in SWEEP]
    with ThreadPoolExecutor(max_workers=4) as pool:
        threaded = list(pool.map(outcome, SWEEP))
    assert threaded == serial
    assert sum(o[0] == "error" for o in serial) == 3


def test_threads_mixing_spectrum_and_dqe():
    kvs = np.linspace(50, 130, 24).tolist()
    serial = [dqe_outcome(kv) for kv in kvs]
    with ThreadPoolExecutor(max_workers=3) as pool:
        threaded = list(pool.map(dqe_outcome, kvs))
        spectra = list(pool.map(lambda kv: xraycalc.spectrum(kv=kv).hvl1_mm_al, kvs))
    assert threaded == serial
    assert spectra == [xraycalc.spectrum(kv=kv).hvl1_mm_al for kv in kvs]
