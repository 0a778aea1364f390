#include "shortestdouble.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

// The digits come from the Schubfach algorithm (R. Giulietti, "The Schubfach way to render
// doubles"): the value and both ends of its rounding interval are scaled by a power of ten so
// that the interval holds integers of 16 or 17 digits; the shortest candidates are then among
// the nearest multiples of 10 and the two integers next to the scaled value.
namespace {
using u32 = std::uint32_t;
using u64 = std::uint64_t;
__extension__ typedef unsigned __int128 u128;

constexpr u64 Mask63 = (u64(1) << 63) - 1;
constexpr int MinPow10 = -292, MaxPow10 = 324; // the powers of ten a double needs

// floor(log10(2^q)), floor(log10(3/4 * 2^q)) and floor(log2(10^e)) for the exponents of doubles
constexpr int FloorLog10Pow2(int q)
{
    return int((q * 661971961083LL) >> 41);
}
constexpr int FloorLog10ThreeQuartersPow2(int q)
{
    return int((q * 661971961083LL - 274743187321LL) >> 41);
}
constexpr int FloorLog2Pow10(int e)
{
    return int((e * 913124641741LL) >> 38);
}

// 10^e * 2^-r rounded up to 126 bits (r = FloorLog2Pow10(e) - 125), as two 63-bit halves.
struct TPow10 {
    u64 Hi, Lo;
};

// Just enough of an unsigned big integer to compute the table exactly: 5^324 and 2^1024.
struct TBig {
    std::array<u32, 40> Words{}; // least significant first
    constexpr void Multiply(u32 m)
    {
        u64 carry = 0;
        for (u32& w : Words) {
            const u64 p = u64(w) * m + carry;
            w = u32(p);
            carry = p >> 32;
        }
    }
    constexpr void Divide(u32 d)
    {
        u64 rest = 0;
        for (auto w = Words.rbegin(); w != Words.rend(); ++w) {
            const u64 n = rest << 32 | *w;
            *w = u32(n / d);
            rest = n % d;
        }
    }
    // floor(this / 2^Shift), its lowest 128 bits
    constexpr u128 Shifted(int Shift) const
    {
        u128 r = 0;
        for (int b = 127; b >= 0; --b) {
            const int pos = Shift + b;
            const bool bit = pos < 32 * int(Words.size()) && (Words[pos / 32] >> pos % 32 & 1);
            r = r << 1 | u128(bit);
        }
        return r;
    }
};

constexpr TPow10 Split(u128 g)
{
    return {u64(g >> 63), u64(g) & Mask63};
}

constexpr std::array<TPow10, MaxPow10 - MinPow10 + 1> MakePow10Table()
{
    std::array<TPow10, MaxPow10 - MinPow10 + 1> table{};
    TBig p; // 5^e
    p.Words[0] = 1;
    for (int e = 0; e <= MaxPow10; ++e) {
        if (e > 0) p.Multiply(5);
        const int s = 125 - FloorLog2Pow10(e) + e; // 10^e * 2^-r = 5^e * 2^s
        table[e - MinPow10] = Split((s >= 0 ? p.Shifted(0) << s : p.Shifted(-s)) + 1);
    }
    TBig q; // floor(2^1024 / 5^n), so that floor(2^m / 5^n) = floor(q / 2^(1024 - m))
    q.Words[32] = 1;
    for (int n = 1; n <= -MinPow10; ++n) {
        q.Divide(5);
        const int m = 125 - FloorLog2Pow10(-n) - n; // 10^-n * 2^-r = 2^m / 5^n
        table[-n - MinPow10] = Split(q.Shifted(1024 - m) + 1);
    }
    return table;
}
constexpr auto Pow10Table = MakePow10Table();

// cp * g / 2^127, rounded to odd: exact integers stay even, anything in between becomes odd,
// which keeps every comparison with an even integer exact.
u64 RoundToOdd(TPow10 g, u64 cp)
{
    const u64 x1 = u64((u128(g.Lo) * cp) >> 64);
    const u128 y = u128(g.Hi) * cp;
    const u64 z = (u64(y) >> 1) + x1;
    const u64 high = u64(y >> 64) + (z >> 63);
    return high | (((z & Mask63) + Mask63) >> 63);
}

struct TDecimal {
    u64 Digits;
    int Exponent;
};

// The shortest decimal that reads back as c * 2^q, the nearest one of them if several.
TDecimal Shortest(u64 c, int q)
{
    const u64 odd = c & 1; // an odd significand's interval excludes its ends
    const u64 cb = c << 2, cbr = cb + 2;
    // At a power of two the neighbour below is only half as far away as the one above.
    const bool narrowBelow = c == u64(1) << 52 && q != -1074;
    const u64 cbl = narrowBelow ? cb - 1 : cb - 2;
    const int k = narrowBelow ? FloorLog10ThreeQuartersPow2(q) : FloorLog10Pow2(q);
    const int h = q + FloorLog2Pow10(-k) + 2;
    const TPow10 g = Pow10Table[std::size_t(-k - MinPow10)];
    const u64 vb = RoundToOdd(g, cb << h), vbl = RoundToOdd(g, cbl << h),
              vbr = RoundToOdd(g, cbr << h);
    const u64 s = vb >> 2;
    if (s >= 10) {
        const u64 sp10 = s / 10 * 10, tp10 = sp10 + 10;
        const bool spIn = vbl + odd <= sp10 << 2, tpIn = (tp10 << 2) + odd <= vbr;
        if (spIn != tpIn) return {spIn ? sp10 : tp10, k};
    }
    const u64 t = s + 1;
    const bool sIn = vbl + odd <= s << 2, tIn = (t << 2) + odd <= vbr;
    if (sIn != tIn) return {sIn ? s : t, k};
    const auto fromMiddle = std::int64_t(vb - ((s + t) << 1));
    return {fromMiddle < 0 || (fromMiddle == 0 && (s & 1) == 0) ? s : t, k};
}

constexpr auto DigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[std::size_t(2 * i)] = char('0' + i / 10);
        pairs[std::size_t(2 * i + 1)] = char('0' + i % 10);
    }
    return pairs;
}();

