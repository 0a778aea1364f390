#!/usr/bin/python3
"""Times CalcPrincComp against numpy (covariance or correlation, then numpy.linalg.eigh) on the
same data and compares the results.

    /usr/bin/python3 bench/peers/pca_numpy.py [path/to/bench_pca] [--min-time SECONDS] [--long]
        [--filter REGEX]

--long adds the tables that take a minute or more each (3 x 2000); --filter limits the run to
the sizes whose "rows_cols" matches (for example --filter "_1000$").

The benchmark binary writes every data set and its own eigen-decomposition to a temporary
folder; numpy reads the same cells, so both work on identical numbers. Prints per size and
scaling the two times, the ratio ours/numpy, and the largest eigenvalue and eigenvector
differences (eigenvalues relative to their total, eigenvectors up to sign).
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile
import time

import numpy as np

SIZES = [(150, 5), (10000, 10), (100000, 50), (1000000, 10), (5000, 200), (3, 1000), (100, 1000)]
LONG_SIZES = [(3, 2000)]
SCALINGS = {1: "covariance", 2: "correlation"}


def numpy_pca(x, scaling):
    c = np.cov(x, rowvar=False) if scaling == 1 else np.corrcoef(x, rowvar=False)
    return np.linalg.eigh(c)


def time_numpy(x, scaling, min_time):
    numpy_pca(x, scaling)  # warm-up
    runs, start = 0, time.perf_counter()
    while True:
        numpy_pca(x, scaling)
        runs += 1
        elapsed = time.perf_counter() - start
        if elapsed >= min_time and runs >= 3:
            return elapsed / runs


def compare(x, scaling, ours):
    n = x.shape[1]
    w, v = numpy_pca(x, scaling)
    order = np.argsort(w)[::-1]
    w, v = w[order], v[:, order]
    w_rel = w / np.abs(w).sum()
    our_w, our_v = ours[:n], ours[n:].reshape(n, n).T  # column k: component k
    eig_diff = np.max(np.abs(our_w - w_rel) / np.abs(w_rel).max())
    vec_diff = max(
        min(np.max(np.abs(our_v[:, k] - v[:, k])), np.max(np.abs(our_v[:, k] + v[:, k])))
        for k in range(n))
    return eig_diff, vec_diff


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("binary", nargs="?",
                        default=os.path.join(here, "..", "..", "build-release", "bench", "bench_pca"))
    parser.add_argument("--min-time", type=float, default=1.0)
    parser.add_argument("--long", action="store_true")
    parser.add_argument("--filter", default="")
    args = parser.parse_args()
    long_flag = ["--long"] if args.long else []
    sizes = [s for s in SIZES + (LONG_SIZES if args.long else [])
             if re.search(args.filter, f"{s[0]}_{s[1]}")]
    # The benchmark's names are CalcPrincComp/rows/cols/scaling/real_time.
    name_filter = "|".join(f"/{r}/{c}/" for r, c in sizes)

    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([args.binary] + long_flag + ["--write-data", tmp] +
                       [f"{r}_{c}" for r, c in sizes], check=True)
        out = subprocess.run([args.binary] + long_flag +
                             ["--benchmark_format=json", f"--benchmark_filter={name_filter}",
                              f"--benchmark_min_time={args.min_time}"],
                             check=True, capture_output=True, text=True).stdout
        ours = {}
        for b in json.loads(out)["benchmarks"]:
            _, rows, cols, scaling, _ = b["name"].split("/")
            scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
            ours[(int(rows), int(cols), int(scaling))] = b["real_time"] * scale

        print(f"{'rows x cols':>14} {'scaling':>12} {'ours ms':>10} {'numpy ms':>10} "
              f"{'ratio':>7} {'eigval diff':>12} {'eigvec diff':>12}")
        worst_eig = 0.0
        for rows, cols in sizes:
            stem = f"{rows}_{cols}"
            # Written column by column; numpy gets the usual row-per-observation C array.
            cells = np.fromfile(os.path.join(tmp, f"data_{stem}.f64"), dtype=np.float64)
            x = np.ascontiguousarray(cells.reshape(cols, rows).T)
            for scaling, label in SCALINGS.items():
                theirs = time_numpy(x, scaling, args.min_time)
                mine = ours[(rows, cols, scaling)]
                result = np.fromfile(os.path.join(tmp, f"eig_{stem}_{scaling}.f64"), dtype=np.float64)
                eig_diff, vec_diff = compare(x, scaling, result)
                worst_eig = max(worst_eig, eig_diff)
                print(f"{rows:>7} x {cols:<4} {label:>12} {mine * 1e3:>10.3f} {theirs * 1e3:>10.3f} "
                      f"{mine / theirs:>7.2f} {eig_diff:>12.2e} {vec_diff:>12.2e}")
        print(f"largest relative eigenvalue difference: {worst_eig:.2e}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
