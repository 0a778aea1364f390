// Painting one axis scale with 250 ticks, the way the chart does it (transparent, onto its own
// bitmap through the target canvas) and opaque with background and frame; plus the tick
// computation alone and a typical chart axis for comparison.
//
//   bench_scale                                   all cases
//   bench_scale --benchmark_filter=Paint250       the 250-tick paintings only
#include "ZEV_Scale.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// 0..124 with unit steps: 125 short and 125 long ticks, every long one labelled.
std::unique_ptr<TScale> Scale250(TBitmap& Target, bool Transparent)
{
    auto s = std::make_unique<TScale>();
    s->SetBounds(0, 0, 1200, 60);
    s->SetMarginLeft(10);
    s->SetMarginRight(10);
    s->SetRange(0, 124);
    s->SetMinTicks(0);
    s->SetTransparent(Transparent);
    Target.SetSize(1200, 60);
    s->SetTargetCanvas(Target.Canvas(), 0, 0);
    s->SetDirectPaint(true);
    return s;
}

void BM_Paint250Transparent(benchmark::State& State)
{
    TBitmap target;
    auto s = Scale250(target, true);
    for (auto _ : State) s->ForcePaint();
    if (s->NumTicks() != 250) State.SkipWithError("expected 250 ticks");
}
BENCHMARK(BM_Paint250Transparent)->Unit(benchmark::kMicrosecond);

void BM_Paint250Opaque(benchmark::State& State)
{
    TBitmap target;
    auto s = Scale250(target, false);
    for (auto _ : State) s->ForcePaint();
    if (s->NumTicks() != 250) State.SkipWithError("expected 250 ticks");
}
BENCHMARK(BM_Paint250Opaque)->Unit(benchmark::kMicrosecond);

void BM_PaintCalendarAxis(benchmark::State& State)
{
    // Ten days at the hours level: labels with their dates, short ticks every three hours.
    TBitmap target;
    auto s = Scale250(target, true);
    s->SetLabelType(ftDateTime);
    s->SetMinTicks(10);
    s->SetRange(45292, 45302);
    for (auto _ : State) s->ForcePaint();
    State.counters["ticks"] = s->NumTicks();
}
BENCHMARK(BM_PaintCalendarAxis)->Unit(benchmark::kMicrosecond);

void BM_PaintTypicalAxis(benchmark::State& State)
{
    TBitmap target;
    auto s = Scale250(target, true);
    s->SetBounds(0, 0, 600, 60);
    s->SetRange(-3.7, 12.9);
    s->SetMinTicks(5);
    for (auto _ : State) s->ForcePaint();
    State.counters["ticks"] = s->NumTicks();
}
BENCHMARK(BM_PaintTypicalAxis)->Unit(benchmark::kMicrosecond);

void BM_ComputeTicks250(benchmark::State& State)
{
    TScaleSettings s;
    s.StoreRange(0, 124);
    s.SetMinTicks(0);
    for (auto _ : State) benchmark::DoNotOptimize(ComputeScaleTicks(s, sctXB));
}
BENCHMARK(BM_ComputeTicks250)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
