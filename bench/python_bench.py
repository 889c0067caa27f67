#!/usr/bin/python3
"""Timing of the Python module: what a call of xraycalc.spectrum costs over the
core's own work, and a 1,000-spectrum kV sweep, serial and on threads.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [--check]

"core" is the same run through the extension with the field texts ready and no
arrays handed over: the headless window ("Spectl" with its "Added") and the
beam summary (mean energy, half-value layers). "spectrum()" adds what a user
pays on top: argument checks and texts, NumPy arrays, the result object.
The two are called in turn, call by call; shown are the best wall time of each
(on a shared machine, the least disturbed call) and the median CPU time of the
calling thread, on which the ratio is judged. The sweeps: best and median of three. With --check, exits 1 when a spectrum() call costs more
than twice the core's time.
"""

import argparse
import os
import statistics
import sys
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np

import xraycalc
from xraycalc import _xraycalc


def per_call(function, calls, repeats):
    """Best and median seconds per call over `repeats` runs of `calls` calls."""
    runs = []
    for _ in range(repeats):
        start = time.perf_counter()
        for _ in range(calls):
            function()
        runs.append((time.perf_counter() - start) / calls)
    return min(runs), statistics.median(runs)


def paired(first, second, samples):
    """Two functions called in turn, so that the load of a shared machine falls
    on both alike: for each, the best wall time and the median CPU time of
    this thread per call, in seconds."""
    wall, cpu = ([], []), ([], [])
    for _ in range(samples):
        for k, f in enumerate((first, second)):
            w, c = time.perf_counter(), time.thread_time()
            f()
            cpu[k].append(time.thread_time() - c)
            wall[k].append(time.perf_counter() - w)
    return [(min(wall[k]), statistics.median(cpu[k])) for k in range(2)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true", help="exit 1 if spectrum() costs more than 2x the core")
    parser.add_argument("--samples", type=int, default=500, help="calls of each at each tube voltage (default 500)")
    args = parser.parse_args()

    print(f"xraycalc {xraycalc.__version__} from {os.path.dirname(xraycalc.__file__)}, Python {sys.version.split()[0]}")
    print(f"{'what':<44}{'best wall':>12}{'median CPU':>13}")

    def show(what, first, second, unit="ms", scale=1e3):
        print(f"{what:<44}{first * scale:>10.3f} {unit}{second * scale:>10.3f} {unit}")

    results = {}
    for kv in ("80", "149.9"):
        fields = [("EditkV", kv)]
        core, full = paired(lambda: _xraycalc.spectrum(fields, [], False), lambda: xraycalc.spectrum(kv=float(kv)),
                            args.samples)
        show(f"core, {kv} kV", *core)
        show(f"spectrum(kv={kv})", *full)
        results[kv] = full[1] / core[1]
        print(f"{'  ratio spectrum() / core':<44}{full[0] / core[0]:>10.3f}{results[kv]:>13.3f}")

    kvs = np.linspace(40, 149.9, 1000).tolist()
    print(f"{'':<44}{'best wall':>12}{'median wall':>13}")
    sweep = [per_call(lambda: [xraycalc.spectrum(kv=kv) for kv in kvs], 1, 3)]
    with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        sweep.append(per_call(lambda: list(pool.map(lambda kv: xraycalc.spectrum(kv=kv), kvs)), 1, 3))
    show("1,000-spectrum sweep 40..149.9 kV, serial", *sweep[0], unit="s ", scale=1)
    show(f"the same on {os.cpu_count() or 2} threads", *sweep[1], unit="s ", scale=1)

    if args.check and results["149.9"] > 2:
        print("spectrum() costs more than twice the core at 149.9 kV", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
