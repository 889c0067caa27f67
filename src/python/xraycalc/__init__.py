"""The xraycalc core from Python, with NumPy arrays.

The tube spectrum of a tungsten target behind aluminium filtration, its fluence
and beam quality, and a detector's NEQ and DQE, computed by the same core as
the xraycalc window and ``xraycalc-cli``: every call drives a window of its
own, without a screen, exactly as a person would (texts typed into the fields,
tables pasted over, buttons pressed), so every number is the one the window and
the command line give.

    >>> import xraycalc
    >>> r = xraycalc.spectrum(kv=70, added=21)
    >>> r.hvl1_mm_al
    6.597

The detector can also be measured from its images: mtf_from_edge() and
nnps_from_flats() take NumPy arrays of pixel values, and their table_text
goes into dqe() as the window's detector page pastes it.

Arguments that go into the window's fields may be numbers or strings; a string
goes in as typed, so a text the window refuses raises :class:`CalculationError`
with the window's error-box text. The core runs with the GIL released, and
calls on several threads are independent.
"""

from __future__ import annotations

import inspect
import json
import math
import numbers
from collections.abc import Mapping, Sequence
from dataclasses import dataclass
from typing import Any, Optional, Union

import numpy as np

from . import _xraycalc

__all__ = [
    "CalculationError",
    "DqeResult",
    "MtfResult",
    "NnpsResult",
    "REFERENCE_TABLES",
    "RQA_BEAMS",
    "SpectrumResult",
    "builtin_table",
    "dqe",
    "mtf_from_edge",
    "nnps_from_flats",
    "session",
    "spectrum",
]

__version__: str = _xraycalc.__version__

CalculationError = _xraycalc.CalculationError

#: The reference tables of the window, by the names of their text boxes:
#: attenuation of tungsten and aluminium, energy absorption of air, the
#: Thomson-Whiddington constant, the K-photon share, the detector's MTF and its
#: Wiener spectrum. ``tables`` arguments replace them.
REFERENCE_TABLES: tuple[str, ...] = tuple(_xraycalc.REFERENCE_TABLES)


def _number(text: str) -> Union[int, float]:
    return int(text) if text.isdigit() else float(text)


#: The IEC 61267 RQA radiation qualities the model reaches: name -> (tube
#: voltage in kV, added aluminium in mm). RQA10 (150 kV) lies beyond it.
RQA_BEAMS: dict[str, tuple[Union[int, float], Union[int, float]]] = {
    name: (_number(kv), _number(added)) for name, kv, added in _xraycalc.standard_beams()
}

# Keyword arguments of the spectrum and the edit fields they are typed into.
_SPECTRUM_FIELDS = {
    "kv": "EditkV",
    "angle": "EditTAngl",
    "inherent": "EditInhrnt",
    "added": "EditAdd",
    "w_density": "EditDnsW",
    "al_density": "EditDnsAl",
    "mR": "EditmR",
}

_FieldValue = Union[str, float, int]
_TableValue = Union[str, tuple[Any, Any]]


def _readonly(a: np.ndarray) -> np.ndarray:
    a.setflags(write=False)
    return a


def _result(cls: Any, values: Mapping[str, Any]) -> Any:
    """A result object from the extension's values, its arrays made read-only."""
    fields = {name: values[name] for name in cls.__dataclass_fields__}
    return cls(**{name: _readonly(v) if isinstance(v, np.ndarray) else v for name, v in fields.items()})


@dataclass(frozen=True, repr=False)
class SpectrumResult:
    """The spectrum "Spectl" computes, calibrated for the exposure, and its beam quality.

    The arrays hold one entry per 0.5 keV bin, from 15 keV up to the tube voltage.
    """

    #: Photon energy of each bin, keV.
    energy_keV: np.ndarray
    #: The spectrum behind the inherent filtration, in percent of its largest bin.
    inherent_percent: np.ndarray
    #: The spectrum behind inherent and added filtration, photons per mm^2 for the exposure.
    photons_per_mm2: np.ndarray
    #: Total fluence behind all filtration, photons/mm^2 (the window's Photon# field).
    fluence_per_mm2: float
    #: Photon-weighted mean energy of the filtered spectrum, keV.
    mean_energy_keV: float
    #: First half-value layer of the filtered beam's air kerma, mm Al (0.001 mm grid).
    hvl1_mm_al: float
    #: Second half-value layer, mm Al.
    hvl2_mm_al: float
    #: Fluence per air kerma of the exposure, photons/mm^2 per uGy.
    fluence_per_uGy: float

    def __repr__(self) -> str:
        return (
            f"SpectrumResult(bins={len(self.energy_keV)}, fluence_per_mm2={self.fluence_per_mm2!r}, "
            f"mean_energy_keV={self.mean_energy_keV!r}, hvl1_mm_al={self.hvl1_mm_al!r}, "
            f"hvl2_mm_al={self.hvl2_mm_al!r}, fluence_per_uGy={self.fluence_per_uGy!r})"
        )


