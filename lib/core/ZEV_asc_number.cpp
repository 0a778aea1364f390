#include "ZEV_asc_number.h"

#include <charconv>
#include <cmath>
#include <system_error>

using AscNumber::kPow10;

bool ParseAscNumber(std::string_view Text, double& Value)
{
    const char* p = Text.data();
    const char* const end = p + Text.size();
    if (p == end) return false;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const char* const unsignedStart = p;

    // Up to 19 significant digits fit in the mantissa; further ones only shift the exponent.
    std::uint64_t mantissa = 0;
    int significant = 0;
    std::int64_t exp10 = 0;
    bool truncated = false;
    bool anyDigit = false;
    for (; p != end && unsigned(*p - '0') < 10; ++p) {
        anyDigit = true;
        if (significant < 19) {
            mantissa = mantissa * 10 + unsigned(*p - '0');
            if (mantissa) ++significant;
        } else {
            ++exp10;
            truncated |= *p != '0';
        }
    }
    if (p != end && *p == '.') {
        for (++p; p != end && unsigned(*p - '0') < 10; ++p) {
            anyDigit = true;
            if (significant < 19) {
                mantissa = mantissa * 10 + unsigned(*p - '0');
                if (mantissa) ++significant;
                --exp10;
            } else {
                truncated |= *p != '0';
            }
        }
    }
    if (!anyDigit) return false;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool expNegative = false;
        if (p != end && (*p == '+' || *p == '-')) expNegative = *p++ == '-';
        if (p == end || unsigned(*p - '0') >= 10) return false;
        // Beyond this the result is 0 or infinite whatever the digits were.
        std::int64_t e = 0;
        for (; p != end && unsigned(*p - '0') < 10; ++p)
            if (e < 1000000000000) e = e * 10 + (*p - '0');
        exp10 += expNegative ? -e : e;
    }
    if (p != end) return false;

    if (mantissa == 0) {
        Value = negative ? -0.0 : 0.0;
        return true;
    }
    // Exact mantissa and exact power of ten: one correctly rounded operation gives the
    // correctly rounded result.
    if (!truncated && mantissa <= (std::uint64_t(1) << 53) && exp10 >= -22 && exp10 <= 22) {
        double d = double(mantissa);
        d = exp10 < 0 ? d / kPow10[-exp10] : d * kPow10[exp10];
        Value = negative ? -d : d;
        return true;
    }
    double d = 0;
    const auto [ptr, ec] = std::from_chars(unsignedStart, end, d, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too large is refused; too small is zero.
        if (exp10 + significant > 0) return false;
        d = 0.0;
    } else if (ec != std::errc() || ptr != end) {
        return false;
    }
    if (!std::isfinite(d)) return false;
    Value = negative ? -d : d;
    return true;
}
