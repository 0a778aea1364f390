// One pan step and one zoom-drag step on a chart of 100,000 marks: from the mouse-move event to
// the finished picture of the control (the ranges changed, frame, axes and plot painted again).
// One step should fit into a frame at 60 Hz, 16 ms.
//
//   bench_kurvex_mouse
#include "ZEV_kurvex.h"

#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

#include <cmath>

namespace {
constexpr int Marks = 100000;

void Send(TKurvex& K, QEvent::Type Type, QPoint P, Qt::MouseButtons Buttons)
{
    const Qt::MouseButton button = Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(Type, P, K.mapToGlobal(P), button, Buttons, Qt::NoModifier);
    QApplication::sendEvent(&K, &e);
}

void MouseStep(benchmark::State& State, TMouseActMode Mode)
{
    TKurvex k;
    k.SetBounds(0, 0, 800, 600);
    for (int i = 0; i < Marks; ++i) {
        const double t = 0.001 * i;
        k.AddMark(t * std::cos(t), t * std::sin(t), 6);
    }
    k.AutoRange(1, 3);
    k.SetMouseAction(Mode);
    k.show();
    (void)k.Picture();
    const QPoint start(400, 300);
    Send(k, QEvent::MouseButtonPress, start, Qt::LeftButton);
    Send(k, QEvent::MouseMove, start, Qt::LeftButton);
    int step = 0;
    for (auto _ : State) {
        // Back and forth, so every step changes the ranges.
        Send(k, QEvent::MouseMove, start + QPoint(step++ % 2 ? 30 : 10, -10), Qt::LeftButton);
        benchmark::DoNotOptimize(k.Picture().constBits());
    }
    Send(k, QEvent::MouseButtonRelease, start, Qt::NoButton);
}

void BM_PanStep(benchmark::State& State)
{
    MouseStep(State, maPan);
}
BENCHMARK(BM_PanStep)->Unit(benchmark::kMillisecond);

void BM_ZoomDragStep(benchmark::State& State)
{
    MouseStep(State, maZoomDrag);
}
BENCHMARK(BM_ZoomDragStep)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
