// Loading a large text table: 1,000,000 rows x 10 columns of numbers with 10 significant digits
// (the numbers of the ASC benchmark file), comma-separated under a heading; time and peak memory
// of ReadTextTable.
//
//   bench_csv_load [google benchmark flags]        generate into a temporary folder and time
//   bench_csv_load --data DIR [benchmark flags]    keep the file in DIR (made when missing):
//       DIR/large.csv, for the peers in peers/csv_load_peers.py
#include "ZEV_texttable.h"
#include "large_asc.h"
#include "table_load.h"

namespace {

QString gDataDir;

void WriteLargeCsv(const QString& Path)
{
    std::ofstream csv(QFile::encodeName(Path).toStdString(), std::ios::binary);
    for (int c = 1; c <= kCols; ++c) csv << (c > 1 ? ",v" : "v") << c;
    csv << "\r\n";
    std::string line;
    for (int r = 0; r < kRows; ++r) {
        LargeRow(r, ',', line);
        csv << line;
    }
}

void BM_CsvLoad(benchmark::State& state)
{
    std::unique_ptr<QTemporaryDir> tmp;
    const QString file = DataFolder(gDataDir, tmp) + "/large.csv";
    if (!QFileInfo::exists(file)) WriteLargeCsv(file);
    TimeTableLoad(state, file, [&](TDataTable& T) { return ReadTextTable(T, file).Ok(); });
}

BENCHMARK(BM_CsvLoad)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksWithDataDir(argc, argv, gDataDir);
}
