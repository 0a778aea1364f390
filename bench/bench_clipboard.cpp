// Clipboard exchange of a large block: "Copy" of 1,000,000 x 10 cells to clipboard text, and
// "Extract from Clipboard" of that text back into the table, through the system clipboard.
//
//   bench_clipboard [google benchmark flags]
//
// Counters: text_MB (size of the clipboard text in UTF-8), cell_sum (sum of the extracted
// cells, for the peer's check), cells_drawn (cells the editor painted per operation: one
// viewport, never one paint per cell) and change_events (OnChange per operation).
#include "ZEV_matrix.h"
#include "ZEV_valgrid.h"

#include <QApplication>
#include <QClipboard>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <memory>

namespace {
constexpr int Rows = 1000000;
constexpr int Columns = 10;

std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Cell (c, r), both from 0: uniform on [0, 1000), the same numbers the peer makes.
double CellValue(int c, int r)
{
    const std::uint64_t bits = SplitMix(std::uint64_t(r) * Columns + std::uint64_t(c));
    return double(bits >> 11) * 0x1p-53 * 1000.0;
}

struct TCounts {
    long long Cells = 0, Changes = 0;
};

std::unique_ptr<TValgrid> MakeEditor(TCounts& Counts)
{
    auto g = std::make_unique<TValgrid>();
    g->resize(800, 600);
    g->SetSuppressPaint(true);
    g->SetNrOfColumns(Columns);
    g->SetNrOfRows(Rows);
    for (int c = 0; c < Columns; ++c) {
        double* col = g->DataTable()->DataMat()->ColumnData(c + 1);
        for (int r = 0; r < Rows; ++r) col[r] = CellValue(c, r);
    }
    g->SetSuppressPaint(false);
    g->show();
    QApplication::processEvents();
    g->OnBeforeRenderCell = [&Counts](TObject*, int, int, QString&, TColor&, TColor&,
                                      TFontStyles&) { ++Counts.Cells; };
    g->OnChange = [&Counts](TObject*) { ++Counts.Changes; };
    return g;
}

void SelectAllData(TValgrid& G)
{
    G.SetSelection({2, 1, Columns + 1, Rows});
}

void ReportCounts(benchmark::State& State, const TCounts& Counts)
{
    State.counters["cells_drawn"] = double(Counts.Cells) / double(State.iterations());
    State.counters["change_events"] = double(Counts.Changes) / double(State.iterations());
}

void BM_CopyToClipboard(benchmark::State& state)
{
    TCounts counts;
    auto g = MakeEditor(counts);
    SelectAllData(*g);
    counts = {};
    for (auto _ : state) {
        g->CopyToClipboard();
        QApplication::processEvents(); // the one repaint, if any
    }
    state.counters["text_MB"] = double(QApplication::clipboard()->text().size()) / 1e6;
    ReportCounts(state, counts);
}
// CPU time of the whole process: Copy writes with a second thread.
BENCHMARK(BM_CopyToClipboard)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime();

void BM_ExtractFromClipboard(benchmark::State& state)
{
    TCounts counts;
    auto g = MakeEditor(counts);
    SelectAllData(*g);
    g->CopyToClipboard();
    // Extract into a table of zeros, so the sum shows that every cell came back.
    for (int c = 1; c <= Columns; ++c)
        std::fill_n(g->DataTable()->DataMat()->ColumnData(c), Rows, 0.0);
    counts = {};
    for (auto _ : state) {
        g->SetSelection({2, 1, 2, 1});
        g->ExtractFromClipboard();
        QApplication::processEvents();
    }
    double sum = 0;
    for (int c = 1; c <= Columns; ++c) {
        const double* col = g->DataTable()->DataMat()->ColumnData(c);
        for (int r = 0; r < Rows; ++r) sum += col[r];
    }
    state.counters["cell_sum"] = sum;
    ReportCounts(state, counts);
}
BENCHMARK(BM_ExtractFromClipboard)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime();
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
