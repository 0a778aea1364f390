// Filling a chart's data list with a million marks and fitting the axes to them, as a score
// plot of a large table would; the memory the list holds per mark is reported alongside. A
// cleared chart keeps its pages until the system wants them back, so refilling it (BM_AddMarks)
// costs less than filling a new one (BM_AddMarksNewChart).
//
//   bench_kurvex_items                              all cases
//   bench_kurvex_items --benchmark_filter=AddMarks  appending only
#include "ZEV_kurvex.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {
constexpr int Marks = 1000000;

void AddMarks(TKurvex& K)
{
    for (int i = 0; i < Marks; ++i) K.AddMark(i * 0.001, (i % 977) * 0.5, 6);
}

void ReportMemory(benchmark::State& State, const TKurvex& K)
{
    const TkxItemList& items = K.DataItems();
    State.counters["bytes_per_item"] = double(items.ReservedBytes()) / items.Count();
    State.counters["record_bytes"] = double(sizeof(TkxChartItem));
}

void BM_AddMarks(benchmark::State& State)
{
    TKurvex k;
    for (auto _ : State) {
        State.PauseTiming();
        k.ClearItems();
        State.ResumeTiming();
        AddMarks(k);
    }
    ReportMemory(State, k);
}
BENCHMARK(BM_AddMarks)->Unit(benchmark::kMillisecond);

// The first filling of a new chart also pays for the system handing out the pages.
void BM_AddMarksNewChart(benchmark::State& State)
{
    for (auto _ : State) {
        State.PauseTiming();
        auto k = std::make_unique<TKurvex>();
        State.ResumeTiming();
        AddMarks(*k);
        State.PauseTiming();
        k.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_AddMarksNewChart)->Unit(benchmark::kMillisecond);

void BM_AutoRange(benchmark::State& State)
{
    TKurvex k;
    AddMarks(k);
    for (auto _ : State) k.AutoRange(1, 3);
}
BENCHMARK(BM_AutoRange)->Unit(benchmark::kMillisecond);

// The whole request: a cleared chart, a million marks, the fit.
void BM_AddMarksAndAutoRange(benchmark::State& State)
{
    TKurvex k;
    for (auto _ : State) {
        State.PauseTiming();
        k.ClearItems();
        State.ResumeTiming();
        AddMarks(k);
        k.AutoRange(1, 3);
    }
    ReportMemory(State, k);
}
BENCHMARK(BM_AddMarksAndAutoRange)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
