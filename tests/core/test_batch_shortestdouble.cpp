// The fast double formatter against the standard library's shortest round-trip form.
#include "shortestdouble.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {
std::string Standard(double Value)
{
    char text[64];
    return {text, std::to_chars(text, text + sizeof text, Value).ptr};
}

std::string Fast(double Value)
{
    char text[ShortestDoubleBytes];
    return {text, WriteShortestDouble(text, Value)};
}

// Counts and reports (the first few of) the values written otherwise than by std::to_chars.
int Differences(const std::vector<double>& Values)
{
    int count = 0;
    for (const double v : Values) {
        for (const double signed_ : {v, -v}) {
            if (Fast(signed_) == Standard(signed_)) continue;
            if (++count <= 10)
                ADD_FAILURE() << std::hexfloat << signed_ << ": " << Fast(signed_) << " instead of "
                              << Standard(signed_);
        }
    }
    return count;
}

// The value and its neighbours
void AddAround(std::vector<double>& Values, double Value)
{
    Values.insert(Values.end(), {std::nextafter(Value, 0.0), Value,
                                 std::nextafter(Value, std::numeric_limits<double>::infinity())});
}
} // namespace

TEST(ShortestDouble, SpecialValuesAndTheEdgesOfTheRange)
{
    using Limits = std::numeric_limits<double>;
    const std::vector<double> values = {0.0,
                                        Limits::infinity(),
                                        Limits::quiet_NaN(),
                                        Limits::denorm_min(),
                                        2 * Limits::denorm_min(),
                                        16 * Limits::denorm_min(),
                                        Limits::min() - Limits::denorm_min(),
                                        Limits::min(),
                                        Limits::max(),
                                        Limits::epsilon()};
    EXPECT_EQ(Differences(values), 0);
    EXPECT_EQ(Fast(-0.0), "-0");
    EXPECT_EQ(Fast(-Limits::quiet_NaN()), "-nan");
}

TEST(ShortestDouble, EveryPowerOfTwoAndOfTenWithTheirNeighbours)
{
    std::vector<double> values;
    for (int e = -1074; e <= 1023; ++e) AddAround(values, std::ldexp(1.0, e));
    for (int e = -323; e <= 308; ++e)
        AddAround(values, std::strtod(("1e" + std::to_string(e)).c_str(), nullptr));
    EXPECT_EQ(Differences(values), 0);
}

// Where fixed and scientific notation take turns ("0.001" but "1e-04", "10000" but "1e+05"),
// for every number of digits.
TEST(ShortestDouble, OneToSeventeenDigitsAtEveryScaleOfTheNotationChoice)
{
    std::vector<double> values;
    std::uint64_t digits = 0;
    for (int count = 1; count <= 17; ++count) {
        digits = digits * 10 + std::uint64_t(count % 10 == 0 ? 7 : count % 10);
        for (int e = -40; e <= 40; ++e)
            values.push_back(std::stod(std::to_string(digits) + "e" + std::to_string(e)));
    }
    EXPECT_EQ(Differences(values), 0);
}

// Whole numbers are written exactly, also beyond 2^53 where their shortest digits would not be.
TEST(ShortestDouble, WholeNumbersAndHalfwayCases)
{
    std::vector<double> values;
    for (int e = 0; e <= 80; ++e) {
        const double p = std::ldexp(1.0, e);
        for (const double v : {p - 1, p + 1, 3 * p, p * 10 / 3, std::pow(10.0, e % 23) - 1})
            AddAround(values, v);
    }
    for (const double halfway : {0.5, 1.5, 2.5, 0.125, 1e23, 5e-324, 9007199254740993.0})
        AddAround(values, halfway);
    EXPECT_EQ(Differences(values), 0);
}

TEST(ShortestDouble, MillionsOfRandomBitPatternsAndTypicalValues)
{
    std::mt19937_64 random(20261208);
    std::vector<double> values(1 << 20);
    int differences = 0;
    for (int round = 0; round < 3; ++round) {
        for (double& v : values) v = std::bit_cast<double>(random());
        differences += Differences(values);
    }
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::vector<double> typical(1 << 16);
    for (int scale = -8; scale <= 8; ++scale) {
        for (double& v : typical) v = unit(random) * std::pow(10.0, scale);
        differences += Differences(typical);
    }
    EXPECT_EQ(differences, 0);
}
