#!/usr/bin/python3
"""Times the chart's rendering of 1,000,000 score marks against matplotlib's Agg backend on the
same points and image size.

    /usr/bin/python3 bench/peers/render_matplotlib.py [path/to/bench_kurvex_render] [--runs N]

The benchmark binary writes the points (x, y and class colour of every mark), the plot bitmap's
size and the axis ranges to a temporary folder and renders them once into ours.png there;
matplotlib draws the same points with one scatter call per colour, marker "x" 7 pixels across,
into an image of the same size (matplotlib.png). Then rounds alternate: one matplotlib figure,
one run of the binary's own benchmark, so that both see the same load on a busy machine. Prints
the min and median of both times and of the rounds' ratios ours/matplotlib, against the Agg
drawing alone and against scatter calls plus drawing, in wall and in processor time.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
import matplotlib

matplotlib.use("Agg")
from matplotlib.backends.backend_agg import FigureCanvasAgg  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402

MARK_PIXELS = 7  # the chart's mark 6 is a 7 x 7 diagonal cross


def load(folder):
    with open(os.path.join(folder, "meta.json")) as f:
        meta = json.load(f)
    xy = np.fromfile(os.path.join(folder, "points.f64"), dtype=np.float64).reshape(-1, 2)
    classes = np.fromfile(os.path.join(folder, "classes.u8"), dtype=np.uint8)
    return meta, xy, classes


def render(meta, xy, classes, save=None):
    """Seconds of (scatter calls and drawing, drawing alone), each as (wall, processor)."""
    def now():
        return time.perf_counter(), time.process_time()

    dpi = 100.0
    start = now()
    fig = Figure(figsize=(meta["width"] / dpi, meta["height"] / dpi), dpi=dpi)
    canvas = FigureCanvasAgg(fig)
    ax = fig.add_axes([0, 0, 1, 1])
    ax.set_xlim(meta["xlo"], meta["xhi"])
    ax.set_ylim(meta["ylo"], meta["yhi"])
    ax.set_axis_off()
    points = MARK_PIXELS * 72.0 / dpi
    for cls, rgb in meta["colors"].items():
        mask = classes == int(cls)
        ax.scatter(xy[mask, 0], xy[mask, 1], marker="x", s=points * points,
                   color=tuple(c / 255.0 for c in rgb), linewidths=72.0 / dpi)
    built = now()
    canvas.draw()
    done = now()
    if save:
        fig.savefig(save, dpi=dpi)
    return tuple(d - s for d, s in zip(done, start)), tuple(d - b for d, b in zip(done, built))


def median(values):
    return sorted(values)[len(values) // 2]


def spread(values, unit=1e3, form="7.1f"):
    """"min / median" of values times unit."""
    return f"{min(values) * unit:{form}} / {median(values) * unit:{form}}"


def ours(binary):
    """Mean (wall, processor) seconds of the chart's render pass in one run of the benchmark."""
    out = subprocess.run([binary, "--benchmark_filter=RenderScoreMarks",
                          "--benchmark_format=json", "--benchmark_min_time=0.5"],
                         check=True, capture_output=True, text=True).stdout
    b = json.loads(out)["benchmarks"][0]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
    return b["real_time"] * scale, b["cpu_time"] * scale


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("binary", nargs="?",
                        default=os.path.join(here, "..", "..", "build-bench", "bench",
                                             "bench_kurvex_render"))
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    rounds = []  # (ours, matplotlib scatter + draw, matplotlib draw), each (wall, processor)
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([args.binary, "--write-points", folder], check=True)
        meta, xy, classes = load(folder)
        render(meta, xy, classes, save=os.path.join(folder, "matplotlib.png"))
        for _ in range(args.runs):
            total, draw = render(meta, xy, classes)
            rounds.append((ours(args.binary), total, draw))
        if os.environ.get("ZEV_KEEP_PICTURES"):
            for name in ("ours.png", "matplotlib.png"):
                os.replace(os.path.join(folder, name),
                           os.path.join(os.environ["ZEV_KEEP_PICTURES"], "render_" + name))
    print(f"{len(xy)} marks, {meta['width']} x {meta['height']} pixels; {len(rounds)} rounds,"
          " min / median")
    for k, label in enumerate(("wall", "processor")):
        mine = [r[0][k] for r in rounds]
        print(f"{label:9}  ours {spread(mine)} ms")
        for which, name in ((2, "draw"), (1, "scatter + draw")):
            theirs = [r[which][k] for r in rounds]
            ratios = [r[0][k] / r[which][k] for r in rounds]
            print(f"{'':9}  matplotlib {name:14} {spread(theirs)} ms"
                  f"   ratio {spread(ratios, 1, '.3f')}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
