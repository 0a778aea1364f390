// Every instruction-set variant of the analysis kernels gives the same bits as a plain loop.
#include "ZEV_math2.h"
#include "ZEV_math2_follower.h"
#include "ZEV_math2_kernels.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Math2Kernels;

namespace {

using Dense = std::vector<std::vector<double>>; // [row][col]

struct TVariant {
    TInstructionSet Set;
    const char* Name;
};
constexpr TVariant kVariants[] = {{TInstructionSet::Plain, "plain"},
                                  {TInstructionSet::Avx2, "AVX2"},
                                  {TInstructionSet::Avx512, "AVX-512"}};

// Runs Body once with each variant this processor can run, the kernels forced to it.
template <class F> void ForEachVariant(F Body)
{
    for (const TVariant& v : kVariants) {
        if (!ForceKernels(v.Set)) continue;
        SCOPED_TRACE(v.Name);
        Body();
    }
    ResetKernels();
}

void ExpectSameBits(double Actual, double Expected, const std::string& What)
{
    EXPECT_EQ(std::bit_cast<std::uint64_t>(Actual), std::bit_cast<std::uint64_t>(Expected))
        << What << ": " << Actual << " vs " << Expected;
}

Dense RandomSymmetric(int n, std::uint64_t Seed)
{
    std::mt19937_64 gen(Seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Dense a(n, std::vector<double>(n));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) a[i][j] = a[j][i] = u(gen) * (1 + i % 3);
    return a;
}

void RotatePair(double& x, double& y, double s, double tau)
{
    const double a = x, b = y;
    x = a - s * (b + a * tau);
    y = b + s * (a - b * tau);
}

struct TEigen {
    std::vector<double> Values;
    Dense Vectors; // [variable][component]
};

// The cyclic Jacobi method as the textbook writes it: the rotation (p, q) goes over the whole
// matrix before the next is planned, with the same thresholds and operations as the library.
TEigen TextbookJacobi(Dense a)
{
    const int n = static_cast<int>(a.size());
    TEigen r{std::vector<double>(n), Dense(n, std::vector<double>(n, 0.0))};
    std::vector<double>& d = r.Values;
    Dense& v = r.Vectors;
    std::vector<double> b(n), z(n, 0.0);
    for (int i = 0; i < n; ++i) {
        v[i][i] = 1;
        b[i] = d[i] = a[i][i];
    }
    for (int sweep = 1; sweep <= 100; ++sweep) {
        double sm = 0;
        for (int q = 1; q < n; ++q)
            for (int p = 0; p < q; ++p) sm += std::fabs(a[p][q]);
        if (sm == 0) break;
        const double t0 = sweep < 4 ? 0.2 * sm / (static_cast<double>(n) * n) : 0.0;
        for (int p = 0; p < n - 1; ++p)
            for (int q = p + 1; q < n; ++q) {
                const long double g = 200.0L * std::fabs(static_cast<long double>(a[p][q]));
                const long double dp = std::fabs(static_cast<long double>(d[p]));
                const long double dq = std::fabs(static_cast<long double>(d[q]));
                if (sweep > 4 && dp + g == dp && dq + g == dq) {
                    a[p][q] = 0;
                    continue;
                }
                if (!(std::fabs(a[p][q]) > t0)) continue;
                double h = d[q] - d[p];
                double t;
                const long double absH = std::fabs(static_cast<long double>(h));
                if (absH + g == absH) {
                    t = a[p][q] / h;
                } else {
                    const double theta = h / a[p][q] / 2;
                    t = 1 / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                    if (theta < 0) t = -t;
                }
                const double c = 1 / std::sqrt(t * t + 1);
                const double s = t * c;
                const double tau = s / (1 + c);
                h = t * a[p][q];
                z[p] -= h;
                z[q] += h;
                d[p] -= h;
                d[q] += h;
                a[p][q] = 0;
                for (int j = 0; j < p; ++j) RotatePair(a[j][p], a[j][q], s, tau);
                for (int j = p + 1; j < q; ++j) RotatePair(a[p][j], a[j][q], s, tau);
                for (int j = q + 1; j < n; ++j) RotatePair(a[p][j], a[q][j], s, tau);
                for (int j = 0; j < n; ++j) RotatePair(v[j][p], v[j][q], s, tau);
            }
        for (int i = 0; i < n; ++i) {
            b[i] += z[i];
            d[i] = b[i];
            z[i] = 0;
        }
    }
    return r;
}

TMatrix ToMatrix(const Dense& a)
{
    TMatrix m;
    const int n = static_cast<int>(a.size());
    m.Resize(n, n);
    for (int p = 0; p < n; ++p)
        for (int q = 0; q < n; ++q) m.SetElem(q + 1, p + 1, a[p][q]);
    return m;
}

// CalcEigVec on A gives the textbook's eigenpairs to the last bit, in every variant.
void ExpectTextbookEigenpairs(const Dense& A, const char* What)
{
    const int n = static_cast<int>(A.size());
    const TEigen expected = TextbookJacobi(A);
    ForEachVariant([&] {
        TMatrix m = ToMatrix(A);
        ASSERT_TRUE(CalcEigVec(m)) << What << ", n = " << n;
        for (int k = 1; k <= n; ++k) {
            const std::string what = std::string(What) + ", n = " + std::to_string(n) +
                                     ", component " + std::to_string(k);
            ExpectSameBits(EigVecElem(k, 0), expected.Values[k - 1], what);
            for (int j = 1; j <= n; ++j)
                ExpectSameBits(EigVecElem(k, j), expected.Vectors[j - 1][k - 1],
                               what + ", variable " + std::to_string(j));
        }
    });
}

TMatrix RandomData(int Cols, int Rows, std::uint64_t Seed)
{
    std::mt19937_64 gen(Seed);
    std::normal_distribution<double> g;
    TMatrix m;
    m.Resize(Cols, Rows);
    for (int c = 1; c <= Cols; ++c)
        for (int r = 1; r <= Rows; ++r) m.SetElem(c, r, 5.0 * c + (1.0 + c % 4) * g(gen));
    return m;
}

// The covariance matrix of a table with few rows, its last column a copy of the first: rank
// deficient.
TMatrix FewRowsCovariance(int Cols, int Rows, std::uint64_t Seed)
{
    TMatrix data = RandomData(Cols, Rows, Seed);
    for (int r = 1; r <= Rows; ++r) data.SetElem(Cols, r, data.Elem(1, r));
    TMatrix cross;
    cross.Resize(Cols, Cols);
    EXPECT_TRUE(CalcCrossProdMatrix(data, cross, 0, 0, 0, 0, 1));
    return cross;
}

// Scatter products over rows R0..R1 added as the kernels add them: per block of 256 rows, eight
// running sums of every eighth product, then ((s0 + s4) + (s1 + s5)) + ((s2 + s6) + (s3 + s7)).
double ScatterInLaneOrder(const TMatrix& d, int C, int J, int R0, int R1)
{
    double total = 0;
    for (int b0 = R0; b0 <= R1; b0 += kBlockRows) {
        double s[kLanes] = {};
        for (int r = b0; r <= std::min(R1, b0 + kBlockRows - 1); ++r)
            s[(r - b0) % kLanes] += d.Elem(C, r) * d.Elem(J, r);
        total += ((s[0] + s[4]) + (s[1] + s[5])) + ((s[2] + s[6]) + (s[3] + s[7]));
    }
    return total / (R1 - R0);
}

// The state of a Jacobi iteration after some sweeps, as the library lays it out: the part above
// the diagonal column by column (W[q Ld + p] = a(p, q)) and the eigenvectors column by column.
struct TSweepState {
    int N;
    std::size_t Ld;
    std::vector<double> W, V, D, B, Z;

