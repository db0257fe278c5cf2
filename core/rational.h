// Exact rational numbers made from floats, on Boost.Multiprecision's integers: every float is
// a whole multiple of 2^-149, so sums, differences, products and quotients of them are
// ratios of integers, compared and rounded exactly.
#pragma once

#include <boost/multiprecision/cpp_int.hpp>

#include <string>

using Integer = boost::multiprecision::cpp_int;

// Every float times 2^FLOAT_SCALE is a whole number.
constexpr int FLOAT_SCALE = 149;

// num / den, with den > 0.
struct Rational {
    Integer num;
    Integer den;
};

// A float times 2^149, exactly; finite values only.
Integer scaledFloat(float value);

// num / den as a Rational; den must not be 0.
Rational ratio(Integer num, Integer den);

// -1, 0 or 1 as a is below, equal to or above b.
int compare(const Rational& a, const Rational& b);

// The float nearest the value, ties to even, as IEEE 754 rounds: subnormals below 2^-126,
// infinity from 2^128 - 2^103 on; 0 is +0.
float nearestFloat(const Rational& value);

// The value near enough for showing.
double approximately(const Rational& value);

// The value in decimal, rounded to this many significant digits, trailing zeros dropped:
// 2.0000000596 for 2 + 2^-24 at 11 digits.
std::string decimal(const Rational& value, int digits);
