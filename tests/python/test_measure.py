"""The detector measured from NumPy images, against images rendered from
analytic models: a Gaussian-blurred edge integrated over square pixels, and
white noise on flat fields."""

import math
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import xraycalc

PITCH_MM = 0.1
TILT_DEG = 5.0
SIGMA_PX = 0.6  # the blur of the edge, along its normal


def normal_cdf_integral(z):
    """G(z) = z Phi(z) + phi(z), whose derivative is the normal CDF Phi."""
    phi = np.exp(-z * z / 2) / math.sqrt(2 * math.pi)
    cdf = 0.5 * (1 + np.vectorize(math.erf)(z / math.sqrt(2)))
    return z * cdf + phi


def edge_image(width=100, height=120, low=100.0, high=1000.0, rows_per_pixel=8, tilt_deg=TILT_DEG):
    """An edge running down the columns, tilted from them, blurred by a Gaussian
    of SIGMA_PX along its normal: each pixel integrated exactly across the
    edge and sampled rows_per_pixel times along it."""
    tan, cos = math.tan(math.radians(tilt_deg)), math.cos(math.radians(tilt_deg))
    s = SIGMA_PX / cos  # the blur along a row
    x = np.arange(width)[None, :]
    image = np.zeros((height, width))
    for k in range(rows_per_pixel):
        y = np.arange(height)[:, None] - 0.5 + (k + 0.5) / rows_per_pixel
        edge_x = width / 2 + (y - height / 2) * tan
        exposed = s * (normal_cdf_integral((x + 0.5 - edge_x) / s) - normal_cdf_integral((x - 0.5 - edge_x) / s))
        image += low + (high - low) * exposed
    return image / rows_per_pixel


def true_mtf(frequency_per_mm):
    """The Gaussian's transform times the square pixel's aperture seen along the
    edge normal (two boxes, cos and sin of the tilt wide)."""
    f = frequency_per_mm * PITCH_MM  # cycles per pixel
    t = math.radians(TILT_DEG)
    return np.exp(-2 * math.pi**2 * SIGMA_PX**2 * f**2) * np.sinc(f * math.cos(t)) * np.sinc(f * math.sin(t))


@pytest.fixture(scope="module")
def edge():
    return edge_image()


def test_mtf_of_a_blurred_edge(edge):
    m = xraycalc.mtf_from_edge(edge, PITCH_MM)
    assert m.along_columns and m.tilt_deg == pytest.approx(TILT_DEG, abs=0.01)
    assert m.pitch_mm == PITCH_MM and m.nyquist_per_mm == pytest.approx(5)
    assert m.frequency_per_mm[0] == 0 and m.mtf[0] == 1
    assert m.frequency_per_mm[-1] >= 1.1 * m.nyquist_per_mm
    np.testing.assert_allclose(m.mtf, true_mtf(m.frequency_per_mm), atol=0.015)
    assert len(m.esf) == len(m.lsf) > 0
    # The edge crosses the first and last row where it was drawn.
    (x0, y0), (x1, y1) = m.edge_ends
    tan = math.tan(math.radians(TILT_DEG))
    assert (y0, y1) == (0, 119)
    assert x0 == pytest.approx(50 - 60 * tan, abs=0.05) and x1 == pytest.approx(50 + 59 * tan, abs=0.05)


def test_mtf_frequencies_follow_the_pitch(edge):
    fine, coarse = xraycalc.mtf_from_edge(edge, 0.05), xraycalc.mtf_from_edge(edge, 0.2)
    assert fine.nyquist_per_mm == pytest.approx(4 * coarse.nyquist_per_mm)
    np.testing.assert_allclose(np.interp(coarse.frequency_per_mm * 4, fine.frequency_per_mm, fine.mtf),
                               coarse.mtf, atol=1e-4)


