// Loading a large ASC data file: 1,000,000 rows x 10 columns of numbers with 10 significant
// digits (about 120 MB), time and peak memory of LoadFromASCFile.
//
//   bench_asc_load [google benchmark flags]        generate into a temporary folder and time
//   bench_asc_load --data DIR [benchmark flags]    keep the files in DIR (made when missing):
//       DIR/large.asc and DIR/large.txt, the same rows without the header, for the peer in
//       peers/asc_load_pandas.py
#include "ZEV_datatable.h"
#include "ZEV_matrix.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kRows = 1000000;
constexpr int kCols = 10;

QString gDataDir;

std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Uniform in [0, 1000), printed with 10 significant digits: "123.4567891" and a separator, so
// 12 bytes a cell on average.
void WriteFiles(const QString& Dir)
{
    std::ofstream asc(QFile::encodeName(Dir + "/large.asc").toStdString(), std::ios::binary);
    std::ofstream txt(QFile::encodeName(Dir + "/large.txt").toStdString(), std::ios::binary);
    asc << "Benchmark data, uniform on [0, 1000), 10 significant digits\r\n"
        << kCols << "\r\n"
        << kRows << "\r\nFALSE FALSE FALSE FALSE\r\n";
    std::string line;
    char num[32];
    for (int r = 0; r < kRows; ++r) {
        line.clear();
        for (int c = 0; c < kCols; ++c) {
            const std::uint64_t bits = SplitMix(std::uint64_t(r) * kCols + std::uint64_t(c));
            const double v = double(bits >> 11) * 0x1p-53 * 1000.0;
            const auto res =
                std::to_chars(num, num + sizeof num, v, std::chars_format::general, 10);
            if (c) line.push_back(' ');
            line.append(num, res.ptr);
        }
        line += "\r\n";
        asc << line;
        txt << line;
    }
}

// Current and peak resident size of this process in bytes, from /proc/self/status.
void ResidentBytes(std::uint64_t& Current, std::uint64_t& Peak)
{
    Current = Peak = 0;
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        unsigned long long kb = 0;
        if (std::sscanf(line, "VmRSS: %llu kB", &kb) == 1) Current = kb * 1024;
        if (std::sscanf(line, "VmHWM: %llu kB", &kb) == 1) Peak = kb * 1024;
    }
    std::fclose(f);
}

// Lets the peak resident size start again from the current one.
void ResetPeak()
{
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

void BM_AscLoad(benchmark::State& state)
{
    std::unique_ptr<QTemporaryDir> tmp;
    QString dir = gDataDir;
    if (dir.isEmpty()) {
        tmp = std::make_unique<QTemporaryDir>();
        dir = tmp->path();
    }
    const QString file = dir + "/large.asc";
    if (!QFileInfo::exists(file) || !QFileInfo::exists(dir + "/large.txt")) WriteFiles(dir);
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

        const int code = table->LoadFromASCFile(file);

        state.PauseTiming();
        std::uint64_t after = 0;
        ResidentBytes(after, peak);
        peakExtra = std::max(peakExtra, peak - before);
        tableBytes = std::max(tableBytes, after - before);
        if (code != ascOK || table->NrOfRows() != kRows) state.SkipWithError("load failed");
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

BENCHMARK(BM_AscLoad)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    // Our own option first; the rest belongs to the benchmark library.
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
            gDataDir = QString::fromLocal8Bit(argv[++i]);
            QDir().mkpath(gDataDir);
        } else {
            argv[out++] = argv[i];
        }
    }
    argc = out;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