constexpr auto Pow10 = [] {
    std::array<u64, 20> powers{1};
    for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
    return powers;
}();

int DigitCount(u64 n)
{
    const int guess = std::bit_width(n | 1) * 1233 >> 12; // floor(log10) or one less
    return guess + (n >= Pow10[std::size_t(guess)]);
}

// Writes the Count decimal digits of n (leading zeros included) ending at End.
void PutDigits(char* End, u64 n, int Count)
{
    for (; Count >= 2; Count -= 2, n /= 100) {
        End -= 2;
        std::memcpy(End, &DigitPairs[n % 100 * 2], 2);
    }
    if (Count == 1) End[-1] = char('0' + n % 10);
}

char* PutWhole(char* First, u128 n)
{
    constexpr u64 Split19 = 10'000'000'000'000'000'000u;
    if (n < Split19) {
        const int count = DigitCount(u64(n));
        PutDigits(First + count, u64(n), count);
        return First + count;
    }
    First = PutWhole(First, n / Split19);
    PutDigits(First + 19, u64(n % Split19), 19);
    return First + 19;
}

// The 17 digits of n < 10^17, leading zeros included: the first, and two blocks of eight.
struct TDigits17 {
    char First;
    u64 Middle, Low;
};

#if defined(__SSE2__) && defined(__x86_64__)
// The two blocks of eight in vector lanes: split into fours, twos and ones, each step on all
// lanes at once by a multiplication with the reciprocal and a shift.
[[gnu::always_inline]] inline TDigits17 Digits17(u64 n)
{
    const u64 top = n / 100'000'000;
    const __m128i v =
        _mm_set_epi64x(std::int64_t(n % 100'000'000), std::int64_t(top % 100'000'000));
    const __m128i fours = _mm_srli_epi64(_mm_mul_epu32(v, _mm_set1_epi32(int(0xd1b71759))), 45);
    const __m128i lowFours = _mm_sub_epi32(v, _mm_mul_epu32(fours, _mm_set1_epi32(10000)));
    const __m128i x = _mm_or_si128(fours, _mm_slli_epi64(lowFours, 32)); // four-digit 32-bit lanes
    const __m128i twos = _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(5243)), 3);
    const __m128i y = _mm_or_si128(
        twos, _mm_slli_epi32(_mm_sub_epi16(x, _mm_mullo_epi16(twos, _mm_set1_epi16(100))), 16));
    const __m128i tens = _mm_mulhi_epu16(y, _mm_set1_epi16(6554));
    const __m128i z = _mm_or_si128(
        tens, _mm_slli_epi16(_mm_sub_epi16(y, _mm_mullo_epi16(tens, _mm_set1_epi16(10))), 8));
    const __m128i text = _mm_add_epi8(z, _mm_set1_epi8('0'));
    return {char('0' + top / 100'000'000), u64(_mm_cvtsi128_si64(text)),
            u64(_mm_cvtsi128_si64(_mm_unpackhi_epi64(text, text)))};
}
#else
// The eight digits of n < 10^8 as text, the first at the lowest address once stored.
[[gnu::always_inline]] inline u64 EightDigits(u32 n)
{
    const u32 high = n / 10000, low = n % 10000;
    const auto pair = [](u32 m) {
        std::uint16_t p;
        std::memcpy(&p, &DigitPairs[m * 2], 2);
        return u64(p);
    };
    const u64 a = pair(high / 100), b = pair(high % 100), c = pair(low / 100), d = pair(low % 100);
    if constexpr (std::endian::native == std::endian::big) return a << 48 | b << 32 | c << 16 | d;
    return a | b << 16 | c << 32 | d << 48;
}

