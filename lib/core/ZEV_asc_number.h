// The number syntax of ASC files: the general reader of cell and class tokens, and the fast path
// for the common plain cell, read straight from an input buffer.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The value of the 8 digit values in the bytes of Digits, the first byte the most significant.
inline std::uint64_t EightDigits(std::uint64_t Digits)
{
    std::uint64_t v = Digits * 10 + (Digits >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    return v;
}

// The value of the first Count (1..8) digits of Chunk.
inline std::uint64_t DigitsValue(std::uint64_t Chunk, int Count)
{
    // Shifting the digits to the top leaves zeros as leading digits and drops the bytes after.
    return EightDigits((Chunk - 0x3030303030303030) << (8 * (8 - Count)));
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

#if defined(__SSE2__)
// [-]digits with at most one "." somewhere, of up to 15 bytes after the sign, the separator
// within the 16 bytes after it: one shape of arithmetic for every such token, so that a file
// whose numbers vary in length costs no mispredicted branches.
inline bool ShortPlainNumber(const char*& P, double& Value)
{
    const char* q = P;
    const bool negative = *q == '-';
    q += negative;
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i separators = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(32)), bytes);
    const unsigned separatorMask = unsigned(_mm_movemask_epi8(separators));
    if (separatorMask == 0) return false;
    const int length = __builtin_ctz(separatorMask);
    const unsigned token = (1u << length) - 1;
    const __m128i values = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
    const __m128i digits = _mm_cmpeq_epi8(_mm_min_epu8(values, _mm_set1_epi8(9)), values);
    const unsigned digitMask = unsigned(_mm_movemask_epi8(digits)) & token;
    const unsigned dotMask =
        unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('.')))) & token;
    // Digits and at most one dot, and a digit at least.
    if ((digitMask | dotMask) != token || (dotMask & (dotMask - 1)) != 0 || digitMask == 0)
        return false;
    // The digit values as one number of 16 bytes, the first byte lowest: the dot and everything
    // after the token zero.
    const __m128i kept = _mm_and_si128(
        values, _mm_and_si128(digits, _mm_cmplt_epi8(_mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                                                   11, 12, 13, 14, 15),
                                                     _mm_set1_epi8(char(length)))));
    const unsigned __int128 all =
        (unsigned __int128)(std::uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(kept, kept))))
            << 64 |
        std::uint64_t(_mm_cvtsi128_si64(kept));
    // Without the dot's byte, then moved up so that the last digit is the top byte.
    const int dot = dotMask ? __builtin_ctz(dotMask) : length;
    const unsigned __int128 before = all & (((unsigned __int128)1 << (8 * dot)) - 1);
    const unsigned __int128 joined = before | (all >> (8 * dot) >> 8 << (8 * dot));
    const int count = length - (dotMask != 0);
    const unsigned __int128 top = joined << (8 * (16 - count));
    // At most 15 digits, below 2^52: exact as a double, and so is the power of ten. The
    // mantissa goes into the bits of 2^52 + mantissa, so that no conversion waits for the
    // register the last token's value left.
    const std::uint64_t mantissa =
        EightDigits(std::uint64_t(top)) * 100000000 + EightDigits(std::uint64_t(top >> 64));
    const double exact = std::bit_cast<double>(mantissa | 0x4330000000000000) - 0x1p52;
    const double d = exact / kPow10[dotMask ? length - dot - 1 : 0];
    Value = negative ? -d : d;
    P = q + length;
    return true;
}
#endif

// [-]digits[.digits] with at most 19 digits, for the tokens ShortPlainNumber leaves.
inline bool LongPlainNumber(const char*& P, double& Value)
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

// The common cell, [-]digits[.digits] without an exponent, read straight from the buffer at P,
// which must have 32 bytes readable. Anything else is left to the general token path (false).
inline bool FastPlainNumber(const char*& P, double& Value)
{
#if defined(__SSE2__)
    if (ShortPlainNumber(P, Value)) return true;
#endif
    return LongPlainNumber(P, Value);
}

} // namespace AscNumber
