"""The module's results against hand calculations from the reference tables and
from the definitions of the quantities, sharing no code with the core."""

import math

import numpy as np
import pytest

import xraycalc

LOG10_E = math.log10(math.e)


def loglog(table, x):
    """Power-law interpolation in a built-in table, done the long way."""
    u, v = xraycalc.builtin_table(table)
    return 10 ** np.interp(np.log10(x), np.log10(u), np.log10(v))


@pytest.mark.parametrize("kv, added", [(40, 4), (70, 21), (120, 40), (149.9, 0)])
def test_spectrum_arrays_and_summary(kv, added):
    r = xraycalc.spectrum(kv=kv, added=added)
    # Bins every 0.5 keV from 15 keV up to the tube voltage.
    n = int((kv - 15) / 0.5) + 1
    assert r.energy_keV.tolist() == [15 + 0.5 * k for k in range(n)]
    # The inherent spectrum is in percent of its largest bin.
    assert r.inherent_percent.max() == pytest.approx(100, rel=1e-12)
    # The fluence is the sum of the bins, and the mean energy their photon-weighted mean.
    assert r.fluence_per_mm2 == pytest.approx(r.photons_per_mm2.sum(), rel=1e-13)
    mean = (r.photons_per_mm2 * r.energy_keV).sum() / r.photons_per_mm2.sum()
    assert r.mean_energy_keV == pytest.approx(mean, rel=1e-12)


@pytest.mark.parametrize("mR", [0.95, 2.5])
def test_fluence_per_air_kerma(mR):
    # 1 mR of exposure is 2.58e-7 C/kg; at W/e = 33.97 J/C that is 8.764 uGy of
    # air kerma (the window rounds it to 8.76 uGy/mR).
    r = xraycalc.spectrum(kv=70, added=21, mR=mR)
    assert r.fluence_per_uGy == pytest.approx(r.fluence_per_mm2 / (mR * 2.58e-7 * 33.97 * 1e6), rel=1e-3)


def test_half_value_layers_by_hand():
    # Air kerma behind t mm of aluminium: sum N E (mu_en/rho)_air exp(-(mu/rho)_Al rho t).
    r = xraycalc.spectrum(kv=70, added=21)
    E, N = r.energy_keV, r.photons_per_mm2
    weight = N * E * loglog("MemokeVAir", E)
    mu_per_mm = loglog("MemokeVAlu", E) * 2.7 / 10

    def thickness(fraction):
        lo, hi = 0.0, 100.0
        for _ in range(100):
            mid = (lo + hi) / 2
            lo, hi = (mid, hi) if (weight * np.exp(-mu_per_mm * mid)).sum() > fraction * weight.sum() else (lo, mid)
        return hi

    t1, t2 = thickness(0.5), thickness(0.25)
    # Each layer is the first 0.001 mm step at or beyond the exact thickness.
    assert t1 - 1e-9 <= r.hvl1_mm_al < t1 + 0.001
    assert t2 - 1e-9 <= r.hvl1_mm_al + r.hvl2_mm_al < t2 + 0.001


def test_neq_and_dqe_by_hand():
    u_mtf, mtf = [0, 0.5, 1, 2, 4], [1, 0.8, 0.55, 0.25, 0.05]
    u_ws, ws = [0.05, 0.3, 0.75, 1.5, 3], [3.0, 2.5, 2.0, 1.0, 0.4]
    gamma, q = 2.5, 2e5
    r = xraycalc.dqe(gamma=gamma, fluence=q, mtf=(u_mtf, mtf), ws=(u_ws, ws))
    # As in the window, the first row of the Wiener spectrum takes no part.
    u, w = np.array(u_ws[1:]), np.array(ws[1:])
    neq = (gamma * LOG10_E) ** 2 * np.interp(u, u_mtf, mtf) ** 2 / w
    assert r.frequency_per_mm.tolist() == u.tolist()
    # The result boxes show 15 significant digits.
    np.testing.assert_allclose(r.neq_per_mm2, neq, rtol=1e-14)
    np.testing.assert_allclose(r.dqe_percent, neq / q * 100, rtol=1e-14)


def test_dqe_takes_the_fluence_of_the_spectrum():
    spectrum = xraycalc.spectrum(kv=70, added=21)
    by_spectrum = xraycalc.dqe(kv=70, added=21)
    by_fluence = xraycalc.dqe(fluence=spectrum.fluence_per_mm2)
    np.testing.assert_allclose(by_spectrum.dqe_percent, by_fluence.dqe_percent, rtol=1e-14)


def test_builtin_wiener_spectrum_frequencies():
    # The built-in Wiener spectrum is sampled at k / 9.6 cycles/mm, k = 1..32, to nine decimals.
    u, ws = xraycalc.builtin_table("MemoWS")
    assert u.tolist() == [round(k / 9.6, 9) for k in range(1, 33)]
    assert len(ws) == 32 and (ws > 0).all()