[[gnu::always_inline]] inline TDigits17 Digits17(u64 n)
{
    const u64 top = n / 100'000'000;
    return {char('0' + top / 100'000'000), EightDigits(u32(top % 100'000'000)),
            EightDigits(u32(n % 100'000'000))};
}
#endif

void Put17(char* p, u64 n)
{
    const TDigits17 d = Digits17(n);
    p[0] = d.First;
    std::memcpy(p + 1, &d.Middle, 8);
    std::memcpy(p + 9, &d.Low, 8);
}

// d[0..Whole) "." d[Whole..Count) for 0 < Whole <= 8 < Count, from registers: reading back digits
// just stored would stall on the stores.
char* PutPointAfter(char* First, const TDigits17& d, int Whole, int Count)
{
    First[0] = d.First;
    std::memcpy(First + 1, &d.Middle, 8);
    First[Whole] = '.';
    const u64 rest = d.Middle >> (8 * (Whole - 1)); // Middle[Whole - 1..8), then zeros
    std::memcpy(First + Whole + 1, &rest, 8);
    std::memcpy(First + 10, &d.Low, 8);
    return First + Count + 1;
}

char* PutScientific(char* First, u64 Digits, int Count, int Exponent)
{
    Put17(First + 1, Digits * Pow10[std::size_t(17 - Count)]);
    First[0] = First[1];
    First[1] = '.';
    First += Count > 1 ? Count + 1 : 1;
    *First++ = 'e';
    *First++ = Exponent < 0 ? '-' : '+';
    const int magnitude = Exponent < 0 ? -Exponent : Exponent;
    const int width = magnitude >= 100 ? 3 : 2;
    PutDigits(First + width, u64(magnitude), width);
    return First + width;
}

// Digits * 10^Exponent with Exponent < 0; fixed notation is the shorter one up to "0.000ddd".
char* PutFraction(char* First, u64 Digits, int Count, int Exponent)
{
    const u64 aligned = Digits * Pow10[std::size_t(17 - Count)];
    const int whole = Count + Exponent;
    if (whole > 0 && whole <= 8 && Count > 8 && std::endian::native == std::endian::little)
        return PutPointAfter(First, Digits17(aligned), whole, Count);
    if (whole > 0) {
        Put17(First + 1, aligned);
        for (int i = 0; i < whole; ++i) First[i] = First[i + 1];
        First[whole] = '.';
        return First + Count + 1;
    }
    std::memcpy(First, "0.000", 5);
    First += 2 - whole;
    Put17(First, aligned);
    return First + Count;
}
} // namespace

char* WriteShortestDouble(char* First, double Value)
{
    const auto bits = std::bit_cast<u64>(Value);
    const u64 fraction = bits & ((u64(1) << 52) - 1);
    const int biased = int(bits >> 52 & 0x7FF);
    if (bits >> 63) *First++ = '-';
    if (biased == 0x7FF) {
        std::memcpy(First, fraction ? "nan" : "inf", 3);
        return First + 3;
    }
    if (biased == 0 && fraction == 0) {
        *First = '0';
        return First + 1;
    }
    const u64 c = biased ? fraction | u64(1) << 52 : fraction;
    const int q = (biased ? biased : 1) - 1075;
    auto [digits, exponent] = Shortest(c, q);
    while (digits % 10 == 0) {
        digits /= 10;
        ++exponent;
    }
    const int count = DigitCount(digits);
    const int scientific = exponent + count - 1;
    const int sciLength =
        count + (count > 1) + 2 + (scientific <= -100 || scientific >= 100 ? 3 : 2);
    const int fixedLength = exponent >= 0          ? count + exponent
                            : count + exponent > 0 ? count + 1
                                                   : 2 - exponent;
    if (fixedLength > sciLength) return PutScientific(First, digits, count, scientific);
    // A whole number is written exactly, not as its shortest digits padded with zeros.
    if (exponent >= 0) return PutWhole(First, q >= 0 ? u128(c) << q : u128(c >> -q));
    return PutFraction(First, digits, count, exponent);
}
