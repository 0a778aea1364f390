#include "ZEV_math2.h"

#include "MemoryLimit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

using Dense = std::vector<std::vector<double>>; // [row][col]

Dense RandomSymmetric(int n, std::uint64_t seed, double scale)
{
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Dense a(n, std::vector<double>(n));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) a[i][j] = a[j][i] = u(gen) * scale;
    return a;
}

TMatrix ToMatrix(const Dense& a)
{
    TMatrix m;
    const int n = static_cast<int>(a.size());
    m.Resize(n, n);
    for (int p = 0; p < n; ++p)
        for (int q = 0; q < n; ++q) m.SetElem(q + 1, p + 1, a[p][q]); // a(p, q) is (col q, row p)
    return m;
}

// Checks A v = lambda v for every stored component and V^T V = I, both to 1e-10 relative to the
// largest eigenvalue magnitude (residuals) and absolutely (orthonormality).
void ExpectEigenPairs(const Dense& a, const char* what)
{
    const int n = static_cast<int>(a.size());
    ASSERT_EQ(EigVecCount(), n) << what;
    double scale = 0;
    for (int k = 1; k <= n; ++k) scale = std::max(scale, std::fabs(EigVecElem(k, 0)));
    if (scale == 0) scale = 1;
    for (int k = 1; k <= n; ++k) {
        const double lambda = EigVecElem(k, 0);
        for (int i = 0; i < n; ++i) {
            long double av = 0;
            for (int j = 0; j < n; ++j) av += (long double)a[i][j] * EigVecElem(k, j + 1);
            EXPECT_NEAR((double)av, lambda * EigVecElem(k, i + 1), 1e-10 * scale)
                << what << ": component " << k << ", row " << i + 1;
        }
        for (int l = 1; l <= k; ++l) {
            long double dot = 0;
            for (int j = 1; j <= n; ++j) dot += (long double)EigVecElem(k, j) * EigVecElem(l, j);
            EXPECT_NEAR((double)dot, k == l ? 1.0 : 0.0, 1e-10) << what << ": " << k << "," << l;
        }
    }
}

// Reference cross products straight from the definitions, in long double.
Dense ReferenceCross(const TMatrix& d, int c0, int c1, int r0, int r1, int mode)
{
    const int n = c1 - c0 + 1;
    const long double m = r1 - r0 + 1;
    std::vector<long double> mean(n), var(n);
    for (int c = 0; c < n; ++c) {
        long double s = 0, ss = 0;
        for (int r = r0; r <= r1; ++r) s += d.Elem(c0 + c, r);
        mean[c] = s / m;
        for (int r = r0; r <= r1; ++r)
            ss += (d.Elem(c0 + c, r) - mean[c]) * (d.Elem(c0 + c, r) - mean[c]);
        var[c] = ss / (m - 1);
    }
    Dense x(n, std::vector<double>(n));
    for (int c = 0; c < n; ++c)
        for (int j = 0; j < n; ++j) {
            long double s = 0;
            for (int r = r0; r <= r1; ++r) {
                const long double a = d.Elem(c0 + c, r), b = d.Elem(c0 + j, r);
                if (mode == 0)
                    s += a * b;
                else if (mode == 4)
                    s += (a - b) * (a - b);
                else
                    s += (a - mean[c]) * (b - mean[j]);
            }
            long double v = s / (m - 1);
            if (mode == 2 || mode == 3) {
                const long double f = var[c] * var[j] == 0 ? 1e-38L : std::sqrt(var[c] * var[j]);
                v = s / f / (m - 1);
                if (mode == 2 && c == j) v = 1;
                if (mode == 3) v = v * v;
            }
            if (mode < 0 || mode > 4) v = 0;
            x[j][c] = (double)v;
        }
    return x;
}

