// The short cut for plain cells against the general number reader: every token it takes reads
// as the same double, to the bit, and ends where the token does; the common shapes are taken.
#include "ZEV_asc_number.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

// Token and After, with room behind them for the bytes the short cut reads ahead.
bool Fast(const std::string& Token, const std::string& After, double& Value)
{
    const std::string text = Token + After + std::string(40, '\0');
    const char* p = text.data();
    if (!AscNumber::FastPlainNumber(p, Value)) return false;
    EXPECT_EQ(p, text.data() + Token.size()) << Token;
    return true;
}

void ExpectAsGeneral(const std::string& Token, const std::string& After)
{
    double fast = 0, general = 0;
    if (!Fast(Token, After, fast)) return;
    ASSERT_TRUE(ParseAscNumber(Token, general)) << Token;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(general)) << Token;
}

} // namespace

TEST(AscFastNumber, TakesThePlainShapes)
{
    struct Row {
        const char* Text;
        bool Taken;
    };
    const Row rows[] = {
        {"0", true},
        {"-0.0", true},
        {"7", true},
        {"123.4567891", true},
        {"1.", true},
        {"-0.000012345", true},
        {"1234567.12345678", true},
        {"123456789012345678.5", false},
        {"1e5", false},
        {"+1", false},
        {"1.2.3", false},
        {"12a", false},
        {"NAN", false},
        {"-", false},
        {".", false},
        {"1,5", false},
        {"7)", false},
        {"--1", false},
    };
    for (const Row& row : rows) {
        double v = 0;
        EXPECT_EQ(Fast(row.Text, " ", v), row.Taken) << row.Text;
        ExpectAsGeneral(row.Text, " ");
    }
    double negativeZero = 0;
    ASSERT_TRUE(Fast("-0", "\t", negativeZero));
    EXPECT_TRUE(std::signbit(negativeZero));
}

TEST(AscFastNumber, RandomTokensReadAsTheGeneralReaderReads)
{
    std::mt19937_64 gen(20261208);
    const char* const after[] = {" ", "\r\n", "\t", ")", "x"};
    for (int i = 0; i < 300000; ++i) {
        std::string token = gen() % 4 == 0 ? "-" : "";
        const int intDigits = int(gen() % 21), fracDigits = int(gen() % 21);
        for (int d = 0; d < intDigits; ++d) token += char('0' + gen() % 10);
        if (gen() % 4 != 0) token += '.';
        for (int d = 0; d < fracDigits; ++d) token += char('0' + gen() % 10);
        ExpectAsGeneral(token, after[gen() % std::size(after)]);
    }
}