@dataclass(frozen=True, repr=False)
class DqeResult:
    """NEQ(u) and DQE(u) as the window's result boxes show them, one entry per
    frequency of the Wiener spectrum from its second row on."""

    #: Spatial frequency, cycles/mm.
    frequency_per_mm: np.ndarray
    #: Noise-equivalent quanta, 1/mm^2.
    neq_per_mm2: np.ndarray
    #: Detective quantum efficiency, percent.
    dqe_percent: np.ndarray

    def __repr__(self) -> str:
        return f"DqeResult(frequencies={len(self.frequency_per_mm)})"


def _field_text(argument: str, value: Any) -> str:
    """The text a field gets: a string as typed, a number in a form that reads back to the same double."""
    if isinstance(value, str):
        return value
    if isinstance(value, (bool, np.bool_)):
        raise TypeError(f"{argument}: expected a number or a string, not {type(value).__name__}")
    if isinstance(value, numbers.Integral):
        return str(int(value))
    if isinstance(value, numbers.Real):
        v = float(value)
        if not math.isfinite(v):
            raise ValueError(f"{argument}: expected a finite number, not {v!r}")
        return repr(v)
    raise TypeError(f"{argument}: expected a number or a string, not {type(value).__name__}")


def _column(argument: str, values: Any) -> list[float]:
    try:
        a = np.asarray(values, dtype=float)
    except (TypeError, ValueError) as e:
        raise TypeError(f"{argument}: expected numbers ({e})") from None
    if a.ndim != 1:
        raise ValueError(f"{argument}: expected a one-dimensional array, not {a.ndim} dimensions")
    if not np.all(np.isfinite(a)):
        raise ValueError(f"{argument}: expected finite numbers")
    return a.tolist()


def _table_text(argument: str, name: str, value: Any) -> str:
    """A table as the text pasted over its box: a text as given; a pair of
    arrays (x, y) as the built-in caption and one "x<TAB>y" row per point."""
    if isinstance(value, str):
        return value
    if isinstance(value, (bytes, Mapping)) or not isinstance(value, (Sequence, np.ndarray)) or len(value) != 2:
        raise TypeError(f"{argument}: expected a table text or a pair of arrays (x, y)")
    x = _column(f"{argument} x", value[0])
    y = _column(f"{argument} y", value[1])
    if len(x) != len(y):
        raise ValueError(f"{argument}: x has {len(x)} values, y {len(y)}")
    caption = _xraycalc.builtin_table(name)[0]
    return "\n".join([caption] + [f"{a!r}\t{b!r}" for a, b in zip(x, y)])


def _tables(tables: Optional[Mapping[str, _TableValue]]) -> list[tuple[str, str]]:
    if tables is None:
        return []
    if not isinstance(tables, Mapping):
        raise TypeError(f"tables: expected a mapping of table names to tables, not {type(tables).__name__}")
    pasted = []
    for name, value in tables.items():
        if name not in REFERENCE_TABLES:
            raise ValueError(f"tables: {name!r} is not a reference table (one of {', '.join(REFERENCE_TABLES)})")
        pasted.append((name, _table_text(f"tables[{name!r}]", name, value)))
    return pasted


def _spectrum_fields(values: Mapping[str, Any]) -> list[tuple[str, str]]:
    return [(field, _field_text(argument, values[argument])) for argument, field in _SPECTRUM_FIELDS.items()]


def spectrum(
    kv: _FieldValue = 80,
    angle: _FieldValue = 11,
    inherent: _FieldValue = 2.5,
    added: _FieldValue = 19.3,
    w_density: _FieldValue = 19.21,
    al_density: _FieldValue = 2.7,
    mR: _FieldValue = 0.95,
    tables: Optional[Mapping[str, _TableValue]] = None,
) -> SpectrumResult:
    """Press "Spectl": the tube spectrum, its fluence and its beam quality.

    Args:
        kv: tube voltage, kV (15 up to just below 150).
        angle: target angle, degrees.
        inherent: inherent filtration, mm Al.
        added: added filtration, mm Al.
        w_density: density of the tungsten target, g/cm^3.
        al_density: density of the aluminium filters, g/cm^3.
        mR: exposure in air behind the filters, mR; the spectrum is calibrated to it.
        tables: reference tables to paste over the built-in ones before the
            window is created, by name (see REFERENCE_TABLES): a table text
            (caption line, then "x<TAB>y" rows) or a pair of arrays (x, y).

    Each field argument is a number or a string typed into the field as it is.

    Raises:
        CalculationError: the window showed an error box (its text is the message).
        TypeError, ValueError: an argument the window cannot be given.
    """
    values = dict(kv=kv, angle=angle, inherent=inherent, added=added, w_density=w_density,
                  al_density=al_density, mR=mR)
    d = _xraycalc.spectrum(_spectrum_fields(values), _tables(tables))
    return _result(SpectrumResult, d)