// Columns of different scale and offset, with correlations between neighbours.
TMatrix StructuredData(int cols, int rows, std::uint64_t seed)
{
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> g;
    TMatrix d;
    d.Resize(cols, rows);
    for (int r = 1; r <= rows; ++r) {
        double prev = 0;
        for (int c = 1; c <= cols; ++c) {
            const double x = 10.0 * c + (1.0 + c) * g(gen) + 0.7 * prev;
            d.SetElem(c, r, x);
            prev = x;
        }
    }
    return d;
}

} // namespace

TEST(CalcEigVec, RandomSymmetricMatricesGiveOrthonormalEigenpairs)
{
    struct Row {
        int n;
        double scale;
    };
    const Row rows[] = {{1, 1},  {2, 1},      {3, 1e-150}, {7, 1},  {9, 1},
                        {17, 2}, {20, 1e150}, {41, 1},     {64, 3}, {130, 1}};
    for (const Row& r : rows) {
        const Dense a = RandomSymmetric(r.n, 1000 + r.n, r.scale);
        TMatrix m = ToMatrix(a);
        ASSERT_TRUE(CalcEigVec(m)) << r.n;
        ExpectEigenPairs(a, ("n = " + std::to_string(r.n)).c_str());
        // The diagonal and the part below it are left alone.
        for (int p = 0; p < r.n; ++p)
            for (int q = 0; q <= p; ++q) ASSERT_EQ(m.Elem(q + 1, p + 1), a[p][q]);
    }
}

TEST(CalcEigVec, RepeatedEigenvaluesAndZeroMatrix)
{
    // I + u u^T has eigenvalue 1 n - 1 times.
    const int n = 9;
    Dense a(n, std::vector<double>(n));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) a[i][j] = (i == j) + 0.1 * (i + 1) * (j + 1);
    TMatrix m = ToMatrix(a);
    ASSERT_TRUE(CalcEigVec(m));
    ExpectEigenPairs(a, "identity plus rank one");
    int ones = 0;
    for (int k = 1; k <= n; ++k) ones += std::fabs(EigVecElem(k, 0) - 1) < 1e-12;
    EXPECT_EQ(ones, n - 1);

    TMatrix zero;
    zero.Resize(4, 4);
    ASSERT_TRUE(CalcEigVec(zero));
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(EigVecElem(k, 0), 0.0);
        EXPECT_EQ(EigVecElem(k, k), 1.0);
    }
}

TEST(CalcEigVec, DiagonalMatrixStopsAtFirstCheck)
{
    const double diag[] = {3, -2, 7, 0.5};
    TMatrix m;
    m.Resize(4, 4);
    for (int i = 1; i <= 4; ++i) m.SetElem(i, i, diag[i - 1]);
    ASSERT_TRUE(CalcEigVec(m));
    // Untouched by any rotation: exact diagonal and exact identity.
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(EigVecElem(k, 0), diag[k - 1]);
        for (int j = 1; j <= 4; ++j) EXPECT_EQ(EigVecElem(k, j), j == k ? 1.0 : 0.0);
    }
}

TEST(CalcEigVec, FailuresAndLimits)
{
    TMatrix ok = ToMatrix(RandomSymmetric(3, 5, 1));
    ASSERT_TRUE(CalcEigVec(ok));
    const double before = EigVecElem(2, 3);

    // Too many variables: refused before the storage is touched.
    TMatrix wide;
    wide.Resize(MaxEigVecVariables + 1, 1);
    EXPECT_FALSE(CalcEigVec(wide));
    EXPECT_EQ(EigVecCount(), 3);
    EXPECT_EQ(EigVecElem(2, 3), before);

    // Work space of three 5000 x 5000 arrays in a process capped 300 MiB above its size,
    // after the 200 MiB matrix itself: refused with the unit's error, old result kept.
    EXPECT_TRUE(PassesWithAddressLimit(
        [] {
            TMatrix big;
            big.Resize(5000, 5000);
            try {
                CalcEigVec(big);
            } catch (const EZEVMath2Error& e) {
                return e.Message() == QStringLiteral("CalcEigVec: not enough memory") &&
                       EigVecCount() == 3;
            }
            return false;
        },
        std::uint64_t(300) << 20));

    // A NaN never lets the off-diagonal sum reach 0: no convergence within 100 checks.
    Dense a = RandomSymmetric(3, 6, 1);
    a[0][2] = a[2][0] = std::nan("");
    TMatrix bad = ToMatrix(a);
    EXPECT_FALSE(CalcEigVec(bad));
    EXPECT_EQ(EigVecCount(), 3);
}

