// Loading a large text table: 1,000,000 rows x 10 columns of numbers with 10 significant digits
// (the numbers of the ASC benchmark file), comma-separated under a heading; time and peak memory
// of ReadTextTable.
//
//   bench_csv_load [google benchmark flags]        generate into a temporary folder and time
//   bench_csv_load --data DIR [benchmark flags]    keep the file in DIR (made when missing):
//       DIR/large.csv, for the peers in peers/csv_load_peers.py
#include "ZEV_matrix.h"
#include "ZEV_texttable.h"
#include "large_asc.h"
#include "resident_memory.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace {

QString gDataDir;

void WriteLargeCsv(const QString& Path)
{
    std::ofstream csv(QFile::encodeName(Path).toStdString(), std::ios::binary);
    for (int c = 1; c <= kCols; ++c) csv << (c > 1 ? ",v" : "v") << c;
    csv << "\r\n";
    std::string line;
    char num[32];
    for (int r = 0; r < kRows; ++r) {
        line.clear();
        for (int c = 0; c < kCols; ++c) {
            const std::uint64_t bits = SplitMix(std::uint64_t(r) * kCols + std::uint64_t(c));
            const double v = double(bits >> 11) * 0x1p-53 * 1000.0;
            const auto res =
                std::to_chars(num, num + sizeof num, v, std::chars_format::general, 10);
            if (c) line.push_back(',');
            line.append(num, res.ptr);
        }
        line += "\r\n";
        csv << line;
    }
}

void BM_CsvLoad(benchmark::State& state)
{
    std::unique_ptr<QTemporaryDir> tmp;
    QString dir = gDataDir;
    if (dir.isEmpty()) {
        tmp = std::make_unique<QTemporaryDir>();
        dir = tmp->path();
    }
    const QString file = dir + "/large.csv";
    if (!QFileInfo::exists(file)) WriteLargeCsv(file);
    const double fileBytes = double(QFileInfo(file).size());

    std::uint64_t peakExtra = 0, tableBytes = 0;
    double sum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<TDataTable>();
        ResetPeak();
        std::uint64_t before = 0, peak = 0;
        ResidentBytes(before, peak);
        state.ResumeTiming();

        const TTextTableResult result = ReadTextTable(*table, file);

        state.PauseTiming();
        std::uint64_t after = 0;
        ResidentBytes(after, peak);
        peakExtra = std::max(peakExtra, peak - before);
        tableBytes = std::max(tableBytes, after - before);
        if (!result.Ok() || table->NrOfRows() != kRows || table->NrOfColumns() != kCols)
            state.SkipWithError("load failed");
        sum = 0;
        for (int c = 1; c <= kCols; ++c) {
            const double* col = table->DataMat()->ColumnData(c);
            for (int r = 0; r < kRows; ++r) sum += col[r];
        }
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(fileBytes) * state.iterations());
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["peak_MB"] = double(peakExtra) / 1e6;
    // What the finished table keeps resident, against the peak while loading.
    state.counters["table_MB"] = double(tableBytes) / 1e6;
    state.counters["cell_sum"] = sum;
}

BENCHMARK(BM_CsvLoad)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    gDataDir = TakeDataDirOption(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
