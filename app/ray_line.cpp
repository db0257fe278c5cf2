// A ray and its box as twelve numbers on a line, and each number as the oracle reads it.
#include "app/ray_line.h"

#include "app/shown_word.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

// Whether the text is this word, in any case.
bool isWord(const char* begin, const char* end, const char* word) {
    const auto length = static_cast<std::size_t>(end - begin);
    return length == std::strlen(word) && std::equal(begin, end, word, [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

} // namespace

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '\r';
}

bool readOracleNumber(const char* begin, const char* end, float& value) {
    const char* p = begin;
    const bool negative = p < end && *p == '-';
    p += p < end && (*p == '-' || *p == '+') ? 1 : 0;
    if (isWord(p, end, "inf") || isWord(p, end, "nan")) {
        const float magnitude = std::tolower(static_cast<unsigned char>(*p)) == 'i'
                                    ? std::numeric_limits<float>::infinity()
                                    : std::numeric_limits<float>::quiet_NaN();
        value = negative ? -magnitude : magnitude;
        return true;
    }
    auto format = std::chars_format::general;
    if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        format = std::chars_format::hex;
        p += 2;
    }
    // Past the sign and the prefix, a digit or a point: no second sign, no spelled word.
    if (p == end || !(std::isxdigit(static_cast<unsigned char>(*p)) != 0 || *p == '.') ||
        (format == std::chars_format::general &&
         std::isdigit(static_cast<unsigned char>(*p)) == 0 && *p != '.')) {
        return false;
    }
    const std::string word(begin, end);
#if defined(__cpp_lib_to_chars)
    float parsed = 0.0f;
    const auto [stop, error] = std::from_chars(p, end, parsed, format);
    if (stop != end) {
        return false;
    }
    if (error == std::errc::result_out_of_range) {
        // Beyond a float either way: rounded to infinity or to zero, as strtof does.
        value = std::strtof(word.c_str(), nullptr);
        return true;
    }
    if (error != std::errc()) {
        return false;
    }
    value = negative ? -parsed : parsed;
    return true;
#else
    // Where the C++ library has no from_chars for floats, strtof reads the same words the
    // same way, all of them or none.
    char* stop = nullptr;
    const float parsed = std::strtof(word.c_str(), &stop);
    if (stop != word.c_str() + word.size()) {
        return false;
    }
    value = parsed;
    return true;
#endif
}

RayLineCheck readRayLine(const char* begin, const char* end, float values[12], std::string& why,
                         std::string* rest) {
    const char* p = begin;
    while (p < end && isSeparator(*p)) {
        ++p;
    }
    if (p == end || *p == '#') {
        return RAY_LINE_EMPTY;
    }
    int count = 0;
    while (p < end && count < 12) {
        const char* word = p;
        while (p < end && !isSeparator(*p)) {
            ++p;
        }
        if (!readOracleNumber(word, p, values[count])) {
            why = "'" + shownWord(std::string(word, p)) + "' is not a number";
            return RAY_LINE_BAD;
        }
        ++count;
        while (p < end && isSeparator(*p)) {
            ++p;
        }
    }
    if (count < 12) {
        why = std::to_string(count) + " numbers, not 12";
        return RAY_LINE_BAD;
    }
    if (rest != nullptr) {
        rest->assign(p, end);
    } else if (p < end) {
        why = "more than 12 numbers";
        return RAY_LINE_BAD;
    }
    return RAY_LINE_OK;
}
