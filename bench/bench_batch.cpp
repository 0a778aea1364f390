// The console program on the 1,000,000 x 10 benchmark file, all components, CSV into a folder:
// the whole process, from start to exit, as a user runs it.
//
//   bench_batch [google benchmark flags]        generate into a temporary folder and time
//   bench_batch --data DIR [benchmark flags]    keep the files in DIR (made when missing), for
//       the peer in peers/batch_pandas.py
#include "large_asc.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace {

QString gDataDir;

void BM_BatchCsv(benchmark::State& state)
{
    std::unique_ptr<QTemporaryDir> tmp;
    QString dir = gDataDir;
    if (dir.isEmpty()) {
        tmp = std::make_unique<QTemporaryDir>();
        dir = tmp->path();
    }
    const QString file = dir + "/large.asc";
    if (!QFileInfo::exists(file) || !QFileInfo::exists(dir + "/large.txt")) WriteLargeAsc(dir);

    for (auto _ : state) {
        QProcess batch;
        batch.setProcessChannelMode(QProcess::ForwardedChannels);
        batch.start(QStringLiteral(ZEV_BATCH_PROGRAM),
                    {QStringLiteral("--out"), dir + "/ours", file});
        if (!batch.waitForFinished(-1) || batch.exitCode() != 0)
            state.SkipWithError("the console program failed");
    }
    state.counters["file_MB"] = double(QFileInfo(file).size()) / 1e6;
    state.counters["scores_MB"] = double(QFileInfo(dir + "/ours/large.scores.csv").size()) / 1e6;
}

BENCHMARK(BM_BatchCsv)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithDataDir(argc, argv, gDataDir);
}
