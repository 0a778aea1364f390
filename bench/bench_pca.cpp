// Timing of CalcPrincComp on synthetic data with a known, well separated spectrum.
//
//   bench_pca [--long] [google benchmark flags]   run the benchmarks
//   bench_pca [--long] --write-data DIR [R_C ...] write every data set (or those of R rows and
//                                                 C columns) and our eigen-decomposition of it
//                                                 to DIR, for the peer comparison in peers/
// --long adds the tables that take a minute or more each.
#include "ZEV_math2.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Size {
    int rows, cols;
};
constexpr Size kSizes[] = {{150, 5},    {10000, 10}, {100000, 50}, {1000000, 10},
                           {5000, 200}, {3, 1000},   {100, 1000}};
constexpr Size kLongSizes[] = {{3, 2000}};

std::vector<Size> Sizes(bool Long)
{
    std::vector<Size> sizes(std::begin(kSizes), std::end(kSizes));
    if (Long) sizes.insert(sizes.end(), std::begin(kLongSizes), std::end(kLongSizes));
    return sizes;
}

std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Independent uniform sources with scales falling geometrically over a factor of 30, turned by
// an orthogonal (cosine) matrix and shifted per column: the covariance spectrum is known and
// its gaps wide enough for the eigenvectors to be compared between two solvers.
std::unique_ptr<TMatrix> MakeData(int rows, int cols)
{
    auto m = std::make_unique<TMatrix>();
    m->Resize(cols, rows);
    const double pi = std::acos(-1.0);
    std::vector<double> mix(static_cast<std::size_t>(cols) * cols);
    for (int k = 0; k < cols; ++k) {
        const double scale = cols > 1 ? std::pow(30.0, -double(k) / (cols - 1)) : 1.0;
        const double norm = std::sqrt((k == 0 ? 1.0 : 2.0) / cols);
        for (int c = 0; c < cols; ++c)
            mix[static_cast<std::size_t>(k) * cols + c] =
                scale * norm * std::cos(pi * (c + 0.5) * k / cols);
    }
    std::vector<double> u(static_cast<std::size_t>(cols));
    const std::uint64_t seed = std::uint64_t(rows) * 1000 + std::uint64_t(cols);
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < cols; ++k)
            u[k] = double(SplitMix(seed * 0x100000000ull + std::uint64_t(r) * cols + k) >> 11) *
                       0x1p-53 -
                   0.5;
        for (int c = 0; c < cols; ++c) {
            double x = 1.0 + c;
            for (int k = 0; k < cols; ++k) x += u[k] * mix[static_cast<std::size_t>(k) * cols + c];
            m->ColumnData(c + 1)[r] = x;
        }
    }
    return m;
}

const TMatrix& Data(int rows, int cols)
{
    static std::map<std::pair<int, int>, std::unique_ptr<TMatrix>> cache;
    auto& slot = cache[{rows, cols}];
    if (!slot) {
        cache.clear(); // one data set at a time keeps the largest ones out of each other's way
        auto& fresh = cache[{rows, cols}];
        fresh = MakeData(rows, cols);
        return *fresh;
    }
    return *slot;
}

void BM_CalcPrincComp(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0)), cols = static_cast<int>(state.range(1));
    const int scaling = static_cast<int>(state.range(2));
    const TMatrix& data = Data(rows, cols);
    for (auto _ : state) {
        const bool ok = CalcPrincComp(data, 1, cols, 1, rows, scaling);
        benchmark::DoNotOptimize(ok);
        if (!ok) state.SkipWithError("CalcPrincComp failed");
    }
    state.counters["rows"] = rows;
    state.counters["cols"] = cols;
}

void RegisterAll(bool Long)
{
    for (const Size& s : Sizes(Long))
        for (int scaling : {1, 2})
            benchmark::RegisterBenchmark("CalcPrincComp", BM_CalcPrincComp)
                ->Args({s.rows, s.cols, scaling})
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
}

bool WriteDoubles(const std::string& path, const std::vector<double>& values)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(values.data(), sizeof(double), values.size(), f) == values.size();
    return std::fclose(f) == 0 && ok;
}

// data_R_C.f64: the cells column by column; eig_R_C_S.f64: n eigenvalues, then for each
// component its n eigenvector elements.
// Only the sizes named as "R_C" in Stems, when there are any.
int WriteData(const std::string& dir, bool Long, const std::vector<std::string>& Stems)
{
    for (const Size& s : Sizes(Long)) {
        const std::string stem = std::to_string(s.rows) + "_" + std::to_string(s.cols);
        if (!Stems.empty() && std::find(Stems.begin(), Stems.end(), stem) == Stems.end()) continue;
        const TMatrix& data = Data(s.rows, s.cols);
        std::vector<double> cells;
        cells.reserve(static_cast<std::size_t>(s.rows) * s.cols);
        for (int c = 1; c <= s.cols; ++c)
            cells.insert(cells.end(), data.ColumnData(c), data.ColumnData(c) + s.rows);
        if (!WriteDoubles(dir + "/data_" + stem + ".f64", cells)) return 1;
        for (int scaling : {1, 2}) {
            if (!CalcPrincComp(data, 1, s.cols, 1, s.rows, scaling)) return 2;
            std::vector<double> eig;
            for (int k = 1; k <= s.cols; ++k) eig.push_back(EigVecElem(k, 0));
            for (int k = 1; k <= s.cols; ++k)
                for (int j = 1; j <= s.cols; ++j) eig.push_back(EigVecElem(k, j));
            if (!WriteDoubles(dir + "/eig_" + stem + "_" + std::to_string(scaling) + ".f64", eig))
                return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // --long is ours; the rest go to the benchmark library as they came.
    const bool Long = argc > 1 && std::strcmp(argv[1], "--long") == 0;
    if (Long) std::copy(argv + 2, argv + argc + 1, argv + 1), --argc;
    if (argc >= 3 && std::strcmp(argv[1], "--write-data") == 0)
        return WriteData(argv[2], Long, std::vector<std::string>(argv + 3, argv + argc));
    RegisterAll(Long);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
