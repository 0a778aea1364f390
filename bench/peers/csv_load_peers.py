#!/usr/bin/python3
"""Times loading the 1,000,000 x 10 CSV benchmark file against pandas.read_csv and R's
data.table::fread on one and on two threads, in alternating runs.

    /usr/bin/python3 bench/peers/csv_load_peers.py [path/to/bench_csv_load] [--runs N]

The benchmark binary writes large.csv (a heading and the numbers of the ASC benchmark file) to a
temporary folder and times ReadTextTable on it, one load per start; each round then times
pandas.read_csv and fread (through peers/csv_load_fread.R) on the same file. Prints min and median
of each in wall and in processor time (the latter is what counts on a shared, busy machine), the
ratios ours/pandas (target <= 0.3) and ours/fread on one thread (target <= 1.0), the peak memory
of our load against the finished table (target: within 10 %), and whether all read the same sum.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

import pandas as pd

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_BINARY = os.path.join(HERE, "..", "..", "build-bench", "bench", "bench_csv_load")
FREAD = os.path.join(HERE, "csv_load_fread.R")
TARGET_PANDAS, TARGET_FREAD, TARGET_MEMORY = 0.3, 1.0, 1.10


def ours(binary, folder):
    out = subprocess.run([binary, "--data", folder, "--benchmark_format=json"],
                         check=True, capture_output=True, text=True).stdout
    run = json.loads(out)["benchmarks"][0]
    return ((run["real_time"] / 1000.0, run["cpu_time"] / 1000.0), run["peak_MB"], run["table_MB"],
            run["cell_sum"])


def pandas(path):
    start, cpu = time.perf_counter(), time.process_time()
    frame = pd.read_csv(path)
    return ((time.perf_counter() - start, time.process_time() - cpu),
            float(frame.values.sum()))


def fread(path, threads):
    out = subprocess.run(["Rscript", FREAD, path, str(threads), "1"], check=True,
                         capture_output=True, text=True).stdout.split("\n")
    return tuple(float(x) for x in out[0].split()), float(out[1].split()[1])


def line(name, times):
    for kind, k in (("wall", 0), ("cpu", 1)):
        t = [x[k] for x in times]
        print("%-22s %-5s min %.3f s  median %.3f s" % (name, kind, min(t), statistics.median(t)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary", nargs="?", default=DEFAULT_BINARY)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()

    times = {"ours": [], "pandas": [], "fread1": [], "fread2": []}
    sums, peaks, tables = {}, [], []
    with tempfile.TemporaryDirectory() as tmp:
        ours(args.binary, tmp)  # writes the file, warms the page cache
        path = os.path.join(tmp, "large.csv")
        for _ in range(args.runs):
            t, peak, table, sums["ours"] = ours(args.binary, tmp)
            times["ours"].append(t)
            peaks.append(peak)
            tables.append(table)
            t, sums["pandas"] = pandas(path)
            times["pandas"].append(t)
            for threads in (1, 2):
                t, sums["fread"] = fread(path, threads)
                times["fread%d" % threads].append(t)
        size_mb = os.path.getsize(path) / 1e6

    print("file                         %.1f MB, %d alternating runs" % (size_mb, args.runs))
    line("ours   ReadTextTable", times["ours"])
    line("pandas read_csv", times["pandas"])
    line("fread, 1 thread", times["fread1"])
    line("fread, 2 threads", times["fread2"])
    for peer, target in (("pandas", TARGET_PANDAS), ("fread1", TARGET_FREAD),
                         ("fread2", None)):
        for kind, k in (("wall", 0), ("cpu", 1)):
            ours_t = [x[k] for x in times["ours"]]
            peer_t = [x[k] for x in times[peer]]
            lo = min(ours_t) / min(peer_t)
            med = statistics.median(ours_t) / statistics.median(peer_t)
            verdict = "" if target is None else "  (target <= %.1f: %s)" % (
                target, "met" if med <= target else "NOT met")
            print("ratio ours/%-7s %-5s min %.3f  median %.3f%s" % (peer, kind, lo, med, verdict))
    peak, table = max(peaks), min(tables)
    print("peak memory of the load      %.1f MB, table %.1f MB: %.3f x (target <= %.2f: %s)"
          % (peak, table, peak / table, TARGET_MEMORY,
             "met" if peak <= TARGET_MEMORY * table else "NOT met"))
    ref = sums["pandas"]
    same = all(abs(s - ref) <= 1e-9 * abs(ref) for s in sums.values())
    print("cell sums agree              %s (%s)" % (same, ", ".join(
        "%s %.6f" % (k, v) for k, v in sums.items())))
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