def test_mtf_of_the_same_edge_in_other_forms(edge):
    m = xraycalc.mtf_from_edge(edge, PITCH_MM)
    # Along the rows: the same edge transposed.
    t = xraycalc.mtf_from_edge(edge.T, PITCH_MM)
    assert not t.along_columns
    np.testing.assert_allclose(t.mtf, m.mtf, rtol=1e-12)
    # Whole numbers as 16-bit pixels or as doubles: the same values, the same result.
    whole = np.round(edge)
    assert (xraycalc.mtf_from_edge(whole.astype(np.uint16), PITCH_MM).mtf
            == xraycalc.mtf_from_edge(whole, PITCH_MM).mtf).all()
    # A logarithmic detector, value = c + gamma log10(exposure), measured as such.
    gamma = 500.0
    log_image = 2000 + gamma * np.log10(edge)
    np.testing.assert_allclose(xraycalc.mtf_from_edge(log_image, PITCH_MM, response="logarithmic", gamma=gamma).mtf,
                               m.mtf, atol=1e-9)
    # A dark offset under a linear response takes nothing from the MTF.
    np.testing.assert_allclose(xraycalc.mtf_from_edge(edge + 50, PITCH_MM, dark_offset=50).mtf, m.mtf, atol=1e-9)
    # A region around the edge.
    np.testing.assert_allclose(xraycalc.mtf_from_edge(edge, PITCH_MM, region=(10, 0, 80, 120)).mtf, m.mtf, atol=0.01)


def white_flats(count=2, size=512, mean=1000.0, sd=10.0, seed=7):
    rng = np.random.default_rng(seed)
    return [mean + sd * rng.standard_normal((size, size)) for _ in range(count)]


def test_nnps_of_white_noise():
    flats = white_flats()
    n = xraycalc.nnps_from_flats(flats, PITCH_MM)
    # White noise of variance sd^2 on a mean m: NNPS = sd^2 pitch^2 / m^2 at every frequency.
    truth = 10.0**2 * PITCH_MM**2 / 1000.0**2
    assert n.images == 2 and n.squares == 2 * 3 * 3  # 256-pixel squares overlapping by half
    np.testing.assert_allclose(n.means, [f.mean() for f in flats], rtol=1e-12)
    assert n.nnps.mean() == pytest.approx(truth, rel=0.05)
    np.testing.assert_allclose(n.nnps, truth, rtol=0.25)
    assert 0 < n.frequency_per_mm[0] and n.frequency_per_mm[-1] <= 5 and len(n.frequency_per_mm) == 32
    # On the DQE page's scale: W = (gamma log10 e)^2 NNPS.
    np.testing.assert_allclose(n.wiener, (1023.75 * math.log10(math.e)) ** 2 * n.nnps, rtol=1e-12)


def test_nnps_ignores_smooth_trends():
    flats = white_flats()
    ramp = np.add.outer(np.linspace(-40, 40, 512), np.linspace(-25, 25, 512))  # mean 0: the normalisation stays
    plain = xraycalc.nnps_from_flats(flats, PITCH_MM)
    ramped = xraycalc.nnps_from_flats(np.array([f + ramp for f in flats]), PITCH_MM)
    np.testing.assert_allclose(ramped.nnps, plain.nnps, rtol=1e-8)


def write_pgm(path, image):
    """A 16-bit binary PGM, as the command line reads it."""
    pixels = np.asarray(image, dtype=">u2")
    path.write_bytes(f"P5\n{pixels.shape[1]} {pixels.shape[0]}\n65535\n".encode() + pixels.tobytes())
    return path


def test_measurements_equal_cli(edge, cli, tmp_path):
    whole = np.round(edge)
    edge_file = write_pgm(tmp_path / "edge.pgm", whole)
    run = cli("mtf", edge_file, "--pitch", PITCH_MM, "--roi", "5,0,90,120")
    assert run.status == 0, run.err
    assert xraycalc.mtf_from_edge(whole.astype(np.uint16), PITCH_MM, region=(5, 0, 90, 120)).table_text == run.out

    flats = [np.round(f) for f in white_flats(size=300)]
    files = [write_pgm(tmp_path / f"flat{k}.pgm", f) for k, f in enumerate(flats)]
    run = cli("nnps", *files, "--pitch", PITCH_MM, "--dark-offset", 100)
    assert run.status == 0, run.err
    assert xraycalc.nnps_from_flats(flats, PITCH_MM, dark_offset=100).table_text == run.out


def test_measured_detector_into_dqe(edge):
    m = xraycalc.mtf_from_edge(edge, PITCH_MM)
    n = xraycalc.nnps_from_flats(white_flats(), PITCH_MM, axis="horizontal")
    q = 2.5e5
    r = xraycalc.dqe(fluence=q, mtf=m.table_text, ws=n.table_text)
    # Every measured frequency is used (the table's extra first row is the one skipped).
    np.testing.assert_allclose(r.frequency_per_mm, n.frequency_per_mm, rtol=1e-5)
    # For linear data NEQ = MTF^2 / NNPS and DQE = NEQ / q; the tables carry six digits.
    mtf = np.interp(n.frequency_per_mm, m.frequency_per_mm, m.mtf)
    np.testing.assert_allclose(r.neq_per_mm2, mtf**2 / n.nnps, rtol=2e-5)
    np.testing.assert_allclose(r.dqe_percent, 100 * mtf**2 / n.nnps / q, rtol=2e-5)