TEST(CalcCrossProdMatrix, AllModesMatchTheDefinitions)
{
    // More rows than one block of the accumulation.
    const TMatrix d = StructuredData(6, 300, 7);
    struct Range {
        int c0, c1, r0, r1;     // as passed
        int rc0, rc1, rr0, rr1; // resolved
    };
    const Range ranges[] = {
        {0, 0, 0, 0, 1, 6, 1, 300}, {2, 5, 3, 290, 2, 5, 3, 290}, {4, 4, 1, 2, 4, 4, 1, 2}};
    for (const Range& g : ranges)
        for (int mode : {0, 1, 2, 3, 4, 5, -1}) {
            const Dense want = ReferenceCross(d, g.rc0, g.rc1, g.rr0, g.rr1, mode);
            const int n = g.rc1 - g.rc0 + 1;
            TMatrix x;
            x.Resize(n + 1, n + 2); // larger than needed: only the n x n corner is written
            x.Fill(-99);
            ASSERT_TRUE(CalcCrossProdMatrix(d, x, g.c0, g.c1, g.r0, g.r1, mode));
            for (int c = 0; c < n; ++c)
                for (int j = 0; j < n; ++j)
                    EXPECT_NEAR(x.Elem(c + 1, j + 1), want[j][c],
                                1e-12 * (1 + std::fabs(want[j][c])))
                        << "mode " << mode << " cols " << g.c0 << ".." << g.c1 << " at " << c + 1
                        << "," << j + 1;
            EXPECT_EQ(x.Elem(n + 1, 1), -99.0);
            if (mode == 2) {
                for (int c = 1; c <= n; ++c) EXPECT_EQ(x.Elem(c, c), 1.0);
            }
        }
}

TEST(CalcCrossProdMatrix, RefusesWhatItCannotCompute)
{
    const TMatrix d = StructuredData(4, 10, 3);
    TMatrix small;
    small.Resize(3, 4);
    small.Fill(5);
    struct Row {
        int c0, c1, r0, r1;
        const char* why;
    };
    const Row rows[] = {
        {0, 0, 0, 0, "4 variables, 3 columns"},
        {1, 3, 4, 4, "one observation"},
        {1, 3, 5, 3, "no observation"},
        {3, 2, 1, 10, "no variable"},
    };
    for (const Row& r : rows) {
        EXPECT_FALSE(CalcCrossProdMatrix(d, small, r.c0, r.c1, r.r0, r.r1, 1)) << r.why;
        EXPECT_EQ(small.Elem(2, 2), 5.0) << r.why;
    }
}

// Values far from zero compared with their spread: the centred products must not cancel.
TEST(CalcCrossProdMatrix, LargeOffsetsKeepTheirPrecision)
{
    TMatrix d = StructuredData(4, 200, 17);
    for (int c = 1; c <= 4; ++c)
        for (int r = 1; r <= 200; ++r) d.SetElem(c, r, d.Elem(c, r) + 1e8);
    for (int mode : {1, 2, 3}) {
        const Dense want = ReferenceCross(d, 1, 4, 1, 200, mode);
        TMatrix x;
        x.Resize(4, 4);
        ASSERT_TRUE(CalcCrossProdMatrix(d, x, 0, 0, 0, 0, mode));
        for (int c = 0; c < 4; ++c)
            for (int j = 0; j < 4; ++j)
                EXPECT_NEAR(x.Elem(c + 1, j + 1), want[j][c], 1e-6 * (1 + std::fabs(want[j][c])))
                    << "mode " << mode << " at " << c + 1 << "," << j + 1;
    }
}

