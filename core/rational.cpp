// Exact rationals of floats: made, compared, rounded to float and written in decimal.
#include "core/rational.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

Integer scaledFloat(float value) {
    // value * 2^149 has at most 24 significant bits, and a double holds it exactly.
    const double scaled = std::ldexp(std::fabs(static_cast<double>(value)), FLOAT_SCALE);
    int exponent = 0;
    const double fraction = std::frexp(scaled, &exponent);
    Integer whole = exponent <= 62 ? Integer(static_cast<std::int64_t>(scaled))
                                   : Integer(static_cast<std::int64_t>(std::ldexp(fraction, 53)))
                                         << (exponent - 53);
    return value < 0 ? Integer(-whole) : whole;
}

Rational ratio(Integer num, Integer den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    return {std::move(num), std::move(den)};
}

int compare(const Rational& a, const Rational& b) {
    const Integer left = a.num * b.den;
    const Integer right = b.num * a.den;
    return left < right ? -1 : left > right ? 1 : 0;
}

float nearestFloat(const Rational& value) {
    if (value.num == 0) {
        return 0.0f;
    }
    const bool negative = value.num < 0;
    const Integer n = negative ? Integer(-value.num) : value.num;
    const Integer& d = value.den;
    // 2^e <= n / d < 2^(e + 1).
    long e = static_cast<long>(msb(n)) - static_cast<long>(msb(d));
    if (e >= 0 ? n < (d << e) : (n << -e) < d) {
        --e;
    }
    constexpr float INF = std::numeric_limits<float>::infinity();
    if (e > 127) {
        return negative ? -INF : INF;
    }
    // 24 significant bits for a normal float; below 2^-126, the bits down to 2^-149.
    const long shift = e >= -126 ? 23 - e : 149;
    const Integer scaledNum = shift >= 0 ? Integer(n << shift) : n;
    const Integer scaledDen = shift >= 0 ? d : Integer(d << -shift);
    Integer quotient = scaledNum / scaledDen;
    const Integer twice = 2 * (scaledNum - quotient * scaledDen);
    if (twice > scaledDen || (twice == scaledDen && (quotient & 1) != 0)) {
        ++quotient;
    }
    // At most 2^24, which a double holds; the power of two makes it a float exactly, or
    // infinity where rounding carried past the largest.
    const double magnitude = std::ldexp(quotient.convert_to<double>(), static_cast<int>(-shift));
    const float rounded = magnitude >= 0x1p128 ? INF : static_cast<float>(magnitude);
    return negative ? -rounded : rounded;
}

double approximately(const Rational& value) {
    const long e = static_cast<long>(msb(value.den));
    // The denominator brought under 2^64 first, so that neither part overflows a double.
    const long drop = std::max(0L, e - 60);
    const Integer num = value.num >> drop;
    const Integer den = value.den >> drop;
    return num.convert_to<double>() / den.convert_to<double>();
}

std::string decimal(const Rational& value, int digits) {
    if (value.num == 0) {
        return "0";
    }
    const bool negative = value.num < 0;
    const Integer n = negative ? Integer(-value.num) : value.num;
    // The power of ten of the first digit: 10^p <= n / den < 10^(p + 1).
    long p = static_cast<long>(std::floor(
        (static_cast<double>(msb(n)) - static_cast<double>(msb(value.den))) * 0.30102999566398120));
    const auto scaledBy = [&](long power) {
        Integer num = n;
        Integer den = value.den;
        for (long k = 0; k < std::labs(power); ++k) {
            (power >= 0 ? num : den) *= 10;
        }
        return std::pair{num, den};
    };
    while (true) {
        const auto [num, den] = scaledBy(-p);
        if (num < den) {
            --p;
        } else if (num >= 10 * den) {
            ++p;
        } else {
            break;
        }
    }
    auto [num, den] = scaledBy(digits - 1 - p);
    Integer whole = num / den;
    if (2 * (num - whole * den) >= den) {
        ++whole;
    }
    // The digits, eighteen at a time from the right.
    std::string text;
    const Integer chunk(1000000000000000000ULL);
    for (Integer rest = whole; rest > 0 || text.empty(); rest /= chunk) {
        const std::string part = std::to_string((rest % chunk).convert_to<std::uint64_t>());
        text.insert(0, rest >= chunk ? std::string(18 - part.size(), '0') + part : part);
    }
    if (static_cast<long>(text.size()) > digits) { // 9.99… rounded up to 10.0…
        text.pop_back();
        ++p;
    }
    if (p >= 0 && p < digits) {
        text.insert(static_cast<std::size_t>(p) + 1, ".");
    } else if (p < 0 && p > -6) {
        text = "0." + std::string(static_cast<std::size_t>(-p - 1), '0') + text;
    } else {
        text.insert(1, ".");
        text += std::string("e") + (p < 0 ? "-" : "+") + std::to_string(std::labs(p));
    }
    // Trailing zeros after the point, and a point left bare, say nothing.
    const std::size_t exponent = text.find('e');
    std::string mantissa = text.substr(0, exponent);
    if (mantissa.find('.') != std::string::npos) {
        mantissa.erase(mantissa.find_last_not_of('0') + 1);
        if (mantissa.back() == '.') {
            mantissa.pop_back();
        }
    }
    return (negative ? "-" : "") + mantissa +
           (exponent == std::string::npos ? "" : text.substr(exponent));
}