def test_measurements_on_threads_equal_serial(edge):
    jobs = [lambda: xraycalc.mtf_from_edge(edge, PITCH_MM).mtf.tobytes(),
            lambda: xraycalc.nnps_from_flats(white_flats(size=300), PITCH_MM).nnps.tobytes()] * 3
    serial = [job() for job in jobs]
    with ThreadPoolExecutor(max_workers=3) as pool:
        assert list(pool.map(lambda job: job(), jobs)) == serial


# Images the analysis cannot use, and a word of each message.
FAILED_ANALYSES = [
    ("uniform", xraycalc.mtf_from_edge, lambda: (np.full((100, 100), 500.0), PITCH_MM), "no straight edge"),
    ("edge 20 deg", xraycalc.mtf_from_edge, lambda: (edge_image(tilt_deg=20), PITCH_MM), "tilted"),
    ("edge too small", xraycalc.mtf_from_edge, lambda: (np.zeros((5, 5)), PITCH_MM), "region"),
    ("flat too small", xraycalc.nnps_from_flats, lambda: ([np.ones((100, 100))], PITCH_MM), "256"),
    ("sizes differ", xraycalc.nnps_from_flats, lambda: (white_flats(size=300) + white_flats(size=260), PITCH_MM),
     "differ in size"),
    ("no signal", xraycalc.nnps_from_flats, lambda: ([np.zeros((256, 256))], PITCH_MM), "dark offset"),
]


@pytest.mark.parametrize("name, function, args, words", FAILED_ANALYSES, ids=[c[0] for c in FAILED_ANALYSES])
def test_failed_analyses(name, function, args, words):
    with pytest.raises(xraycalc.CalculationError) as caught:
        function(*args())
    assert words in str(caught.value)


FLAT = np.ones((256, 256))
BAD_ARGUMENTS = [
    (xraycalc.mtf_from_edge, (FLAT, 0), {}, ValueError, "pixel_mm"),
    (xraycalc.mtf_from_edge, (FLAT, math.inf), {}, ValueError, "pixel_mm"),
    (xraycalc.mtf_from_edge, (FLAT, "0.1"), {}, TypeError, "pixel_mm"),
    (xraycalc.mtf_from_edge, (FLAT[0], 0.1), {}, ValueError, "image"),
    (xraycalc.mtf_from_edge, (FLAT.astype(complex), 0.1), {}, TypeError, "image"),
    (xraycalc.mtf_from_edge, (np.zeros((0, 4)), 0.1), {}, ValueError, "image"),
    (xraycalc.mtf_from_edge, (FLAT, 0.1), {"region": (0, 0, 300, 10)}, ValueError, "region"),
    (xraycalc.mtf_from_edge, (FLAT, 0.1), {"region": (0, 0, 10)}, TypeError, "region"),
    (xraycalc.mtf_from_edge, (FLAT, 0.1), {"region": (0, 0, 10.5, 10)}, TypeError, "region"),
    (xraycalc.mtf_from_edge, (FLAT, 0.1), {"response": "log"}, ValueError, "response"),
    (xraycalc.mtf_from_edge, (FLAT, 0.1), {"gamma": -1}, ValueError, "gamma"),
    (xraycalc.mtf_from_edge, (FLAT, 0.1), {"dark_offset": math.nan}, ValueError, "dark_offset"),
    (xraycalc.nnps_from_flats, ([], 0.1), {}, ValueError, "images"),
    (xraycalc.nnps_from_flats, (FLAT, 0.1), {}, ValueError, "images[0]"),
    (xraycalc.nnps_from_flats, ("flat.tif", 0.1), {}, TypeError, "images"),
    (xraycalc.nnps_from_flats, ([FLAT], 0.1), {"axis": "diagonal"}, ValueError, "axis"),
]


@pytest.mark.parametrize("function, args, kwargs, error, words", BAD_ARGUMENTS,
                         ids=[f"{f.__name__}-{w}-{k}" for f, _, k, _, w in BAD_ARGUMENTS])
def test_bad_arguments(function, args, kwargs, error, words):
    with pytest.raises(error) as caught:
        function(*args, **kwargs)
    assert words in str(caught.value)
