#!/usr/bin/python3
"""Times the chart's rendering of 1,000,000 score marks against matplotlib's Agg backend on the
same points and image size.

    /usr/bin/python3 bench/peers/render_matplotlib.py [path/to/bench_kurvex_render] [--runs N]

The benchmark binary writes the points (x, y and class colour of every mark), the plot bitmap's
size and the axis ranges to a temporary folder and renders them once into ours.png there;
matplotlib draws the same points with one scatter call per colour, marker "x" 7 pixels across,
into an image of the same size (matplotlib.png). Then the binary's own benchmark runs. Prints
both times and the ratio ours/matplotlib, against the Agg drawing alone and against scatter
calls plus drawing.
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


def render(meta, xy, classes, clock, save=None):
    """Returns (seconds for scatter calls and drawing, seconds for drawing alone) by clock."""
    dpi = 100.0
    start = clock()
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
    built = clock()
    canvas.draw()
    done = clock()
    if save:
        fig.savefig(save, dpi=dpi)
    return done - start, done - built


def median(values):
    return sorted(values)[len(values) // 2]


def ours(binary):
    """Median (wall, processor) seconds of the chart's render pass."""
    out = subprocess.run([binary, "--benchmark_filter=RenderScoreMarks",
                          "--benchmark_format=json", "--benchmark_repetitions=5",
                          "--benchmark_report_aggregates_only=true"],
                         check=True, capture_output=True, text=True).stdout
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
            return b["real_time"] * scale, b["cpu_time"] * scale
    raise RuntimeError("no median in the benchmark output")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("binary", nargs="?",
                        default=os.path.join(here, "..", "..", "build-bench", "bench",
                                             "bench_kurvex_render"))
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([args.binary, "--write-points", folder], check=True)
        meta, xy, classes = load(folder)
        render(meta, xy, classes, time.perf_counter, save=os.path.join(folder, "matplotlib.png"))
        wall = [render(meta, xy, classes, time.perf_counter) for _ in range(args.runs)]
        cpu = [render(meta, xy, classes, time.process_time) for _ in range(args.runs)]
        mine = ours(args.binary)
        if os.environ.get("ZEV_KEEP_PICTURES"):
            for name in ("ours.png", "matplotlib.png"):
                os.replace(os.path.join(folder, name),
                           os.path.join(os.environ["ZEV_KEEP_PICTURES"], "render_" + name))
    print(f"{len(xy)} marks, {meta['width']} x {meta['height']} pixels; wall and processor times")
    for label, runs, ours_time in (("wall", wall, mine[0]), ("processor", cpu, mine[1])):
        total, draw = median([r[0] for r in runs]), median([r[1] for r in runs])
        print(f"{label:9}  ours {ours_time * 1e3:7.1f} ms   matplotlib draw {draw * 1e3:7.1f} ms"
              f" (ratio {ours_time / draw:.3f})   scatter + draw {total * 1e3:7.1f} ms"
              f" (ratio {ours_time / total:.3f})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
