// Painting one viewport of the table editor, for a small and a very long table, and the heap the
// editor itself takes beyond its data table.
//
//   bench_valgrid_paint --benchmark_filter=Paint   time per full viewport
//   bench_valgrid_paint --benchmark_filter=Memory  editor_own_bytes per table size
#include "ZEV_valgrid.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>

namespace {
constexpr int Columns = 10;

std::size_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// An editor of Columns x Rows with numbers, marks and names in the rows it will show.
std::unique_ptr<TValgrid> MakeEditor(int Rows, int TopRow)
{
    auto g = std::make_unique<TValgrid>();
    g->resize(800, 600);
    g->SetSuppressPaint(true);
    g->SetNrOfColumns(Columns);
    g->SetNrOfRows(Rows);
    TDataTable* t = g->DataTable();
    for (int r = TopRow; r < TopRow + 40 && r <= Rows; ++r) {
        g->SetRowAttrib(r, std::uint8_t(r % 3 + 1));
        for (int c = 1; c <= Columns; ++c) {
            t->SetElem(c, r, r * 1.25 + c * 1000.0);
            if ((r + c) % 7 == 0) t->SetCellState(c, r, dtcsMarkA);
        }
    }
    g->SetTopRow(TopRow);
    g->SetSuppressPaint(false);
    return g;
}

void BM_PaintViewport(benchmark::State& state)
{
    const int rows = int(state.range(0));
    auto g = MakeEditor(rows, rows > 100 ? rows / 2 : 1);
    int cells = 0;
    g->OnBeforeRenderCell = [&](TObject*, int, int, QString&, TColor&, TColor&, TFontStyles&) {
        ++cells;
    };
    for (auto _ : state) {
        g->Invalidate();
        benchmark::DoNotOptimize(g->Picture().constBits());
    }
    state.counters["cells_per_paint"] = double(cells) / double(state.iterations());
}
BENCHMARK(BM_PaintViewport)->Arg(100)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Heap of an editor bound to a table, minus the heap of a bare table of the same size.
void BM_EditorMemory(benchmark::State& state)
{
    const int rows = int(state.range(0));
    MakeEditor(rows, 1)->Picture(); // fonts and caches that any first paint allocates
    std::size_t tableBytes = 0, editorBytes = 0;
    for (auto _ : state) {
        const std::size_t t0 = HeapInUse();
        {
            auto table = std::make_unique<TDataTable>();
            table->Resize(Columns, rows);
            tableBytes = HeapInUse() - t0;
        }
        const std::size_t e0 = HeapInUse();
        auto g = MakeEditor(rows, 1);
        g->Picture();
        editorBytes = HeapInUse() - e0;
    }
    state.counters["table_bytes"] = double(tableBytes);
    state.counters["editor_own_bytes"] = double(editorBytes) - double(tableBytes);
}
BENCHMARK(BM_EditorMemory)->Arg(100)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);
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