# The window's start texts, as spectrum() takes them by default.
_SPECTRUM_DEFAULTS = {a: p.default for a, p in inspect.signature(spectrum).parameters.items() if a in _SPECTRUM_FIELDS}


def dqe(
    gamma: _FieldValue = 1023.75,
    fluence: Optional[_FieldValue] = None,
    mtf: Optional[_TableValue] = None,
    ws: Optional[_TableValue] = None,
    **spectrum_args: Any,
) -> DqeResult:
    """Press "DQE(u)": the detector's NEQ(u) and DQE(u).

    NEQ(u) = (gamma log10 e)^2 MTF(u)^2 / WS(u) and DQE(u) = NEQ(u) / fluence,
    at the frequencies of the Wiener spectrum; as in the window, its first row
    takes no part.

    Args:
        gamma: gamma of the detector's response.
        fluence: incident fluence, photons/mm^2. Without it, the fluence is that
            of the spectrum the spectrum arguments describe.
        mtf: the detector's MTF (cycles/mm, MTF), replacing the MemoMTF table:
            a table text or a pair of arrays (u, mtf).
        ws: its Wiener spectrum (cycles/mm, WS), replacing MemoWS, likewise.
        **spectrum_args: the arguments of spectrum() (kv, angle, inherent,
            added, w_density, al_density, mR, tables); only tables goes with fluence.

    Raises:
        CalculationError: the window showed an error box (its text is the message).
        TypeError, ValueError: an argument the window cannot be given.
    """
    for argument in spectrum_args:
        if argument not in _SPECTRUM_FIELDS and argument != "tables":
            raise TypeError(f"dqe() got an unexpected keyword argument {argument!r}")
    tables = _tables(spectrum_args.get("tables"))
    for argument, name, value in (("mtf", "MemoMTF", mtf), ("ws", "MemoWS", ws)):
        if value is None:
            continue
        if any(pasted == name for pasted, _ in tables):
            raise ValueError(f"{argument} and tables[{name!r}] both give the {name} table")
        tables.append((name, _table_text(argument, name, value)))

    fields = [("EditG", _field_text("gamma", gamma))]
    if fluence is not None:
        for argument in _SPECTRUM_FIELDS:
            if argument in spectrum_args:
                raise ValueError(f"fluence and {argument} exclude each other: the spectrum is not computed "
                                 "when the fluence is given")
        fields.append(("EditPhtn", _field_text("fluence", fluence)))
    else:
        fields += _spectrum_fields({**_SPECTRUM_DEFAULTS, **spectrum_args})
    d = _xraycalc.dqe(fields, tables, fluence is None)
    return _result(DqeResult, d)


def session(steps: Union[str, Sequence[Mapping[str, str]]], tables: Optional[Mapping[str, _TableValue]] = None
            ) -> dict[str, Any]:
    """Play steps on a new window and return its whole state, as ``xraycalc-cli session`` prints it.

    Args:
        steps: a list of steps, or their JSON text: ``{"set": "EditkV", "text": "120"}``
            types into a field or pastes over a whole text box, ``{"press": "ButtonSpectl"}``
            clicks ButtonSpectl, ButtonAdded or ButtonCalDQE.
        tables: reference tables pasted over before the window is created, as in spectrum().

    Returns:
        A dict with "fields", "memos" (lines), "series" (points), "clipboard",
        "errors" (each error box with the index of its step) and "store".
        Error boxes are part of the state; they raise nothing.

    Raises:
        ValueError: the steps are not a list of known steps (the message names the step).
        TypeError: steps that cannot be written as JSON.
    """
    if isinstance(steps, str):
        text = steps
    else:
        if isinstance(steps, (bytes, Mapping)) or not isinstance(steps, Sequence):
            raise TypeError(f"steps: expected a list of steps or their JSON text, not {type(steps).__name__}")
        try:
            text = json.dumps(list(steps))
        except (TypeError, ValueError) as e:
            raise TypeError(f"steps: {e}") from None
    return json.loads(_xraycalc.session(text, _tables(tables)))


