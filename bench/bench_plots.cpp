// The plot additions' costs.
//
//   BM_HoverLookup              nearest mark to the mouse among 1,000,000 marks
//   BM_HoverIndexBuild          building that index, once per analysis
//   BM_PerformPCAWithAdditions  Perform PCA on 150 rows with both plots painted, labels and
//                               legend on (BM_PerformPCAPlain: the same with no choice made)
#include "analysis.h"
#include "hoverindex.h"
#include "mainfrm.h"
#include "plotcontroller.h"
#include "window_pages.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <random>

namespace {
std::vector<THoverIndex::TPoint> NormalPoints(std::size_t Count)
{
    std::mt19937_64 random(42);
    std::normal_distribution<double> normal(0, 1);
    std::vector<THoverIndex::TPoint> points(Count);
    for (auto& p : points) p = {normal(random), 0.5 * normal(random)};
    return points;
}

void BM_HoverLookup(benchmark::State& state)
{
    const THoverIndex index(NormalPoints(1000000));
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> u(-3, 3);
    // About 800 x 500 pixels over the data's range, a radius of 5 pixels.
    for (auto _ : state)
        benchmark::DoNotOptimize(index.Nearest(u(random), u(random) / 2, 130, -160, 5));
}
BENCHMARK(BM_HoverLookup)->Unit(benchmark::kMicrosecond);

void BM_HoverIndexBuild(benchmark::State& state)
{
    const auto points = NormalPoints(1000000);
    for (auto _ : state) benchmark::DoNotOptimize(THoverIndex(points).Count());
}
BENCHMARK(BM_HoverIndexBuild)->Unit(benchmark::kMillisecond);

void PerformPCAWithBothPlots(benchmark::State& state, const TPlotOptions& Options)
{
    TForm1 form;
    ShowWindowWithBothPlotPages(form);
    form.Plots()->SetOptions(Options);
    for (auto _ : state) {
        form.BButPerformPCAClick();
        benchmark::DoNotOptimize(form.KXScores->Picture().constBits());
        benchmark::DoNotOptimize(form.KXLoadings->Picture().constBits());
    }
}

void BM_PerformPCAWithAdditions(benchmark::State& state)
{
    TPlotOptions options;
    options.LabelPoints = options.ShowLegend = true;
    PerformPCAWithBothPlots(state, options);
}
BENCHMARK(BM_PerformPCAWithAdditions)->Unit(benchmark::kMillisecond);

void BM_PerformPCAPlain(benchmark::State& state)
{
    PerformPCAWithBothPlots(state, TPlotOptions());
}
BENCHMARK(BM_PerformPCAPlain)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
