// Rendering cost of the chart: one pass over 1,000,000 score marks (mark 6 in three class
// colours) into the plot bitmap.
//
//   bench_kurvex_render [google benchmark flags]   run the benchmark
//   bench_kurvex_render --write-points DIR         write the points, the bitmap size and the
//                                                  ranges to DIR and our rendering as ours.png,
//                                                  for peers/render_matplotlib.py
#include "ZEV_kurvex.h"
#include "analysis.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int kMarks = 1000000;
constexpr int kChartWidth = 1000, kChartHeight = 700;

std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double Uniform(std::uint64_t i)
{
    return double(SplitMix(i) >> 11) * 0x1p-53;
}

struct TScoreCloud {
    std::vector<double> X, Y;
    std::vector<std::uint8_t> Class; // 1..3
};

// Three overlapping clusters of roughly normal spread, as scores of three classes look.
const TScoreCloud& Cloud()
{
    static const TScoreCloud cloud = [] {
        TScoreCloud c;
        for (int i = 0; i < kMarks; ++i) {
            const int cls = i % 3 + 1;
            double nx = -3, ny = -3;
            for (int k = 0; k < 6; ++k) {
                nx += Uniform(std::uint64_t(i) * 16 + k);
                ny += Uniform(std::uint64_t(i) * 16 + 8 + k);
            }
            c.X.push_back(3.0 * (cls - 2) + 1.2 * nx);
            c.Y.push_back(0.8 * (cls - 2) * (cls - 2) + 0.7 * ny);
            c.Class.push_back(std::uint8_t(cls));
        }
        return c;
    }();
    return cloud;
}

struct TScoreChart {
    TKurvex Chart;
    TBitmap Plot;
    TScoreChart()
    {
        Chart.SetBounds(0, 0, kChartWidth, kChartHeight);
        const TScoreCloud& c = Cloud();
        for (int i = 0; i < kMarks; ++i) {
            Chart.SetDataColor(ClassColor(c.Class[std::size_t(i)]));
            Chart.AddMark(c.X[std::size_t(i)], c.Y[std::size_t(i)], 6);
        }
        Chart.AutoRange(1, 3);
        Plot.SetSize(Chart.PlotWidth() + 1, Chart.PlotHeight() + 1);
    }
    void Render()
    {
        Chart.PaintPlotBackground(Plot.Canvas(), 0, 0, Plot.Width(), Plot.Height());
        Chart.RenderToBitmap(&Plot, 0, 0, false, false);
    }
};

TScoreChart& Scores()
{
    static TScoreChart chart;
    return chart;
}

void BM_RenderScoreMarks(benchmark::State& state)
{
    TScoreChart& s = Scores();
    for (auto _ : state) {
        s.Render();
        benchmark::ClobberMemory();
    }
    state.counters["marks"] = kMarks;
    state.counters["width"] = s.Plot.Width();
    state.counters["height"] = s.Plot.Height();
}
BENCHMARK(BM_RenderScoreMarks)->Unit(benchmark::kMillisecond)->UseRealTime();

bool WriteFile(const std::string& Path, const void* Data, std::size_t Bytes)
{
    std::FILE* f = std::fopen(Path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(Data, 1, Bytes, f) == Bytes;
    return std::fclose(f) == 0 && ok;
}

int WritePoints(const std::string& Dir)
{
    TScoreChart& s = Scores();
    const TScoreCloud& c = Cloud();
    std::vector<double> xy;
    xy.reserve(std::size_t(2) * kMarks);
    for (int i = 0; i < kMarks; ++i)
        xy.push_back(c.X[std::size_t(i)]), xy.push_back(c.Y[std::size_t(i)]);
    if (!WriteFile(Dir + "/points.f64", xy.data(), xy.size() * sizeof(double))) return 1;
    if (!WriteFile(Dir + "/classes.u8", c.Class.data(), c.Class.size())) return 1;
    const TScaleProps& x = *s.Chart.Scale1X();
    const TScaleProps& y = *s.Chart.Scale1Y();
    std::string colors;
    for (int cls = 1; cls <= 3; ++cls) {
        const TColor col = ClassColor(cls);
        colors += (cls > 1 ? ", " : "") + std::string("\"") + std::to_string(cls) + "\": [" +
                  std::to_string(col & 0xFF) + ", " + std::to_string((col >> 8) & 0xFF) + ", " +
                  std::to_string((col >> 16) & 0xFF) + "]";
    }
    char meta[512];
    std::snprintf(meta, sizeof meta,
                  "{\"width\": %d, \"height\": %d, \"xlo\": %.17g, \"xhi\": %.17g, "
                  "\"ylo\": %.17g, \"yhi\": %.17g, \"colors\": {%s}}\n",
                  s.Plot.Width(), s.Plot.Height(), x.RangeLow(), x.RangeHigh(), y.RangeLow(),
                  y.RangeHigh(), colors.c_str());
    if (!WriteFile(Dir + "/meta.json", meta, std::strlen(meta))) return 1;
    s.Render();
    return s.Plot.Image().save(QString::fromStdString(Dir + "/ours.png")) ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--write-points") == 0) return WritePoints(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
