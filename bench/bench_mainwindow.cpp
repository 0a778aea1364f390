// The main window's costs as a user meets them.
//
//   bench_mainwindow                 New Data + Perform PCA on 150 rows, Perform PCA with both
//                                    plots painted (Google Benchmark), and the time from process
//                                    start to the window shown
//   bench_mainwindow --startup-child internal: starts like the program, reports when shown
#include "analysis.h"
#include "application.h"
#include "mainfrm.h"
#include "window_pages.h"

#include <benchmark/benchmark.h>

#include <QEvent>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {
std::int64_t MonotonicMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Reports the moment the window has painted itself for the first time, then quits.
class TShownProbe : public QObject {
  protected:
    bool eventFilter(QObject*, QEvent* Event) override
    {
        if (Event->type() == QEvent::Paint && !FReported) {
            FReported = true;
            std::printf("shown %lld\n", static_cast<long long>(MonotonicMicroseconds()));
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

  private:
    bool FReported = false;
};

int RunStartupChild(int argc, char** argv)
{
    TApplication app(argc, argv);
    AnalysisStartUp();
    TForm1 form;
    TShownProbe probe;
    form.installEventFilter(&probe);
    form.show();
    return app.exec();
}

// Starts this program as a child that behaves like the real one and returns the milliseconds
// from launching it to its window's first paint.
double StartupMilliseconds(const char* self)
{
    QProcess child;
    const std::int64_t launched = MonotonicMicroseconds();
    child.start(QString::fromLocal8Bit(self), {QStringLiteral("--startup-child")});
    child.waitForFinished(30000);
    const QByteArray out = child.readAllStandardOutput();
    long long shown = 0;
    if (std::sscanf(out.constData(), "shown %lld", &shown) != 1) return -1;
    return double(shown - launched) / 1000.0;
}

void BM_NewDataAndPerformPCA(benchmark::State& state)
{
    AnalysisStartUp();
    TForm1 form;
    for (auto _ : state) {
        form.BButNewDataClick();
        form.BButPerformPCAClick();
    }
}
BENCHMARK(BM_NewDataAndPerformPCA)->Unit(benchmark::kMillisecond);

void BM_PerformPCAOnly(benchmark::State& state)
{
    AnalysisStartUp();
    TForm1 form;
    form.BButNewDataClick();
    for (auto _ : state) form.BButPerformPCAClick();
}
BENCHMARK(BM_PerformPCAOnly)->Unit(benchmark::kMillisecond);

// Perform PCA on 150 rows with both plots built and painted at the window's size, as a user
// who then looks at either page sees them.
void BM_PerformPCAAndBothPlots(benchmark::State& state)
{
    TForm1 form;
    ShowWindowWithBothPlotPages(form);
    for (auto _ : state) {
        form.BButPerformPCAClick();
        benchmark::DoNotOptimize(form.KXScores->Picture().constBits());
        benchmark::DoNotOptimize(form.KXLoadings->Picture().constBits());
    }
    state.counters["scores_width"] = form.KXScores->Width();
    state.counters["loadings_width"] = form.KXLoadings->Width();
}
BENCHMARK(BM_PerformPCAAndBothPlots)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--startup-child") == 0)
        return RunStartupChild(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::vector<double> startups;
    for (int run = 0; run < 7; ++run) startups.push_back(StartupMilliseconds(argv[0]));
    std::sort(startups.begin(), startups.end());
    std::printf("process start to window shown: median %.1f ms (min %.1f, max %.1f, 7 runs)\n",
                startups[startups.size() / 2], startups.front(), startups.back());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
