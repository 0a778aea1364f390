// The console program's LAPACK solver against the Jacobi method, on the examples and on tables
// with fewer rows than columns.
#include "analysis.h"
#include "fastsolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

// Largest |value| of a result's eigenvalues, the scale of every eigenvalue comparison.
double LargestEigenvalue(const TPCAResult& R)
{
    double top = 0;
    for (double x : R.AbsEigVals) top = std::max(top, std::fabs(x));
    return top;
}

// Eigenvalues to 1e-12 of the largest; eigenvectors of well separated eigenvalues up to sign.
void ExpectSameComponents(const TPCAResult& Fast, const TPCAResult& Jacobi, const std::string& What)
{
    ASSERT_TRUE(Fast.Ok()) << What;
    ASSERT_TRUE(Jacobi.Ok()) << What;
    ASSERT_EQ(Fast.N, Jacobi.N) << What;
    const int n = Fast.N;
    const double scale = LargestEigenvalue(Jacobi);
    for (int k = 1; k <= n; ++k) {
        EXPECT_NEAR(Fast.AbsoluteEigVal(k), Jacobi.AbsoluteEigVal(k), 1e-12 * scale)
            << What << ", component " << k;
        EXPECT_NEAR(Fast.EigVecElem(k, 0), Jacobi.EigVecElem(k, 0), 1e-12) << What;
        const double gap =
            std::min(k > 1 ? Jacobi.AbsoluteEigVal(k - 1) - Jacobi.AbsoluteEigVal(k) : scale,
                     k < n ? Jacobi.AbsoluteEigVal(k) - Jacobi.AbsoluteEigVal(k + 1) : scale);
        if (gap < 1e-6 * scale) continue;
        double same = 0, opposite = 0;
        for (int j = 1; j <= n; ++j) {
            same = std::max(same, std::fabs(Fast.EigVecElem(k, j) - Jacobi.EigVecElem(k, j)));
            opposite =
                std::max(opposite, std::fabs(Fast.EigVecElem(k, j) + Jacobi.EigVecElem(k, j)));
        }
        EXPECT_LT(std::min(same, opposite), 1e-7) << What << ", component " << k;
    }
}

// Every component: unit length, orthogonal to the others, largest magnitude positive, and
// A v = lambda v on the cross products.
void ExpectEigenpairsOf(const TMatrix& Cross, const TPCAResult& R, const std::string& What)
{
    const int n = R.N;
    const double scale = std::max(LargestEigenvalue(R), 1.0);
    for (int k = 1; k <= n; ++k) {
        double largest = 0;
        for (int j = 1; j <= n; ++j)
            if (std::fabs(R.EigVecElem(k, j)) > std::fabs(largest)) largest = R.EigVecElem(k, j);
        EXPECT_GT(largest, 0) << What << ", component " << k;
        for (int i = 1; i <= n; ++i) {
            long double av = 0;
            for (int j = 1; j <= n; ++j) av += (long double)Cross.Elem(j, i) * R.EigVecElem(k, j);
            EXPECT_NEAR(double(av), R.AbsoluteEigVal(k) * R.EigVecElem(k, i), 1e-10 * scale)
                << What << ", component " << k;
        }
        for (int l = 1; l <= k; ++l) {
            long double dot = 0;
            for (int j = 1; j <= n; ++j)
                dot += (long double)R.EigVecElem(k, j) * R.EigVecElem(l, j);
            EXPECT_NEAR(double(dot), k == l ? 1.0 : 0.0, 1e-12) << What << ", " << k << "," << l;
        }
    }
}

} // namespace

TEST(FastSolver, AgreesWithTheJacobiMethodOnEveryExample)
{
    for (const char* name : {"iris", "wine", "showcase", "showcase_custdata"}) {
        TDataTable table;
        ASSERT_EQ(table.LoadFromASCFile(QStringLiteral(ZEV_EXAMPLES_DIR "/%1.asc").arg(name)),
                  ascOK);
        const TDataTableDataSet data(table);
        for (int scaling : {0, 1, 2}) {
            const std::string what = std::string(name) + ", scaling " + std::to_string(scaling);
            ExpectSameComponents(BatchComponents(data, scaling, skFast, false),
                                 BatchComponents(data, scaling, skJacobi, false), what);
        }
    }
}

// Fewer rows than columns go through the rows x rows problem: rank deficient, with a constant
// column (its own component of eigenvalue 1 in a correlation) and a copy of another column.
TEST(FastSolver, WideTablesThroughTheirRows)
{
    const struct {
        int rows, cols;
    } sizes[] = {{3, 40}, {7, 9}, {2, 5}, {12, 61}};
    for (const auto& s : sizes) {
        std::mt19937_64 gen(s.rows * 1000 + s.cols);
        std::normal_distribution<double> g;
        TMatrix data;
        data.Resize(s.cols, s.rows);
        for (int c = 1; c <= s.cols; ++c)
            for (int r = 1; r <= s.rows; ++r) data.SetElem(c, r, c % 5 + (1 + c % 3) * g(gen));
        for (int r = 1; r <= s.rows; ++r) {
            data.SetElem(2, r, 4.5);
            data.SetElem(s.cols, r, data.Elem(1, r));
        }
        for (int scaling : {0, 1, 2}) {
            const std::string what = std::to_string(s.rows) + " x " + std::to_string(s.cols) +
                                     ", scaling " + std::to_string(scaling);
            const TPCAResult fast = CalcPCAFast({data}, scaling);
            ExpectSameComponents(fast, CalcPCA({data}, scaling), what);
            TMatrix cross;
            cross.Resize(s.cols, s.cols);
            ASSERT_TRUE(CalcCrossProdMatrix(data, cross, 0, 0, 0, 0, scaling));
            ExpectEigenpairsOf(cross, fast, what);
        }
    }
    // What the cross products refuse, the solver refuses too.
    TMatrix one;
    one.Resize(4, 1);
    EXPECT_EQ(CalcPCAFast({one}, 1).Status, pcaTooFewRows);
}

// The console program parks the BLAS threads as it starts: a solve after that (twice over, as
// when it runs again) must bring them back and still give the components.
TEST(FastSolver, SolvesAfterItsBlasThreadsWereParked)
{
    std::mt19937_64 gen(120);
    std::normal_distribution<double> g;
    TMatrix data;
    data.Resize(120, 400);
    for (int c = 1; c <= 120; ++c)
        for (int r = 1; r <= 400; ++r) data.SetElem(c, r, (1 + c % 7) * g(gen));
    for (int round = 0; round < 2; ++round) {
        ParkBlasThreads();
        ExpectSameComponents(CalcPCAFast({data}, 1), CalcPCA({data}, 1), "400 x 120, parked");
    }
}
