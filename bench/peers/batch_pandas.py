#!/usr/bin/python3
"""Times the console program on the 1,000,000 x 10 ASC benchmark file (all components, CSV into
a folder) against the same job done with pandas and numpy, each as a whole process.

    /usr/bin/python3 bench/peers/batch_pandas.py [path/to/bench_batch] [--runs N]
    /usr/bin/python3 bench/peers/batch_pandas.py job FILE.asc OUTDIR

The job: pandas.read_csv of the rows after the four header lines, numpy.cov and
numpy.linalg.eigh, components by decreasing eigenvalue, relative eigenvalues and their running
sum, scores of the centred rows, and the three tables written with DataFrame.to_csv (CR LF line
ends, shortest round-trip numbers) as FILE.eigenvalues.csv, FILE.loadings.csv, FILE.scores.csv.
The first form runs bench_batch (which writes the data file and times our program), then the job
in a fresh interpreter per run; it prints both times (best of the runs), the ratio ours/peer and
whether both found the same relative eigenvalues.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_BINARY = os.path.join(HERE, "..", "..", "build-bench", "bench", "bench_batch")
TARGET_RATIO = 0.3


def job(path, out):
    import numpy as np
    import pandas as pd

    stem = os.path.join(out, os.path.splitext(os.path.basename(path))[0])
    os.makedirs(out, exist_ok=True)
    x = pd.read_csv(path, sep=" ", header=None, skiprows=4, dtype=np.float64).to_numpy()
    rows, cols = x.shape
    values, vectors = np.linalg.eigh(np.cov(x, rowvar=False))
    order = np.argsort(values)[::-1]
    values, vectors = values[order], vectors[:, order]
    relative = values / np.abs(values).sum()
    scores = (x - x.mean(axis=0)) @ vectors
    pcs = ["PC%d" % (k + 1) for k in range(cols)]

    pd.DataFrame({"component": np.arange(1, cols + 1), "eigenvalue": values,
                  "relative_eigenvalue": relative, "cumulative_share": np.cumsum(relative)}
                 ).to_csv(stem + ".eigenvalues.csv", index=False, lineterminator="\r\n")
    pd.DataFrame(vectors, columns=pcs,
                 index=pd.Index(["C-%d" % (i + 1) for i in range(cols)], name="variable")
                 ).to_csv(stem + ".loadings.csv", lineterminator="\r\n")
    table = pd.DataFrame(scores, columns=pcs)
    table.insert(0, "class", 0)
    table.insert(0, "row", ["R-%d" % (r + 1) for r in range(rows)])
    table.to_csv(stem + ".scores.csv", index=False, lineterminator="\r\n")


def relative_eigenvalues(path):
    with open(path) as f:
        return [float(line.split(",")[2]) for line in f.read().split("\n")[1:] if line.strip()]


def compare(binary, runs):
    with tempfile.TemporaryDirectory() as tmp:
        out = subprocess.run([binary, "--data", tmp, "--benchmark_format=json",
                              "--benchmark_repetitions=%d" % runs],
                             check=True, capture_output=True, text=True).stdout
        timed = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
        ours = min(b["real_time"] for b in timed) / 1000.0  # reported in ms

        data = os.path.join(tmp, "large.asc")
        peer = float("inf")
        for _ in range(runs):
            start = time.perf_counter()
            subprocess.run([sys.executable, os.path.abspath(__file__), "job", data,
                            os.path.join(tmp, "peer")], check=True)
            peer = min(peer, time.perf_counter() - start)

        mine = relative_eigenvalues(os.path.join(tmp, "ours", "large.eigenvalues.csv"))
        theirs = relative_eigenvalues(os.path.join(tmp, "peer", "large.eigenvalues.csv"))

    ratio = ours / peer
    print("file                               %.1f MB" % timed[0]["file_MB"])
    print("ours   pca-batch --out DIR          %.3f s" % ours)
    print("peer   pandas + numpy + to_csv      %.3f s" % peer)
    print("ratio ours/peer                     %.3f  (target <= %.1f: %s)"
          % (ratio, TARGET_RATIO, "met" if ratio <= TARGET_RATIO else "NOT met"))
    same = len(mine) == len(theirs) and all(abs(a - b) <= 1e-9 for a, b in zip(mine, theirs))
    print("relative eigenvalues agree          %s" % same)
    return 0 if same else 1


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "job":
        job(sys.argv[2], sys.argv[3])
        return 0
    parser = argparse.ArgumentParser()
    parser.add_argument("binary", nargs="?", default=DEFAULT_BINARY)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    return compare(args.binary, args.runs)


if __name__ == "__main__":
    sys.exit(main())
