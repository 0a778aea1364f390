// Timing a load of the large data file into a fresh table, with the memory it takes: the peak
// resident size while loading and what the finished table keeps, both beyond what was resident
// before.
#pragma once

#include "ZEV_datatable.h"
#include "ZEV_matrix.h"
#include "large_asc.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

// Current and peak resident size of this process in bytes, from /proc/self/status.
inline void ResidentBytes(std::uint64_t& Current, std::uint64_t& Peak)
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
inline void ResetPeak()
{
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// The folder for the data files: Dir when given, otherwise a temporary one that Keep holds.
inline QString DataFolder(const QString& Dir, std::unique_ptr<QTemporaryDir>& Keep)
{
    if (!Dir.isEmpty()) return Dir;
    Keep = std::make_unique<QTemporaryDir>();
    return Keep->path();
}

// Times Load(table), which must fill the table from File and return true, once per iteration.
// Counters: file_MB, peak_MB (while loading), table_MB (kept after it), cell_sum.
template <typename Load>
void TimeTableLoad(benchmark::State& state, const QString& File, Load&& LoadInto)
{
    const double fileBytes = double(QFileInfo(File).size());
    std::uint64_t peakExtra = 0, tableBytes = 0;
    double sum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<TDataTable>();
        ResetPeak();
        std::uint64_t before = 0, peak = 0;
        ResidentBytes(before, peak);
        state.ResumeTiming();

        const bool ok = LoadInto(*table);

        state.PauseTiming();
        std::uint64_t after = 0;
        ResidentBytes(after, peak);
        peakExtra = std::max(peakExtra, peak - before);
        tableBytes = std::max(tableBytes, after - before);
        if (!ok || table->NrOfRows() != kRows || table->NrOfColumns() != kCols)
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