TEST(CalcCrossProdMatrix, ConstantColumnUnderCorrelation)
{
    TMatrix d = StructuredData(3, 20, 11);
    // 0.1 has no exact binary value, so a plain sum / count mean is off by a rounding error.
    for (int r = 1; r <= 20; ++r) d.SetElem(2, r, 0.1);
    TMatrix x;
    x.Resize(3, 3);
    ASSERT_TRUE(CalcCrossProdMatrix(d, x, 0, 0, 0, 0, 2));
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(x.Elem(c, c), 1.0);
        if (c != 2) {
            EXPECT_EQ(x.Elem(2, c), 0.0);
            EXPECT_EQ(x.Elem(c, 2), 0.0);
        }
    }
    EXPECT_GT(std::fabs(x.Elem(1, 3)), 0.1);
}

TEST(CalcPrincComp, ComponentsOfStructuredDataAreSortedRelativeEigenpairs)
{
    const TMatrix d = StructuredData(8, 300, 21);
    for (int scaling : {0, 1, 2}) {
        ASSERT_TRUE(CalcPrincComp(d, 1, 8, 1, 300, scaling)) << scaling;
        const Dense cross = ReferenceCross(d, 1, 8, 1, 300, scaling);
        // Relative eigenvalues: positive here, summing to 1, decreasing.
        double total = 0;
        for (int k = 1; k <= 8; ++k) {
            total += EigVecElem(k, 0);
            if (k > 1) {
                EXPECT_GE(EigVecElem(k - 1, 0), EigVecElem(k, 0));
            }
        }
        EXPECT_NEAR(total, 1.0, 1e-14);
        // Against the unscaled matrix: lambda_abs = relative value times the trace.
        double trace = 0;
        for (int i = 0; i < 8; ++i) trace += cross[i][i];
        for (int k = 1; k <= 8; ++k) {
            const double lambda = EigVecElem(k, 0) * trace;
            for (int i = 0; i < 8; ++i) {
                long double av = 0;
                for (int j = 0; j < 8; ++j) av += (long double)cross[i][j] * EigVecElem(k, j + 1);
                EXPECT_NEAR((double)av, lambda * EigVecElem(k, i + 1), 1e-10 * trace)
                    << "scaling " << scaling << " component " << k;
            }
        }
    }
}

TEST(CalcPrincComp, OrderingKeepsTiesAndLeavesNonPositiveBehind)
{
    // Columns with disjoint support give a diagonal scatter matrix: the iteration does nothing
    // and the order out of it is the column order. Squared norms / (m - 1) with m = 5.
    struct Row {
        std::vector<double> norms;    // value in row c of column c
        std::vector<int> wantColumns; // column picked by components 1..n
    };
    const Row rows[] = {
        {{1, 2, 2, 1.5}, {2, 3, 4, 1}}, // tie between columns 2 and 3 keeps their order
        {{0, 1, 0, 2}, {4, 2, 3, 1}},   // zeros stay where the exchanges leave them
        {{0, 0, 0, 0}, {1, 2, 3, 4}},   // nothing positive: nothing moves
    };
    for (const Row& r : rows) {
        TMatrix d;
        d.Resize(4, 5);
        double total = 0;
        for (int c = 1; c <= 4; ++c) {
            d.SetElem(c, c, r.norms[c - 1]);
            total += r.norms[c - 1] * r.norms[c - 1] / 4;
        }
        ASSERT_TRUE(CalcPrincComp(d, 1, 4, 1, 5, 0));
        for (int k = 1; k <= 4; ++k) {
            const int col = r.wantColumns[k - 1];
            const double sq = r.norms[col - 1] * r.norms[col - 1] / 4;
            EXPECT_DOUBLE_EQ(EigVecElem(k, 0), total == 0 ? 0.0 : sq / total) << "component " << k;
            // The absolute eigenvalue travels with its component through the sort.
            EXPECT_DOUBLE_EQ(AbsoluteEigVal(k), sq) << "component " << k;
            EXPECT_EQ(EigVecElem(k, col), 1.0) << "component " << k;
        }
    }
    // Columns (2, 0, 0) and (0, 4, 0). Mode 4 gives [[0, 10], [10, 0]] with eigenvalues 10 and
    // -10: the total of the relative values sums magnitudes, so they are 0.5 and -0.5.
    struct Scaled {
        int mode;
        bool relative;
        double want1, want2, abs1, abs2;
    };
    const Scaled scaled[] = {
        {0, false, 8.0, 2.0, 8.0, 2.0},   // absolute eigenvalues when asked
        {4, true, 0.5, -0.5, 10.0, -10.0} // a negative eigenvalue
    };
    TMatrix d;
    d.Resize(2, 3);
    d.SetElem(1, 1, 2);
    d.SetElem(2, 2, 4);
    for (const Scaled& r : scaled) {
        ASSERT_TRUE(CalcPrincCompEx(d, 1, 2, 1, 3, r.mode, r.relative)) << r.mode;
        EXPECT_DOUBLE_EQ(EigVecElem(1, 0), r.want1) << r.mode;
        EXPECT_DOUBLE_EQ(EigVecElem(2, 0), r.want2) << r.mode;
        EXPECT_DOUBLE_EQ(AbsoluteEigVal(1), r.abs1) << r.mode;
        EXPECT_DOUBLE_EQ(AbsoluteEigVal(2), r.abs2) << r.mode;
        EXPECT_EQ(AbsoluteEigVal(0), 0.0);
        EXPECT_EQ(AbsoluteEigVal(3), 0.0);
    }
}

