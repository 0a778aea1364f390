// pca-batch --stream on a generated file far larger than the table the window could hold: peak
// memory (from /usr/bin/time -v) and input read per second of the whole job, and the bytes it
// writes against those of the run that reads the table whole.
//
//   bench_stream [--data DIR] [--rows N] [benchmark flags]
//       N rows x 10 columns (default 100,000,000, about 12 GB; fewer when the disk has no room
//       for the file and a tenth more), generated into DIR or a temporary folder and deleted
//       after. The job writes the scores on two components to /dev/null.
#include "large_asc.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sys/statvfs.h>

namespace {

QString gDataDir;
long long gRows = 100000000;

// Average bytes of one generated row, header aside.
constexpr double kRowBytes = 121.0;

QString DataDir(std::unique_ptr<QTemporaryDir>& Tmp)
{
    if (!gDataDir.isEmpty()) return gDataDir;
    Tmp = std::make_unique<QTemporaryDir>(QDir::currentPath() + "/bench_stream-XXXXXX");
    return Tmp->path();
}

// The rows that fit on the disk of Dir with a tenth to spare.
long long RowsThatFit(const QString& Dir, long long Rows)
{
    struct statvfs fs {};
    if (statvfs(QFile::encodeName(Dir).constData(), &fs) != 0) return Rows;
    const double free = double(fs.f_bavail) * double(fs.f_frsize);
    return std::min(Rows, (long long)(free / 1.1 / kRowBytes));
}

void WriteRows(const QString& Path, long long Rows)
{
    std::FILE* f = std::fopen(QFile::encodeName(Path).constData(), "wb");
    std::fprintf(f,
                 "Benchmark data, uniform on [0, 1000), 10 significant digits\r\n%d\r\n%lld\r\n"
                 "FALSE FALSE FALSE FALSE\r\n",
                 kCols, Rows);
    std::string line;
    for (long long r = 0; r < Rows; ++r) {
        LargeRow(int(r), ' ', line);
        std::fwrite(line.data(), 1, line.size(), f);
    }
    std::fclose(f);
}

struct TJob {
    bool Ok = false;
    double Seconds = 0, PeakMB = 0, CpuSeconds = 0; // user and system time of both cores
    QByteArray Out;
};

double Field(const QString& Report, const char* Name)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QLatin1String(Name) + QStringLiteral(": ([0-9.]+)")).match(Report);
    return m.hasMatch() ? m.captured(1).toDouble() : 0;
}

// pca-batch under /usr/bin/time -v; Keep: its standard output, else it goes to /dev/null.
TJob RunBatch(const QStringList& Arguments, bool Keep)
{
    QProcess p;
    if (!Keep) p.setStandardOutputFile(QProcess::nullDevice());
    const auto start = std::chrono::steady_clock::now();
    p.start(QStringLiteral("/usr/bin/time"),
            QStringList{"-v", QStringLiteral(ZEV_BATCH_PROGRAM)} + Arguments);
    TJob job;
    job.Ok = p.waitForFinished(-1) && p.exitCode() == 0;
    job.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    job.Out = Keep ? p.readAllStandardOutput() : QByteArray();
    const QString report = QString::fromLocal8Bit(p.readAllStandardError());
    job.PeakMB = Field(report, "Maximum resident set size \\(kbytes\\)") / 1024;
    job.CpuSeconds =
        Field(report, "User time \\(seconds\\)") + Field(report, "System time \\(seconds\\)");
    return job;
}

void BM_StreamLarge(benchmark::State& state)
{
    std::unique_ptr<QTemporaryDir> tmp;
    const QString dir = DataDir(tmp);
    const long long rows = RowsThatFit(dir, gRows);
    const QString file = dir + "/stream_large.asc";
    WriteRows(file, rows);
    const double megabytes = double(QFileInfo(file).size()) / 1e6;
    TJob job;
    for (auto _ : state) {
        job = RunBatch({"--stream", "-k", "2", file}, false);
        if (!job.Ok) state.SkipWithError("pca-batch --stream failed");
        state.SetIterationTime(job.Seconds);
    }
    QFile::remove(file);
    state.counters["rows"] = double(rows);
    state.counters["file_MB"] = megabytes;
    state.counters["input_MB_per_s"] = megabytes / job.Seconds;
    state.counters["peak_RSS_MB"] = job.PeakMB;
    // What the job would read per second with both cores to itself.
    state.counters["cpu_s"] = job.CpuSeconds;
    state.counters["input_MB_per_cpu_s"] = megabytes / job.CpuSeconds;
}

// 1,000,000 x 10, all components: the bytes of --stream against the whole table's.
void BM_StreamAgainstWholeTable(benchmark::State& state)
{
    std::unique_ptr<QTemporaryDir> tmp;
    const QString dir = DataDir(tmp);
    const QString file = dir + "/stream_1e6.asc";
    WriteRows(file, kRows);
    TJob whole, passes;
    for (auto _ : state) {
        whole = RunBatch({file}, true);
        passes = RunBatch({"--stream", file}, true);
        if (!whole.Ok || !passes.Ok) state.SkipWithError("pca-batch failed");
        state.SetIterationTime(passes.Seconds);
    }
    QFile::remove(file);
    state.counters["identical"] = whole.Out == passes.Out && !whole.Out.isEmpty() ? 1 : 0;
    state.counters["output_MB"] = double(passes.Out.size()) / 1e6;
    state.counters["whole_s"] = whole.Seconds;
    state.counters["whole_cpu_s"] = whole.CpuSeconds;
    state.counters["stream_cpu_s"] = passes.CpuSeconds;
    state.counters["whole_peak_RSS_MB"] = whole.PeakMB;
    state.counters["stream_peak_RSS_MB"] = passes.PeakMB;
}

BENCHMARK(BM_StreamAgainstWholeTable)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();
BENCHMARK(BM_StreamLarge)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

// Takes "--rows N" out of the arguments.
void TakeRowsOption(int& argc, char** argv)
{
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc)
            gRows = std::atoll(argv[++i]);
        else
            argv[out++] = argv[i];
    }
    argc = out;
}

} // namespace

int main(int argc, char** argv)
{
    TakeRowsOption(argc, argv);
    return RunBenchmarksWithDataDir(argc, argv, gDataDir);
}
