#!/usr/bin/python3
"""Times the table editor's clipboard exchange of 1,000,000 x 10 cells against pandas on the
same numbers, in one run.

    /usr/bin/python3 bench/peers/clipboard_pandas.py [path/to/bench_clipboard] [--runs N]

The benchmark binary times "Copy" (the block to clipboard text, through the system clipboard)
and "Extract from Clipboard" (that text back into the table). pandas makes the same cells and
times DataFrame.to_csv(sep='\\t') into a string and read_csv from that string. Prints wall and
CPU times (best of the runs), the ratios ours/pandas, how many cells the editor painted per
operation and whether both read back the same sum.
"""
import argparse
import io
import json
import os
import subprocess
import sys
import time

import numpy as np
import pandas as pd

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_BINARY = os.path.join(HERE, "..", "..", "build-bench", "bench", "bench_clipboard")
ROWS, COLUMNS = 1000000, 10
TARGET_RATIO = 0.5


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


def best_of(runs, work):
    """Best wall and best CPU time of the runs, and the last result."""
    wall, cpu, result = float("inf"), float("inf"), None
    for _ in range(runs):
        start, start_cpu = time.perf_counter(), time.process_time()
        result = work()
        wall = min(wall, time.perf_counter() - start)
        cpu = min(cpu, time.process_time() - start_cpu)
    return (wall, cpu), result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary", nargs="?", default=DEFAULT_BINARY)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()

    out = subprocess.run([args.binary, "--benchmark_format=json",
                          "--benchmark_repetitions=%d" % args.runs],
                         check=True, capture_output=True, text=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    ours = {}
    for name in ("BM_CopyToClipboard", "BM_ExtractFromClipboard"):
        mine = [b for b in runs if b["name"].startswith(name)]
        ours[name] = ((min(b["real_time"] for b in mine) / 1000.0,
                       min(b["cpu_time"] for b in mine) / 1000.0), mine[0])

    frame = cells()
    to_text, text = best_of(args.runs, lambda: frame.to_csv(sep="\t", header=False, index=False))
    from_text, back = best_of(args.runs, lambda: pd.read_csv(io.StringIO(text), sep="\t",
                                                             header=None))
    pandas_sum = float(back.values.sum())

    copy_time, copy_run = ours["BM_CopyToClipboard"]
    extract_time, extract_run = ours["BM_ExtractFromClipboard"]
    # On a busy machine wall times swing with the load; CPU times of the two single-threaded
    # operations stay comparable, so both ratios are shown.
    for label, mine, theirs in (("Copy     / to_csv(sep='\\t')", copy_time, to_text),
                                ("Extract  / read_csv(sep='\\t')", extract_time, from_text)):
        for kind, index in (("wall", 0), ("CPU", 1)):
            ratio = mine[index] / theirs[index]
            print("%-32s %-4s ours %.3f s  pandas %.3f s  ratio %.3f (target <= %.1f: %s)"
                  % (label, kind, mine[index], theirs[index], ratio, TARGET_RATIO,
                     "met" if ratio <= TARGET_RATIO else "NOT met"))
    print("clipboard text                   ours %.0f MB  pandas %.0f MB"
          % (copy_run["text_MB"], len(text) / 1e6))
    print("cells painted per operation      Copy %.0f  Extract %.0f (of %d)"
          % (copy_run["cells_drawn"], extract_run["cells_drawn"], ROWS * COLUMNS))
    our_sum = extract_run["cell_sum"]
    same = abs(our_sum - pandas_sum) <= 1e-9 * abs(pandas_sum)
    print("cell sums agree                  %s (%.6f vs %.6f)" % (same, our_sum, pandas_sum))
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