TEST(CalcPrincComp, FailureKeepsPreviousResultAndElementsOutOfRangeAreZero)
{
    ClearEigVecResults();
    EXPECT_EQ(EigVecElem(1, 0), 0.0);
    EXPECT_EQ(EigVecElem(1, 1), 0.0);

    const TMatrix d = StructuredData(5, 50, 4);
    ASSERT_TRUE(CalcPrincComp(d, 1, 5, 1, 50, 1));
    const double first = EigVecElem(1, 0), loading = EigVecElem(2, 3);
    // A single observation would divide by m - 1 = 0.
    EXPECT_FALSE(CalcPrincComp(d, 1, 5, 7, 7, 1));
    EXPECT_FALSE(CalcPrincComp(d, 1, 5, 9, 8, 2));
    EXPECT_FALSE(CalcPrincComp(d, 1, MaxEigVecVariables + 1, 1, 50, 1));
    EXPECT_EQ(EigVecElem(1, 0), first);
    EXPECT_EQ(EigVecElem(2, 3), loading);

    struct Row {
        int component, variable;
        bool zero;
    };
    const Row rows[] = {{0, 1, true},  {6, 1, true},  {1, -1, true}, {1, 6, true},
                        {-3, 0, true}, {1, 0, false}, {5, 5, false}};
    for (const Row& r : rows)
        EXPECT_EQ(EigVecElem(r.component, r.variable) == 0.0, r.zero)
            << r.component << "," << r.variable;
    EXPECT_EQ(EigVecElem(1, 0), first) << "largest relative eigenvalue";
    EXPECT_GT(first, EigVecElem(2, 0));

    // 0..0 columns mean all of them, as in the cross products.
    ASSERT_TRUE(CalcPrincComp(d, 0, 0, 1, 50, 1));
    EXPECT_EQ(EigVecCount(), 5);
    EXPECT_DOUBLE_EQ(EigVecElem(1, 0), first);
}

