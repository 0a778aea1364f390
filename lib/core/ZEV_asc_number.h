// The number syntax of ASC files: the general reader of cell and class tokens, and the fast path
// for the common plain cell, read straight from an input buffer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

// The number syntax of ASC cells and class numbers: optional sign, digits with an optional "."
// (at least one digit), optional exponent. Independent of the locale; a result that overflows
// to infinity is refused.
bool ParseAscNumber(std::string_view Text, double& Value);

// Tokens of an ASC file are separated by any byte of code 32 or below.
inline bool IsAscSeparator(char ch)
{
    return static_cast<unsigned char>(ch) <= 32;
}

namespace AscNumber {

// Number of leading decimal digits among the 8 bytes of Chunk (first byte lowest).
inline int LeadingDigits(std::uint64_t Chunk)
{
    // A byte is a digit when its high nibble is 3 and stays 3 after adding 6. Carries only leave
    // non-digit bytes, so they cannot hide the first one.
    const std::uint64_t t =
        ((Chunk & 0xF0F0F0F0F0F0F0F0) ^ 0x3030303030303030) |
        (((Chunk + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) ^ 0x3030303030303030);
    return t ? __builtin_ctzll(t) / 8 : 8;
}

// The value of the first Count (1..8) digits of Chunk.
inline std::uint64_t DigitsValue(std::uint64_t Chunk, int Count)
{
    // Shifting the digits to the top leaves zeros as leading digits and drops the bytes after.
    std::uint64_t v = (Chunk - 0x3030303030303030) << (8 * (8 - Count));
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    return v;
}

inline std::uint64_t Load8(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

constexpr std::uint64_t kPow10Int[] = {1,      10,      100,      1000,     10000,
                                       100000, 1000000, 10000000, 100000000};

// The common cell, [-]digits[.digits] with at most 19 digits and no exponent, read straight
// from the buffer at P, which must have 32 bytes readable. Anything else is left to the general
// token path (false).
inline bool FastPlainNumber(const char*& P, double& Value)
{
    const char* q = P;
    const bool negative = *q == '-';
    q += negative;
    const int intDigits = LeadingDigits(Load8(q));
    if (intDigits == 0 || intDigits == 8) return false;
    std::uint64_t mantissa = DigitsValue(Load8(q), intDigits);
    q += intDigits;
    int fracDigits = 0;
    if (*q == '.') {
        ++q;
        const std::uint64_t c1 = Load8(q);
        const int n1 = LeadingDigits(c1);
        if (n1 > 0) mantissa = mantissa * kPow10Int[n1] + DigitsValue(c1, n1);
        fracDigits = n1;
        if (n1 == 8) {
            const std::uint64_t c2 = Load8(q + 8);
            const int n2 = LeadingDigits(c2);
            if (n2 == 8 || intDigits + 8 + n2 > 19) return false;
            if (n2 > 0) mantissa = mantissa * kPow10Int[n2] + DigitsValue(c2, n2);
            fracDigits += n2;
        }
        q += fracDigits;
    }
    if (!IsAscSeparator(*q) || mantissa > (std::uint64_t(1) << 53)) return false;
    // Exact mantissa, exact power of ten: one correctly rounded division.
    const double d = double(mantissa) / kPow10[fracDigits];
    Value = negative ? -d : d;
    P = q;
    return true;
}

} // namespace AscNumber
