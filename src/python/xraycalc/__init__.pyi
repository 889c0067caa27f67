# Type information for the xraycalc package (its functions are documented in __init__.py).
from collections.abc import Mapping, Sequence
from typing import Any, Literal, Optional, Union

import numpy as np
import numpy.typing as npt

__version__: str

_FieldValue = Union[str, float, int]
_TableValue = Union[str, tuple[npt.ArrayLike, npt.ArrayLike]]

class CalculationError(Exception): ...

REFERENCE_TABLES: tuple[str, ...]
RQA_BEAMS: dict[str, tuple[Union[int, float], Union[int, float]]]

class SpectrumResult:
    energy_keV: npt.NDArray[np.float64]
    inherent_percent: npt.NDArray[np.float64]
    photons_per_mm2: npt.NDArray[np.float64]
    fluence_per_mm2: float
    mean_energy_keV: float
    hvl1_mm_al: float
    hvl2_mm_al: float
    fluence_per_uGy: float

class DqeResult:
    frequency_per_mm: npt.NDArray[np.float64]
    neq_per_mm2: npt.NDArray[np.float64]
    dqe_percent: npt.NDArray[np.float64]

class MtfResult:
    frequency_per_mm: npt.NDArray[np.float64]
    mtf: npt.NDArray[np.float64]
    esf: npt.NDArray[np.float64]
    lsf: npt.NDArray[np.float64]
    pitch_mm: float
    nyquist_per_mm: float
    along_columns: bool
    tilt_deg: float
    edge_ends: tuple[tuple[float, float], tuple[float, float]]
    edge_lines: int
    edge_scatter_px: float
    table_text: str

class NnpsResult:
    frequency_per_mm: npt.NDArray[np.float64]
    nnps: npt.NDArray[np.float64]
    wiener: npt.NDArray[np.float64]
    means: npt.NDArray[np.float64]
    images: int
    squares: int
    pitch_mm: float
    table_text: str

def spectrum(
    kv: _FieldValue = 80,
    angle: _FieldValue = 11,
    inherent: _FieldValue = 2.5,
    added: _FieldValue = 19.3,
    w_density: _FieldValue = 19.21,
    al_density: _FieldValue = 2.7,
    mR: _FieldValue = 0.95,
    tables: Optional[Mapping[str, _TableValue]] = None,
) -> SpectrumResult: ...
def dqe(
    gamma: _FieldValue = 1023.75,
    fluence: Optional[_FieldValue] = None,
    mtf: Optional[_TableValue] = None,
    ws: Optional[_TableValue] = None,
    **spectrum_args: Any,
) -> DqeResult: ...
def session(
    steps: Union[str, Sequence[Mapping[str, str]]], tables: Optional[Mapping[str, _TableValue]] = None
) -> dict[str, Any]: ...
def builtin_table(name: str) -> tuple[npt.NDArray[np.float64], npt.NDArray[np.float64]]: ...
def mtf_from_edge(
    image: npt.ArrayLike,
    pixel_mm: float,
    *,
    region: Optional[Sequence[int]] = None,
    response: Literal["linear", "logarithmic"] = "linear",
    dark_offset: float = 0.0,
    gamma: float = 1023.75,
) -> MtfResult: ...
def nnps_from_flats(
    images: Union[Sequence[npt.ArrayLike], npt.NDArray[Any]],
    pixel_mm: float,
    *,
    region: Optional[Sequence[int]] = None,
    response: Literal["linear", "logarithmic"] = "linear",
    dark_offset: float = 0.0,
    gamma: float = 1023.75,
    axis: Literal["both", "horizontal", "vertical"] = "both",
) -> NnpsResult: ...