TEST(CalcPCA, StatusOfEveryOutcomeAndWhatTheStoreKeeps)
{
    const TMatrix d = StructuredData(5, 50, 4);
    TMatrix nan = StructuredData(3, 10, 5);
    nan.SetElem(2, 4, std::nan(""));
    // A square that overflows while nothing off the diagonal does.
    TMatrix huge;
    huge.Resize(2, 3);
    huge.SetElem(1, 1, 1e200);
    huge.SetElem(1, 2, -1e200);
    std::atomic<bool> cancelled{true};
    TPCAProgress cancel;
    cancel.Cancel = &cancelled;

    struct Row {
        const char* what;
        TMatrixBlock block;
        const TPCAProgress* progress;
        TPCAStatus status;
        bool classicResult, stored; // what CalcPrincComp returns, and whether it keeps the result
    };
    const Row rows[] = {
        {"done", {d, 1, 5, 1, 50}, nullptr, pcaDone, true, true},
        {"one observation", {d, 1, 5, 7, 7}, nullptr, pcaTooFewRows, false, false},
        {"rows backwards", {d, 1, 5, 9, 8}, nullptr, pcaTooFewRows, false, false},
        {"too wide",
         {d, 1, MaxEigVecVariables + 1, 1, 50},
         nullptr,
         pcaTooManyVariables,
         false,
         false},
        {"no column", {d, 3, 2, 1, 50}, nullptr, pcaNoVariables, false, false},
        {"NaN", {nan, 0, 0, 0, 0}, nullptr, pcaNoConvergence, false, true},
        {"overflow", {huge, 0, 0, 0, 0}, nullptr, pcaNotFinite, true, true},
        {"cancelled", {d, 1, 5, 1, 50}, &cancel, pcaCancelled, false, false},
    };
    for (const Row& r : rows) {
        ClearEigVecResults();
        const TPCAResult value = CalcPCA(r.block, 0, true, r.progress);
        EXPECT_EQ(value.Status, r.status) << r.what;
        EXPECT_EQ(value.Ok(), r.status == pcaDone) << r.what;
        // The value alone touches no storage.
        EXPECT_EQ(EigVecCount(), 0) << r.what;
        if (r.progress) continue; // the classic call cannot be cancelled
        const TMatrixBlock& b = r.block;
        EXPECT_EQ(CalcPrincComp(b.Matrix, b.LoCol, b.HiCol, b.LoRow, b.HiRow, 0), r.classicResult)
            << r.what;
        EXPECT_EQ(EigVecCount(), r.stored ? value.N : 0) << r.what;
        if (!r.stored) continue;
        // The same bits as the value (NaN included), eigenvectors and eigenvalues alike.
        const TPCAResult& last = LastEigVecResult();
        ASSERT_EQ(last.EigVecs.size(), value.EigVecs.size()) << r.what;
        EXPECT_EQ(std::memcmp(last.EigVecs.data(), value.EigVecs.data(),
                              value.EigVecs.size() * sizeof(double)),
                  0)
            << r.what;
        EXPECT_EQ(std::memcmp(last.EigVals.data(), value.EigVals.data(),
                              value.EigVals.size() * sizeof(double)),
                  0)
            << r.what;
    }
}

TEST(CalcPCA, ReportsEverySweepWithItsOffDiagonalSum)
{
    const TMatrix d = StructuredData(6, 40, 8);
    TMatrix cross;
    cross.Resize(6, 6);
    ASSERT_TRUE(CalcCrossProdMatrix(d, cross, 0, 0, 0, 0, 1));
    double first = 0;
    for (int q = 2; q <= 6; ++q)
        for (int p = 1; p < q; ++p) first += std::fabs(cross.Elem(q, p));

    std::vector<int> sweeps;
    std::vector<double> sums;
    TPCAProgress progress;
    progress.OnSweep = [&](int Sweep, double Sum) {
        sweeps.push_back(Sweep);
        sums.push_back(Sum);
    };
    const TPCAResult r = CalcPCA({d}, 1, true, &progress);
    ASSERT_TRUE(r.Ok());
    ASSERT_GE(sweeps.size(), 3u);
    for (std::size_t i = 0; i < sweeps.size(); ++i) EXPECT_EQ(sweeps[i], int(i) + 1);
    EXPECT_EQ(sums.front(), first);
    EXPECT_LT(sums.back(), 1e-6 * first);
}