def builtin_table(name: str) -> tuple[np.ndarray, np.ndarray]:
    """The two columns (x, y) of a built-in reference table, as the window reads them.

    Args:
        name: one of REFERENCE_TABLES, e.g. "MemoMTF".
    """
    if not isinstance(name, str):
        raise TypeError(f"name: expected a table name, not {type(name).__name__}")
    if name not in REFERENCE_TABLES:
        raise ValueError(f"name: {name!r} is not a reference table (one of {', '.join(REFERENCE_TABLES)})")
    _, x, y = _xraycalc.builtin_table(name)
    return _readonly(x), _readonly(y)


@dataclass(frozen=True, repr=False)
class MtfResult:
    """The presampled MTF measured from an edge image."""

    #: Spatial frequency, cycles/mm: 0 first, evenly spaced, to 1.1 times the Nyquist frequency.
    frequency_per_mm: np.ndarray
    #: The MTF, 1 at frequency 0.
    mtf: np.ndarray
    #: Edge spread function, oversampled every 0.1 pixel across the edge, in exposure units.
    esf: np.ndarray
    #: Line spread function (the ESF's central difference, Hann-windowed), on the same samples.
    lsf: np.ndarray
    #: Pixel pitch, mm.
    pitch_mm: float
    #: Nyquist frequency 1 / (2 pitch), cycles/mm.
    nyquist_per_mm: float
    #: True when the edge runs along the columns (a vertical edge), False along the rows.
    along_columns: bool
    #: Tilt of the edge from the column (or row), degrees.
    tilt_deg: float
    #: Where the edge crosses the region's first and last row (or column): ((x0, y0), (x1, y1)), pixels.
    edge_ends: tuple[tuple[float, float], tuple[float, float]]
    #: Lines across the edge that located it, and their rms distance from the fitted edge (pixels).
    edge_lines: int
    edge_scatter_px: float
    #: The MTF as the text of the MemoMTF table, for dqe(mtf=...).
    table_text: str

    def __repr__(self) -> str:
        return (f"MtfResult(frequencies={len(self.frequency_per_mm)}, pitch_mm={self.pitch_mm!r}, "
                f"tilt_deg={self.tilt_deg!r}, along_columns={self.along_columns!r})")


@dataclass(frozen=True, repr=False)
class NnpsResult:
    """The noise power spectrum measured from flat fields."""

    #: Spatial frequency, cycles/mm, ascending, up to the Nyquist frequency.
    frequency_per_mm: np.ndarray
    #: Linear response: the normalised NNPS, mm^2; logarithmic: the NPS of the pixel values.
    nnps: np.ndarray
    #: The Wiener spectrum W(u) on the scale of dqe()'s formula, at the same frequencies.
    wiener: np.ndarray
    #: Each image's mean in the region (above the dark offset for a linear response).
    means: np.ndarray
    #: Images analysed, and 256 x 256 squares averaged over all of them.
    images: int
    squares: int
    #: Pixel pitch, mm.
    pitch_mm: float
    #: W(u) as the text of the MemoWS table, for dqe(ws=...): its first row, at 0
    #: cycles/mm, repeats the next, since the window skips a Wiener table's first row.
    table_text: str

    def __repr__(self) -> str:
        return f"NnpsResult(frequencies={len(self.frequency_per_mm)}, images={self.images}, squares={self.squares})"


def _real(argument: str, value: Any, positive: bool = False) -> float:
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, numbers.Real):
        raise TypeError(f"{argument}: expected a number, not {type(value).__name__}")
    v = float(value)
    if not math.isfinite(v) or (positive and v <= 0):
        raise ValueError(f"{argument}: expected a {'positive' if positive else 'finite'} number, not {v!r}")
    return v


def _pixels(argument: str, image: Any) -> np.ndarray:
    a = np.asarray(image)
    if a.dtype.kind not in "iuf":
        raise TypeError(f"{argument}: expected an array of real pixel values, not dtype {a.dtype}")
    if a.ndim != 2:
        raise ValueError(f"{argument}: expected a two-dimensional array (rows, columns), not {a.ndim} dimensions")
    if a.size == 0:
        raise ValueError(f"{argument}: the image holds no pixels")
    return a  # converted to doubles by the extension, one image at a time


