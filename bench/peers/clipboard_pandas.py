#!/usr/bin/python3
"""Times the table editor's clipboard exchange of 1,000,000 x 10 cells against pandas on the
same numbers, in one run, the two taking turns.

    /usr/bin/python3 bench/peers/clipboard_pandas.py [path/to/bench_clipboard] [--runs N]

The benchmark binary times "Copy" (the block to clipboard text, through the system clipboard)
and "Extract from Clipboard" (that text back into the table). pandas makes the same cells and
times DataFrame.to_csv(sep='\\t') into a string and read_csv from that string. Each run times
ours once, then pandas once, so both see the same load. Prints minimum and median wall and CPU
times, the ratios ours/pandas of both, how many cells the editor painted per operation and
whether both read back the same sum.
"""
import argparse
import io
import json
import os
import statistics
import subprocess
import sys
import time

import numpy as np
import pandas as pd

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_BINARY = os.path.join(HERE, "..", "..", "build-bench", "bench", "bench_clipboard")
ROWS, COLUMNS = 1000000, 10
TARGETS = {"Copy": 0.06, "Extract": 0.15}


def splitmix(x):
    x = x + np.uint64(0x9E3779B97F4A7C15)
    x = (x ^ (x >> np.uint64(30))) * np.uint64(0xBF58476D1CE4E5B9)
    x = (x ^ (x >> np.uint64(27))) * np.uint64(0x94D049BB133111EB)
    return x ^ (x >> np.uint64(31))


def cells():
    """The benchmark's cells: uniform on [0, 1000) from SplitMix of row * 10 + column."""
    index = np.arange(ROWS * COLUMNS, dtype=np.uint64)
    with np.errstate(over="ignore"):
        bits = splitmix(index)
    values = (bits >> np.uint64(11)).astype(np.float64) * 2.0 ** -53 * 1000.0
    return pd.DataFrame(values.reshape(ROWS, COLUMNS))


def timed(work):
    """Wall and CPU time of one call, and its result."""
    start, start_cpu = time.perf_counter(), time.process_time()
    result = work()
    return (time.perf_counter() - start, time.process_time() - start_cpu), result


def ours_once(binary):
    """One run of the benchmark binary: (wall, CPU) of Copy and of Extract, and both records."""
    out = subprocess.run([binary, "--benchmark_format=json"], check=True, capture_output=True,
                         text=True).stdout
    runs = {b["name"].split("/")[0]: b for b in json.loads(out)["benchmarks"]}
    return {name: ((runs[bench]["real_time"] / 1000.0, runs[bench]["cpu_time"] / 1000.0),
                   runs[bench])
            for name, bench in (("Copy", "BM_CopyToClipboard"),
                                ("Extract", "BM_ExtractFromClipboard"))}


def summary(times):
    """Minimum and median of each of wall and CPU."""
    return [(min(t[k] for t in times), statistics.median(t[k] for t in times)) for k in (0, 1)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary", nargs="?", default=DEFAULT_BINARY)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()

    frame = cells()
    mine = {"Copy": [], "Extract": []}
    theirs = {"Copy": [], "Extract": []}
    records = {}
    for _ in range(args.runs):
        for name, (times, record) in ours_once(args.binary).items():
            mine[name].append(times)
            records[name] = record
        to_text, text = timed(lambda: frame.to_csv(sep="\t", header=False, index=False))
        from_text, back = timed(lambda: pd.read_csv(io.StringIO(text), sep="\t", header=None))
        theirs["Copy"].append(to_text)
        theirs["Extract"].append(from_text)
    pandas_sum = float(back.values.sum())

    labels = {"Copy": "Copy     / to_csv(sep='\\t')", "Extract": "Extract  / read_csv(sep='\\t')"}
    for name in ("Copy", "Extract"):
        ours_stats, peer_stats = summary(mine[name]), summary(theirs[name])
        for kind, index in (("wall", 0), ("CPU", 1)):
            (our_min, our_median), (peer_min, peer_median) = ours_stats[index], peer_stats[index]
            ratio = our_median / peer_median
            print("%-32s %-4s ours min %.3f median %.3f s  pandas min %.3f median %.3f s  "
                  "ratio of mins %.3f, of medians %.3f (target <= %.2f: %s)"
                  % (labels[name], kind, our_min, our_median, peer_min, peer_median,
                     our_min / peer_min, ratio, TARGETS[name],
                     "met" if ratio <= TARGETS[name] else "NOT met"))
    print("clipboard text                   ours %.0f MB  pandas %.0f MB"
          % (records["Copy"]["text_MB"], len(text) / 1e6))
    print("cells painted per operation      Copy %.0f  Extract %.0f (of %d)"
          % (records["Copy"]["cells_drawn"], records["Extract"]["cells_drawn"], ROWS * COLUMNS))
    our_sum = records["Extract"]["cell_sum"]
    same = abs(our_sum - pandas_sum) <= 1e-9 * abs(pandas_sum)
    print("cell sums agree                  %s (%.6f vs %.6f)" % (same, our_sum, pandas_sum))
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
