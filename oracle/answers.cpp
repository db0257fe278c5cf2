// Anyone's answers read from CSV, field by field, and set against a method's answers.
#include "oracle/answers.h"

#include "app/ray_line.h"
#include "app/shown_word.h"
#include "core/explain.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace {

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields{""};
    for (const char c : line) {
        if (c == ',') {
            fields.emplace_back();
        } else if (c != ' ' && c != '\t' && c != '\r') {
            fields.back() += c;
        }
    }
    return fields;
}

std::string lower(std::string word) {
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return word;
}

} // namespace

bool readColumns(const std::string& names, Columns& columns, std::string& why) {
    const std::vector<std::string> fields = fieldsOf(names);
    for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
        const std::string name = lower(fields[static_cast<std::size_t>(i)]);
        columns.line = name == "line" ? i : columns.line;
        columns.outcome = name == "outcome" ? i : columns.outcome;
        columns.t = name == "t" ? i : columns.t;
    }
    if (columns.outcome < 0) {
        why = "the answers name no 'outcome' column";
        return false;
    }
    return true;
}

bool readGiven(const std::string& text, const Columns& columns, Given& given, long& line,
               std::string& why) {
    const std::vector<std::string> fields = fieldsOf(text);
    const auto field = [&](int at) {
        return at >= 0 && at < static_cast<int>(fields.size())
                   ? fields[static_cast<std::size_t>(at)]
                   : std::string();
    };
    const std::string outcome = lower(field(columns.outcome));
    const std::map<std::string, Said> words = {
        {"hit", SAID_HIT},       {"miss", SAID_MISS},
        {"inside", SAID_INSIDE}, {"undefined", SAID_UNDEFINED},
        {"true", SAID_TRUE},     {"false", SAID_FALSE},
        {"1", SAID_TRUE},        {"0", SAID_FALSE},
        {"yes", SAID_TRUE},      {"no", SAID_FALSE}};
    if (words.count(outcome) == 0) {
        why = "'" + shownWord(field(columns.outcome)) + "' is not an outcome";
        return false;
    }
    given.said = words.at(outcome);
    const std::string t = field(columns.t);
    given.hasT = !t.empty();
    if (given.hasT && !readOracleNumber(t.data(), t.data() + t.size(), given.t)) {
        why = "'" + shownWord(t) + "' is not a number";
        return false;
    }
    if (columns.line >= 0) {
        const std::string number = field(columns.line);
        char* end = nullptr;
        line = std::strtol(number.c_str(), &end, 10);
        if (number.empty() || *end != '\0' || line < 1) {
            why = "'" + shownWord(number) + "' is not a line number";
            return false;
        }
    }
    given.text = given.said == SAID_HIT && given.hasT ? outcome + " at t = " + t : outcome;
    return true;
}

// Floats as ordered integers: their distance is in units in the last place.
std::int64_t ulpsApart(float a, float b) {
    const auto ordered = [](float v) {
        std::int32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        return bits < 0 ? std::int64_t{INT32_MIN} - bits : std::int64_t{bits};
    };
    return std::abs(ordered(a) - ordered(b));
}

std::string saying(const Answer& answer) {
    return std::string(resultName(answer.result)) +
           (answer.result == RAY_HIT ? " at t = " + shownT(answer.t) : "");
}

bool agrees(const Given& given, const Answer& answer, int insideAs) {
    const bool words = given.said != SAID_TRUE && given.said != SAID_FALSE;
    RayTestResult expected = answer.result;
    if (expected == RAY_INSIDE) {
        expected = static_cast<RayTestResult>(insideAs >= 0 ? insideAs
                                              : words       ? RAY_INSIDE
                                                            : RAY_HIT);
    }
    if (words) {
        return given.said == static_cast<Said>(expected);
    }
    return (given.said == SAID_TRUE) == (expected == RAY_HIT || expected == RAY_INSIDE);
}
