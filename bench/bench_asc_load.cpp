// Loading a large ASC data file: 1,000,000 rows x 10 columns of numbers with 10 significant
// digits (about 120 MB), time and peak memory of LoadFromASCFile; and a tiny file whose header
// promises a huge table.
//
//   bench_asc_load [google benchmark flags]        generate into a temporary folder and time
//   bench_asc_load --data DIR [benchmark flags]    keep the files in DIR (made when missing):
//       DIR/large.asc and DIR/large.txt, the same rows without the header, for the peer in
//       peers/asc_load_pandas.py
#include "ZEV_datatable.h"
#include "ZEV_matrix.h"
#include "large_asc.h"
#include "table_load.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace {

QString gDataDir;

void BM_AscLoad(benchmark::State& state)
{
    std::unique_ptr<QTemporaryDir> tmp;
    const QString dir = DataFolder(gDataDir, tmp);
    const QString file = dir + "/large.asc";
    if (!QFileInfo::exists(file) || !QFileInfo::exists(dir + "/large.txt")) WriteLargeAsc(dir);
    TimeTableLoad(state, file, [&](TDataTable& T) { return T.LoadFromASCFile(file) == ascOK; });
}

BENCHMARK(BM_AscLoad)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// A 60-byte file whose header promises 46341 x 46341 cells (17 GB) and holds three: the load
// must cost what the file holds, not what its header says.
void BM_AscHugeHeader(benchmark::State& state)
{
    QTemporaryDir tmp;
    const QString file = tmp.path() + "/huge_header.asc";
    {
        std::ofstream asc(QFile::encodeName(file).toStdString(), std::ios::binary);
        asc << "huge header, three cells\r\n46341\r\n46341\r\nFALSE FALSE FALSE FALSE\r\n1 2 3";
    }
    std::uint64_t peakExtra = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<TDataTable>();
        ResetPeak();
        std::uint64_t before = 0, peak = 0, after = 0;
        ResidentBytes(before, peak);
        state.ResumeTiming();

        const int code = table->LoadFromASCFile(file);

        state.PauseTiming();
        ResidentBytes(after, peak);
        peakExtra = std::max(peakExtra, peak - before);
        if (code != ascBadCell || table->NrOfRows() != 1 || table->NrOfColumns() != 46341)
            state.SkipWithError("unexpected result");
        table.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = double(peakExtra) / 1e6;
}

BENCHMARK(BM_AscHugeHeader)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithDataDir(argc, argv, gDataDir);
}
