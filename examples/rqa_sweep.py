#!/usr/bin/python3
"""The IEC 61267 RQA beams and a tube-voltage sweep, computed with xraycalc and
plotted with Matplotlib.

    PYTHONPATH=build/python /usr/bin/python3 examples/rqa_sweep.py [--output FILE.png]

Left: the spectrum of each RQA beam behind its added aluminium, per uGy of air
kerma, so that the beams compare at equal dose. Right: the first half-value
layer against tube voltage for several added filtrations, with the RQA beams
marked. Prints each beam's quality as a table. The sweep runs on a thread pool:
the core releases the GIL, so the spectra are computed in parallel.
"""

import argparse
import pathlib
from concurrent.futures import ThreadPoolExecutor

import matplotlib

matplotlib.use("Agg")  # files only, no screen needed
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import xraycalc  # noqa: E402

DEFAULT_OUTPUT = pathlib.Path(__file__).resolve().parent.parent / "docs" / "rqa-sweep.png"
SWEEP_KV = np.arange(40, 150, 2.5)  # up to 147.5 kV; the model stops just below 150 kV
SWEEP_ADDED_MM = [0, 4, 10, 21, 40]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--output", type=pathlib.Path, default=DEFAULT_OUTPUT, help=f"PNG file ({DEFAULT_OUTPUT})")
    args = parser.parse_args()

    beams = {name: xraycalc.spectrum(kv=kv, added=added) for name, (kv, added) in xraycalc.RQA_BEAMS.items()}
    print("beam   kV  added(mm Al)  HVL1(mm Al)  HVL2(mm Al)  mean(keV)  photons/mm^2/uGy")
    for name, r in beams.items():
        kv, added = xraycalc.RQA_BEAMS[name]
        print(f"{name:<5}{kv:>4}{added:>14}{r.hvl1_mm_al:>13.3f}{r.hvl2_mm_al:>13.3f}"
              f"{r.mean_energy_keV:>11.2f}{r.fluence_per_uGy:>18.0f}")

    with ThreadPoolExecutor() as pool:
        hvl = {added: list(pool.map(lambda kv, a=added: xraycalc.spectrum(kv=kv, added=a).hvl1_mm_al, SWEEP_KV))
               for added in SWEEP_ADDED_MM}

    fig, (left, right) = plt.subplots(1, 2, figsize=(12, 4.8), layout="constrained")
    colours = plt.cm.viridis(np.linspace(0, 0.9, len(beams)))
    for (name, r), colour in zip(beams.items(), colours):
        per_uGy = r.photons_per_mm2 * (r.fluence_per_uGy / r.fluence_per_mm2)
        left.plot(r.energy_keV, per_uGy, color=colour, label=f"{name} ({xraycalc.RQA_BEAMS[name][0]} kV)")
    left.set(xlabel="photon energy (keV)", ylabel="photons / (mm² · µGy) per 0.5 keV bin",
             title="RQA beams, per µGy of air kerma")
    left.legend(fontsize="small")
    left.grid(alpha=0.3)

    for added, values in hvl.items():
        right.plot(SWEEP_KV, values, label=f"{added} mm Al added")
    for name, (kv, added) in xraycalc.RQA_BEAMS.items():
        right.plot(kv, beams[name].hvl1_mm_al, "ko", markersize=4)
        right.annotate(name, (kv, beams[name].hvl1_mm_al), textcoords="offset points", xytext=(-8, 6),
                       fontsize="x-small", ha="right")
    right.set(xlabel="tube voltage (kV)", ylabel="first half-value layer (mm Al)",
              title="HVL1 against tube voltage (2.5 mm Al inherent)")
    right.legend(fontsize="small")
    right.grid(alpha=0.3)

    args.output.parent.mkdir(parents=True, exist_ok=True)
    fig.savefig(args.output, dpi=100)
    print(f"wrote {args.output}")


if __name__ == "__main__":
    main()
