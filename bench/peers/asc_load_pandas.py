#!/usr/bin/python3
"""Times loading the 1,000,000 x 10 ASC benchmark file against pandas' C parser on the same
numbers, in one run.

    /usr/bin/python3 bench/peers/asc_load_pandas.py [path/to/bench_asc_load] [--runs N]

The benchmark binary writes large.asc (header and rows) and large.txt (the same rows alone) to a
temporary folder and times LoadFromASCFile on the first; pandas.read_csv(sep=' ', header=None)
then reads the second. Prints both times (best of the runs), the ratio ours/pandas, the peak
memory of our load against the size of the finished table, and whether both read the same sum.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

import pandas as pd

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_BINARY = os.path.join(HERE, "..", "..", "build", "bench", "bench_asc_load")
TARGET_RATIO = 0.4
BUFFER_MB = 1.05  # the reader's file buffer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary", nargs="?", default=DEFAULT_BINARY)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as tmp:
        out = subprocess.run([args.binary, "--data", tmp, "--benchmark_format=json",
                              "--benchmark_filter=BM_AscLoad",
                              "--benchmark_repetitions=%d" % args.runs],
                             check=True, capture_output=True, text=True).stdout
        runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
        ours = min(b["real_time"] for b in runs) / 1000.0  # reported in ms
        peak_mb = max(b["peak_MB"] for b in runs)
        table_mb = runs[0]["table_MB"]
        our_sum = runs[0]["cell_sum"]

        path = os.path.join(tmp, "large.txt")
        best = float("inf")
        for _ in range(args.runs):
            start = time.perf_counter()
            frame = pd.read_csv(path, sep=" ", header=None)
            best = min(best, time.perf_counter() - start)
        pandas_sum = float(frame.values.sum())

    ratio = ours / best
    print("file                           %.1f MB" % runs[0]["file_MB"])
    print("ours   LoadFromASCFile          %.3f s" % ours)
    print("pandas read_csv(sep=' ')        %.3f s" % best)
    print("ratio ours/pandas               %.3f  (target <= %.1f: %s)"
          % (ratio, TARGET_RATIO, "met" if ratio <= TARGET_RATIO else "NOT met"))
    print("peak memory of the load         %.1f MB (table %.1f MB + buffer %.1f MB: %s)"
          % (peak_mb, table_mb, BUFFER_MB,
             "met" if peak_mb <= table_mb + BUFFER_MB else "NOT met"))
    same = abs(our_sum - pandas_sum) <= 1e-9 * abs(pandas_sum)
    print("cell sums agree                 %s (%.6f vs %.6f)" % (same, our_sum, pandas_sum))
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