def _region(region: Any, shape: tuple[int, int]) -> Optional[tuple[int, int, int, int]]:
    if region is None:
        return None
    if isinstance(region, (str, bytes)) or not isinstance(region, (Sequence, np.ndarray)) or len(region) != 4:
        raise TypeError("region: expected (x, y, width, height) in pixels")
    if not all(isinstance(v, numbers.Integral) and not isinstance(v, (bool, np.bool_)) for v in region):
        raise TypeError("region: expected whole numbers of pixels (x, y, width, height)")
    x, y, width, height = (int(v) for v in region)
    if x < 0 or y < 0 or width <= 0 or height <= 0 or x + width > shape[1] or y + height > shape[0]:
        raise ValueError(f"region: {x},{y},{width},{height} (x,y,width,height) does not lie inside the "
                         f"{shape[1]}x{shape[0]} image")
    return x, y, width, height


def _response(response: str) -> bool:
    if response not in ("linear", "logarithmic"):
        raise ValueError(f"response: expected 'linear' or 'logarithmic', not {response!r}")
    return response == "logarithmic"


def mtf_from_edge(
    image: Any,
    pixel_mm: float,
    *,
    region: Optional[Sequence[int]] = None,
    response: str = "linear",
    dark_offset: float = 0.0,
    gamma: float = 1023.75,
) -> MtfResult:
    """The presampled MTF of a detector from the image of a slightly tilted edge.

    The edge must be straight and tilted between 1 and 10 degrees from a row or
    a column; its spread function is oversampled every 0.1 pixel across it,
    differentiated, windowed and Fourier transformed.

    Args:
        image: the pixel values, a 2-D array indexed [row, column] (any real dtype).
        pixel_mm: the pixel pitch, mm.
        region: (x, y, width, height) of the pixels to analyse; the whole image by default.
        response: how pixel values follow the exposure q: "linear" (value =
            dark_offset + k q) or "logarithmic" (value = c + gamma log10 q).
        dark_offset: the value of no exposure, for a linear response.
        gamma: the slope of a logarithmic response.

    Raises:
        CalculationError: the analysis failed (no edge, a tilt outside 1..10
            degrees, an edge too near the region's side, ...); the message says why.
        TypeError, ValueError: an argument it cannot use.
    """
    pixels = _pixels("image", image)
    d = _xraycalc.mtf_from_edge(pixels, _real("pixel_mm", pixel_mm, positive=True), _region(region, pixels.shape),
                                _response(response), _real("dark_offset", dark_offset),
                                _real("gamma", gamma, positive=True))
    return _result(MtfResult, d)


def nnps_from_flats(
    images: Any,
    pixel_mm: float,
    *,
    region: Optional[Sequence[int]] = None,
    response: str = "linear",
    dark_offset: float = 0.0,
    gamma: float = 1023.75,
    axis: str = "both",
) -> NnpsResult:
    """The noise power spectrum of a detector from flat-field images.

    Each image's region loses its best-fitting second-order surface, is cut into
    256 x 256 squares overlapping by half, and the squares' power spectra are
    averaged; the one-dimensional spectrum comes from the 7 lines on either side
    of the frequency axes, in 32 bins up to the Nyquist frequency. A linear
    response gives the NNPS, normalised by each image's mean.

    Args:
        images: the flat fields, each a 2-D array of pixel values of the same
            size (a sequence of arrays, or a 3-D array of them).
        pixel_mm: the pixel pitch, mm.
        region: (x, y, width, height) analysed in every image, at least 256 x 256;
            the whole image by default.
        response, dark_offset, gamma: as for mtf_from_edge().
        axis: the frequency axes averaged: "both", "horizontal" (along the rows,
            to go with the MTF of a vertical edge) or "vertical".

    Raises:
        CalculationError: the analysis failed (a region too small, images of
            different sizes, no signal above the dark offset, ...).
        TypeError, ValueError: an argument it cannot use.
    """
    if isinstance(images, np.ndarray) and images.ndim == 3:
        images = list(images)
    if isinstance(images, (str, bytes, Mapping)) or not isinstance(images, (Sequence, np.ndarray)):
        raise TypeError(f"images: expected a sequence of 2-D arrays, not {type(images).__name__}")
    if len(images) == 0:
        raise ValueError("images: no flat-field images were given")
    flats = [_pixels(f"images[{k}]", image) for k, image in enumerate(images)]
    if axis not in ("both", "horizontal", "vertical"):
        raise ValueError(f"axis: expected 'both', 'horizontal' or 'vertical', not {axis!r}")
    d = _xraycalc.nnps_from_flats(flats, _real("pixel_mm", pixel_mm, positive=True), _region(region, flats[0].shape),
                                  _response(response), _real("dark_offset", dark_offset),
                                  _real("gamma", gamma, positive=True), axis)
    return _result(NnpsResult, d)