    explicit TSweepState(const TMatrix& A)
        : N(A.NrOfColumns()), Ld((std::size_t(N) + kLanes - 1) / kLanes * kLanes),
          W(Ld * std::size_t(N), 0.0), V(Ld * std::size_t(N), 0.0), D(std::size_t(N)),
          B(std::size_t(N)), Z(std::size_t(N), 0.0)
    {
        for (int q = 0; q < N; ++q) {
            for (int p = 0; p < q; ++p) W[q * Ld + p] = A.Elem(q + 1, p + 1);
            V[q * Ld + q] = 1;
            B[q] = D[q] = A.Elem(q + 1, q + 1);
        }
    }
    double OffDiagonalSum() const
    {
        double sm = 0;
        for (int q = 1; q < N; ++q)
            for (int p = 0; p < q; ++p) sm += std::fabs(W[q * Ld + p]);
        return sm;
    }
    void EndSweep()
    {
        for (int i = 0; i < N; ++i) {
            B[i] += Z[i];
            D[i] = B[i];
            Z[i] = 0;
        }
    }
    // Sweep number Sweep by the library's kernels, the eigenvectors on a second thread or not.
    void KernelSweep(int Sweep, bool Follow)
    {
        const double t0 = Sweep < 4 ? 0.2 * OffDiagonalSum() / (double(N) * N) : 0.0;
        TJacobiWork work{W.data(), V.data(), Ld, N, D.data(), Z.data()};
        std::unique_ptr<TEigenvectorFollower> follower;
        if (Follow) {
            follower = std::make_unique<TEigenvectorFollower>(Kernels(), V.data(), W.data(), Ld, N);
            follower->Attach(work);
        }
        Kernels().JacobiSweep(work, Sweep, t0);
        if (follower) follower->Drain();
        EndSweep();
    }
    // The same sweep as the textbook writes it: each rotation over the whole matrix and all
    // eigenvectors before the next pair is planned.
    void TextbookSweep(int Sweep)
    {
        const double t0 = Sweep < 4 ? 0.2 * OffDiagonalSum() / (double(N) * N) : 0.0;
        auto a = [this](int p, int q) -> double& { return W[std::size_t(q) * Ld + p]; };
        for (int p = 0; p < N - 1; ++p)
            for (int q = p + 1; q < N; ++q) {
                const long double g = 200.0L * std::fabs(static_cast<long double>(a(p, q)));
                const long double dp = std::fabs(static_cast<long double>(D[p]));
                const long double dq = std::fabs(static_cast<long double>(D[q]));
                if (Sweep > 4 && dp + g == dp && dq + g == dq) {
                    a(p, q) = 0;
                    continue;
                }
                if (!(std::fabs(a(p, q)) > t0)) continue;
                double h = D[q] - D[p];
                double t;
                const long double absH = std::fabs(static_cast<long double>(h));
                if (absH + g == absH) {
                    t = a(p, q) / h;
                } else {
                    const double theta = h / a(p, q) / 2;
                    t = 1 / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                    if (theta < 0) t = -t;
                }
                const double c = 1 / std::sqrt(t * t + 1);
                const double s = t * c;
                const double tau = s / (1 + c);
                h = t * a(p, q);
                Z[p] -= h;
                Z[q] += h;
                D[p] -= h;
                D[q] += h;
                a(p, q) = 0;
                for (int j = 0; j < p; ++j) RotatePair(a(j, p), a(j, q), s, tau);
                for (int j = p + 1; j < q; ++j) RotatePair(a(p, j), a(j, q), s, tau);
                for (int j = q + 1; j < N; ++j) RotatePair(a(p, j), a(q, j), s, tau);
                double* vp = &V[std::size_t(p) * Ld];
                double* vq = &V[std::size_t(q) * Ld];
                for (int j = 0; j < N; ++j) RotatePair(vp[j], vq[j], s, tau);
            }
        EndSweep();
    }
};

// Equal to the last bit, the part above the diagonal and the eigenvectors in full.
::testing::AssertionResult SameState(const TSweepState& A, const TSweepState& B)
{
    for (int q = 0; q < A.N; ++q) {
        for (int p = 0; p < q; ++p)
            if (std::bit_cast<std::uint64_t>(A.W[q * A.Ld + p]) !=
                std::bit_cast<std::uint64_t>(B.W[q * B.Ld + p]))
                return ::testing::AssertionFailure() << "a(" << p << ", " << q << ")";
        for (int j = 0; j < A.N; ++j)
            if (std::bit_cast<std::uint64_t>(A.V[q * A.Ld + j]) !=
                std::bit_cast<std::uint64_t>(B.V[q * B.Ld + j]))
                return ::testing::AssertionFailure() << "V(" << j << ", " << q << ")";
        if (std::bit_cast<std::uint64_t>(A.D[q]) != std::bit_cast<std::uint64_t>(B.D[q]))
            return ::testing::AssertionFailure() << "d " << q;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Math2Kernels, EveryVariantTheProcessorHasCanBeForced)
{
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
    for (const TVariant& v : kVariants)
        EXPECT_EQ(ForceKernels(v.Set), ProcessorHas(v.Set)) << v.Name;
#endif
    EXPECT_TRUE(ForceKernels(TInstructionSet::Plain));
    ResetKernels();
}

// Sizes 1..70 cover one tile, whole tiles and every way of ending between two; 128 and 131 run
// with the eigenvectors on a second thread.
TEST(Math2Kernels, EigenpairsMatchTheTextbookSweepBitForBit)
{
    std::vector<int> sizes;
    for (int n = 1; n <= 70; ++n) sizes.push_back(n);
    sizes.insert(sizes.end(), {128, 131});
    for (int n : sizes) {
        ExpectTextbookEigenpairs(RandomSymmetric(n, 7000 + n), "random");
        if (HasFailure()) return;
    }
}

// Whole runs on covariance matrices of a few rows, rank one to three and a repeated column:
// most eigenvalues end at 0 and the late sweeps zero elements without rotating. The sizes end a
// pass of pivot rows and a tile in every way, and 129 runs with the eigenvectors on a second
// thread.
TEST(Math2Kernels, RankDeficientRunsMatchTheTextbookBitForBit)
{
    const struct {
        int cols, rows;
    } sizes[] = {{2, 2}, {5, 3}, {7, 2}, {9, 4}, {12, 3}, {17, 3}, {30, 2}, {33, 4}, {129, 3}};
    for (const auto& s : sizes) {
        const TMatrix cross = FewRowsCovariance(s.cols, s.rows, 500 + s.cols);
        Dense a(std::size_t(s.cols), std::vector<double>(std::size_t(s.cols)));
        for (int p = 0; p < s.cols; ++p)
            for (int q = 0; q < s.cols; ++q) a[p][q] = cross.Elem(q + 1, p + 1);
        ExpectTextbookEigenpairs(a, (std::to_string(s.rows) + " rows").c_str());
        if (HasFailure()) return;
    }
}

// Couplings few and far apart on a widely spread diagonal: in the first sweeps only some blocks
// of rows hold a rotation, and the deferred row rotations pass over the others. 150 and 203 run
// with the eigenvectors on a second thread, 203 over two blocks of rows behind the pivot.
TEST(Math2Kernels, SparseCouplingsMatchTheTextbookBitForBit)
{
    const struct {
        int n, every;
    } cases[] = {{37, 5}, {150, 23}, {203, 41}};
    for (const auto& c : cases) {
        std::mt19937_64 gen(31 + c.n);
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        Dense a(std::size_t(c.n), std::vector<double>(std::size_t(c.n), 0.0));
        for (int i = 0; i < c.n; ++i) {
            a[i][i] = 1000.0 * (i + 1);
            for (int j = i + 1; j < c.n; ++j)
                if ((7 * i + 3 * j) % c.every == 0) a[i][j] = a[j][i] = u(gen);
        }
        ExpectTextbookEigenpairs(a, "sparse couplings");
        if (HasFailure()) return;
    }
}

TEST(Math2Kernels, CrossProductsAreTheSameInEveryVariant)
{
    // Two blocks and a part of a third, starting off the first row.
    const int lo = 3, hi = 600;
    for (int n = 1; n <= 70; n += n < 12 ? 1 : 7) {
        const TMatrix data = RandomData(n, hi, 900 + n);
        std::vector<TMatrix> plain(5);
        ASSERT_TRUE(ForceKernels(TInstructionSet::Plain));
        for (int mode = 0; mode <= 4; ++mode) {
            plain[mode].Resize(n, n);
            ASSERT_TRUE(CalcCrossProdMatrix(data, plain[mode], 1, n, lo, hi, mode));
        }
        for (int c = 1; c <= n; ++c)
            for (int j = 1; j <= n; ++j)
                ExpectSameBits(plain[0].Elem(c, j), ScatterInLaneOrder(data, c, j, lo, hi),
                               "scatter, n = " + std::to_string(n));
        ForEachVariant([&] {
            for (int mode = 0; mode <= 4; ++mode) {
                TMatrix cross;
                cross.Resize(n, n);
                ASSERT_TRUE(CalcCrossProdMatrix(data, cross, 1, n, lo, hi, mode));
                for (int c = 1; c <= n; ++c)
                    for (int j = 1; j <= n; ++j)
                        ExpectSameBits(cross.Elem(c, j), plain[mode].Elem(c, j),
                                       "mode " + std::to_string(mode) +
                                           ", n = " + std::to_string(n));
            }
        });
        if (HasFailure()) return;
    }
}

// Wide tables, rank deficient (three or five rows, a repeated column): the first sweeps, where
// nearly every pair rotates, with and without the eigenvectors on a second thread. Whole runs
// to convergence at these sizes are left to the console program's checks against stored output.
TEST(Math2Kernels, WideSweepsMatchTheTextbookBitForBit)
{
    const struct {
        int cols, rows, sweeps;
    } sizes[] = {{129, 5, 3}, {517, 3, 2}, {1000, 3, 1}};
    for (const auto& s : sizes) {
        const TMatrix cross = FewRowsCovariance(s.cols, s.rows, 77 + s.cols);
        std::vector<TSweepState> expected(1, TSweepState(cross));
        for (int k = 1; k <= s.sweeps; ++k) {
            expected.push_back(expected.back());
            expected.back().TextbookSweep(k);
        }
        ForEachVariant([&] {
            for (bool follow : {false, true}) {
                TSweepState state(cross);
                for (int k = 1; k <= s.sweeps; ++k) {
                    state.KernelSweep(k, follow);
                    EXPECT_TRUE(SameState(state, expected[std::size_t(k)]))
                        << s.cols << " columns, sweep " << k << (follow ? ", followed" : "");
                }
            }
        });
        if (HasFailure()) return;
    }
}

namespace {

// Two sweeps of made-up rotations through a follower of order N, each element compared with the
// rotations applied one by one.
void FollowSweepsOfMadeUpRotations(int n, std::size_t ld)
{
    SCOPED_TRACE(n);
    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> u(-0.5, 0.5);
    std::vector<double> start(2 * ld * n, 0.0); // eigenvectors, then the matrix
    for (int q = 0; q < 2 * n; ++q)
        for (int j = 0; j < n; ++j) start[q * ld + j] = u(gen);
    ForEachVariant([&] {
        std::vector<double> followed = start, plain = start;
        TEigenvectorFollower follower(Kernels(), followed.data(), followed.data() + ld * n, ld, n);
        TJacobiWork work{nullptr, nullptr, ld, n, nullptr, nullptr};
        follower.Attach(work);
        std::vector<int> counts(std::size_t(n - 1));
        for (int sweep = 0; sweep < 2; ++sweep) {
            for (int p = 0; p < n - 1; ++p) {
                TRotation* log = work.Log + RotationLogOffset(n, p);
                counts[p] = 0;
                for (int q = p + 1; q < n; ++q)
                    if ((p + q + sweep) % 3 != 0 && p % 17 != 5)
                        log[counts[p]++] = {p, q, u(gen), u(gen)};
            }
            // All rows at once, before the reference takes its time over them.
            for (int p = 0; p < n - 1; ++p) work.RowDone(work.Context, p, counts[p]);
            if (sweep == 1) follower.Drain();
            for (int p = 0; p < n - 1; ++p) {
                const TRotation* log = work.Log + RotationLogOffset(n, p);
                for (int i = 0; i < counts[p]; ++i) {
                    double* vp = &plain[p * ld];
                    double* vq = &plain[log[i].Q * ld];
                    for (int j = 0; j < n; ++j) RotatePair(vp[j], vq[j], log[i].S, log[i].Tau);
                    for (int j = 0; j < p; ++j)
                        RotatePair(vp[ld * n + j], vq[ld * n + j], log[i].S, log[i].Tau);
                }
            }
            follower.Drain();
            for (std::size_t i = 0; i < plain.size(); ++i)
                if (std::bit_cast<std::uint64_t>(followed[i]) !=
                    std::bit_cast<std::uint64_t>(plain[i])) {
                    ADD_FAILURE() << "sweep " << sweep << ", element " << i;
                    return;
                }
        }
    });
}

} // namespace

// Rows handed over faster than the follower applies them go together; each element of the
// eigenvectors, and of the matrix rows above each rotation's row, still takes every rotation in
// sweep order, over two sweeps of made-up rotations (rows with none among them). The second
// sweep is drained at once, so that the waiting thread takes blocks of rows from the start; 389
// has four blocks a batch.
TEST(Math2Kernels, FollowerAppliesRowsHandedOverTogetherInSweepOrder)
{
    for (const int n : {203, 389})
        FollowSweepsOfMadeUpRotations(n, (std::size_t(n) + kLanes - 1) / kLanes * kLanes);
}

// A sweep stopped part way hands over less than a batch; the follower must still let go.
TEST(Math2Kernels, FollowerStopsWithPartOfABatchInHand)
{
    const int n = 150;
    const std::size_t ld = 152;
    std::vector<double> v(ld * n, 0.0), w(ld * n, 0.0);
    for (int handed : {0, 3}) {
        auto stopped = std::async(std::launch::async, [&] {
            TEigenvectorFollower follower(Kernels(), v.data(), w.data(), ld, n);
            TJacobiWork work{nullptr, nullptr, ld, n, nullptr, nullptr};
            follower.Attach(work);
            for (int p = 0; p < handed; ++p) work.RowDone(work.Context, p, 0);
        });
        ASSERT_EQ(stopped.wait_for(std::chrono::seconds(10)), std::future_status::ready)
            << handed << " rows handed over";
    }
}

// The exponent shortcut of the "negligible" test against the extended-precision sum it stands
// for: named edge values, then pairs whose exponents lie around the boundary where the
// shortcut hands over (|X| / |A| near 2^71 to 2^73).
TEST(Math2Kernels, NegligibleDecidesAsTheExtendedSum)
{
    auto extended = [](double A, double X) {
        const long double g = 200.0L * std::fabs(static_cast<long double>(A));
        const long double x = std::fabs(static_cast<long double>(X));
        return x + g == x;
    };
    const double inf = HUGE_VAL, nan = std::nan(""), tiny = 4.9e-324;
    const double named[][2] = {
        {0, 0},      {0, 1},      {-0.0, -3},  {0, nan},      {0, inf},       {1, inf},
        {inf, inf},  {nan, 1},    {1, nan},    {tiny, 0},     {tiny, 1e-300}, {1e-300, tiny},
        {1, 0x1p72}, {1, 0x1p73}, {1, 0x1p80}, {-1, -0x1p80}, {0x1p-1022, 1}, {1e300, 1e-300}};
    for (const auto& p : named)
        EXPECT_EQ(Negligible(p[0], p[1]), extended(p[0], p[1])) << p[0] << ", " << p[1];
    std::mt19937_64 gen(42);
    std::uniform_real_distribution<double> mantissa(1.0, 2.0);
    std::uniform_int_distribution<int> shift(68, 76), exponent(-900, 900);
    int decided = 0;
    for (int i = 0; i < 200000; ++i) {
        const int e = exponent(gen);
        const double a = std::ldexp(mantissa(gen), e) * (i % 2 ? -1 : 1);
        const double x = std::ldexp(mantissa(gen), e + shift(gen)) * (i % 3 ? 1 : -1);
        ASSERT_EQ(Negligible(a, x), extended(a, x)) << a << ", " << x;
        decided += extended(a, x);
    }
    // Both answers were well represented.
    EXPECT_GT(decided, 50000);
    EXPECT_LT(decided, 150000);
}
