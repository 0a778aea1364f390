// The short cut for plain cells against the general number reader: every token it takes reads
// as the same double, to the bit, and ends where the token does; the common shapes are taken.
#include "ZEV_asc_number.h"

#include <bit>
#include <gtest/gtest.h>
#include <random>
#include <string>

// Token and After, with room behind them for the bytes the short cut reads ahead.
static bool Fast(const std::string& Token, const std::string& After)
{
    const std::string text = Token + After + std::string(40, '\0');
    const char* p = text.data();
    double fast = 0, general = 0;
    if (!AscNumber::FastPlainNumber(p, fast)) return false;
    EXPECT_EQ(p, text.data() + Token.size()) << Token;
    EXPECT_TRUE(ParseAscNumber(Token, general)) << Token;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(general)) << Token;
    return true;
}

TEST(AscFastNumber, ReadsAsTheGeneralReaderReads)
{
    for (const char* taken : {"0", "-0", "-0.0", "123.4567891", "1.", "-0.000012345",
                              "999999999999999", "1234567.12345678"})
        EXPECT_TRUE(Fast(taken, "\r\n")) << taken;
    for (const char* left : {"1e5", "+1", "1.2.3", "12a", "NAN", "-", ".", "7)", "--1"})
        EXPECT_FALSE(Fast(left, " ")) << left;
    std::mt19937_64 gen(20261208);
    const char* const after[] = {" ", "\r\n", "\t", ")", "x"};
    for (int i = 0; i < 300000; ++i) {
        std::string token = gen() % 4 == 0 ? "-" : "";
        const int intDigits = int(gen() % 21), fracDigits = int(gen() % 21);
        for (int d = 0; d < intDigits; ++d) token += char('0' + gen() % 10);
        if (gen() % 4 != 0) token += '.';
        for (int d = 0; d < fracDigits; ++d) token += char('0' + gen() % 10);
        Fast(token, after[gen() % std::size(after)]);
    }
}
