// Words for the ray-box test: the outcome line and a learner's account of each step.
#include "core/explain.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <numeric>
#include <utility>

namespace {

constexpr const char* AXIS_NAMES = "xyz";

std::string axisName(int axis) {
    return {AXIS_NAMES + axis, 1};
}

// "minX", "maxY" and the like.
std::string boundName(bool max, int axis) {
    return (max ? "max" : "min") + std::string(1, static_cast<char>(AXIS_NAMES[axis] - 32));
}

// "[10, 25]": an axis's bounds as the test reads them.
std::string bounds(const float boxMin[3], const float boxMax[3], int axis) {
    return "[" + shortest(boxMin[axis]) + ", " + shortest(boxMax[axis]) + "]";
}

// Where the start lies on one axis, and its candidate plane with its distance, or why none.
std::string axisLine(const RayTestRecord& record, const float boxMin[3], const float boxMax[3],
                     const float origin[3], const float dir[3], int axis) {
    const AxisStep& step = record.axes[axis];
    const std::string name = axisName(axis);
    std::string line = name + ": start " + shortest(origin[axis]);
    if (step.side == SIDE_BETWEEN) {
        return line + " is within " + bounds(boxMin, boxMax, axis) + ": no candidate";
    }
    const bool max = step.side == SIDE_ABOVE_MAX;
    line += std::isnan(origin[axis]) ? " is not a number, which counts as below "
            : max                    ? " is above "
                                     : " is below ";
    line += boundName(max, axis) + " " + shortest(step.candidate);
    if (!step.hasDistance) {
        line += std::isnan(dir[axis]) ? ", but the direction's " + name + " is not a number"
                                      : ", but the ray does not move along " + name;
        line += ": no candidate";
    } else {
        line += ": candidate plane " + name + " = " + shortest(step.candidate) +
                " at t = " + shortest(step.t);
        if (std::isinf(step.t)) {
            line += " (the distance is too large for a float)";
        }
    }
    if (boxMin[axis] > boxMax[axis]) {
        line += " (a crossed box: " + boundName(false, axis) + " lies above " +
                boundName(true, axis) + ", so no start is within on " + name + ")";
    }
    return line;
}

// Which plane the ray enters by, or why there is none.
std::string entryLine(const RayTestRecord& record) {
    const int chosen = record.entryAxis;
    const float t = record.entryT;
    bool anyDistance = false;
    for (const AxisStep& step : record.axes) {
        anyDistance = anyDistance || step.hasDistance;
    }
    if (!anyDistance) {
        return "entry: none, no axis has a candidate plane the ray moves towards";
    }
    if (!(t >= 0.0f)) {
        // The -1 that marks an axis without a candidate is no distance to speak of.
        const float largest =
            record.axes[chosen].hasDistance
                ? t
                : std::accumulate(std::begin(record.axes), std::end(record.axes), -INFINITY,
                                  [](float most, const AxisStep& step) {
                                      return step.hasDistance && step.t > most ? step.t : most;
                                  });
        return "entry: none, the largest t is " + shortest(largest) +
               (std::isnan(largest) ? ", which is not a number"
                                    : ": every candidate plane lies behind the start");
    }
    std::string line = "entry: " + axisName(chosen) + " = " +
                       shortest(record.axes[chosen].candidate) + " at t = " + shortest(t) +
                       ", the largest t";
    // Axes with the same distance lose the tie to the lower axis.
    for (int i = chosen + 1; i < 3; ++i) {
        if (record.axes[i].hasDistance && record.axes[i].t == t) {
            line += "; " + axisName(i) + " has the same t, and " + axisName(chosen) +
                    " comes first, so it wins the tie";
        }
    }
    return line;
}

// The entry point's coordinate on one axis, against that axis's bounds.
std::string checkLine(const RayTestRecord& record, const float boxMin[3], const float boxMax[3],
                      int axis) {
    const AxisStep& step = record.axes[axis];
    std::string line =
        axisName(axis) + " = " + shortest(step.hit) + " at t = " + shortest(record.entryT);
    switch (step.check) {
    case CHECK_WITHIN:
        return line + " is within " + bounds(boxMin, boxMax, axis);
    case CHECK_BELOW_MIN:
        line += std::isnan(step.hit)
                    ? " is not a number"
                    : " is below " + boundName(false, axis) + " " + shortest(boxMin[axis]);
        break;
    case CHECK_ABOVE_MAX:
        line += " is above " + boundName(true, axis) + " " + shortest(boxMax[axis]);
        break;
    default:
        line += " is infinite";
        break;
    }
    return line + ": the ray misses the box";
}

} // namespace

std::string shortest(float value) {
    std::string text;
    appendShortest(text, value);
    return text;
}

void appendShortest(std::string& out, float value) {
#if defined(__cpp_lib_to_chars)
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
#else
    out += shortestByPrintf(value);
#endif
}

// The fewest significant digits that read back as the value, as std::to_chars finds them:
// printf's correctly rounded digits, or where those miss, a neighbour in the last digit
// (the values that read back as a float lie unevenly round it next to a power of two).
// Written like to_chars: fixed unless scientific is shorter.
std::string shortestByPrintf(float value) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    if (std::isinf(value) || value == 0.0f) {
        return std::string(std::signbit(value) ? "-" : "") + (value == 0.0f ? "0" : "inf");
    }
    const double magnitude = std::fabs(static_cast<double>(value));
    // The digits of `count` significant figures that read back as the value, and their
    // exponent, or none.
    const auto readsBack = [&](int count, std::string& digits, int& exponent) {
        char text[48];
        std::snprintf(text, sizeof text, "%.*e", count - 1, magnitude);
        char* e = std::strchr(text, 'e');
        if (std::strtof(text, nullptr) == static_cast<float>(magnitude)) {
            exponent = static_cast<int>(std::strtol(e + 1, nullptr, 10));
            digits.assign(text, static_cast<std::size_t>(e - text));
            digits.erase(1, count > 1 ? 1 : 0);
            return true;
        }
        const int power = static_cast<int>(std::strtol(e + 1, nullptr, 10)) - count + 1;
        *e = '\0';
        std::string rounded = text;
        rounded.erase(1, count > 1 ? 1 : 0);
        const long long mantissa = std::strtoll(rounded.c_str(), nullptr, 10);
        for (const long long candidate : {mantissa - 1, mantissa + 1}) {
            std::snprintf(text, sizeof text, "%llde%d", candidate, power);
            const auto length = static_cast<std::size_t>(std::strchr(text, 'e') - text);
            if (length == static_cast<std::size_t>(count) &&
                std::strtof(text, nullptr) == static_cast<float>(magnitude)) {
                digits.assign(text, length);
                exponent = power + count - 1;
                return true;
            }
        }
        return false;
    };
    // Nine figures always read back; fewer do from some count on.
    int fewest = 1;
    int most = 9;
    std::string digits;
    int exponent = 0;
    while (fewest < most) {
        const int middle = (fewest + most) / 2;
        std::string tried;
        int power = 0;
        if (readsBack(middle, tried, power)) {
            most = middle;
            digits = tried;
            exponent = power;
        } else {
            fewest = middle + 1;
        }
    }
    if (digits.size() != static_cast<std::size_t>(most)) {
        readsBack(most, digits, exponent);
    }
    const int count = static_cast<int>(digits.size());
    char power[16];
    std::snprintf(power, sizeof power, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    const std::string scientific =
        digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "") + power;
    std::string fixed;
    if (exponent >= count - 1) {
        // No digit after the point: every digit before it is the value's own, as exact as
        // any other of that length and nearer.
        char whole[64];
        std::snprintf(whole, sizeof whole, "%.0f", std::fabs(static_cast<double>(value)));
        fixed = whole;
    } else if (exponent >= 0) {
        fixed = digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
                digits.substr(static_cast<std::size_t>(exponent) + 1);
    } else {
        fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    return (value < 0 ? "-" : "") + (fixed.size() <= scientific.size() ? fixed : scientific);
}

std::string outcomeText(const RayTestRecord& record) {
    if (record.result == RAY_INSIDE) {
        return "start point is inside box.";
    }
    if (record.result == RAY_MISS) {
        return "No Intersection";
    }
    if (record.result == RAY_UNDEFINED) {
        return "No exact answer";
    }
    char text[200];
    std::snprintf(text, sizeof text, "Collision at { X = %f; Y = %f; Z = %f }",
                  static_cast<double>(record.hit[0]), static_cast<double>(record.hit[1]),
                  static_cast<double>(record.hit[2]));
    return text;
}

std::vector<Step> stepsOf(const RayTestRecord& record, const float boxMin[3], const float boxMax[3],
                          const float origin[3], const float dir[3], const float* given) {
    std::vector<Step> steps;
    steps.reserve(9);
    if (given != nullptr) {
        // The distances below are along this direction, not along the one typed.
        steps.push_back({STEP_DIRECTION, -1, directionLine(given, dir)});
    }
    for (int axis = 0; axis < 3; ++axis) {
        steps.push_back({STEP_AXIS, axis, axisLine(record, boxMin, boxMax, origin, dir, axis)});
    }
    if (record.result == RAY_INSIDE) {
        steps.push_back({STEP_INSIDE, -1, "inside: the start is within the bounds on every axis"});
    } else {
        steps.push_back({STEP_ENTRY, record.entryAxis, entryLine(record)});
        if (record.entryT == INFINITY) {
            steps.push_back({STEP_TOO_FAR, record.entryAxis,
                             "t = inf: the plane is too far away for a float, so the ray "
                             "never reaches it"});
        }
        for (int axis = 0; axis < 3; ++axis) {
            if (record.axes[axis].check != CHECK_NOT_MADE) {
                steps.push_back({STEP_CHECK, axis, checkLine(record, boxMin, boxMax, axis)});
            }
        }
    }
    steps.push_back({STEP_OUTCOME, -1, outcomeText(record)});
    return steps;
}

std::string directionLine(const float given[2], const float dir[3]) {
    return "direction: (" + shortest(given[0]) + ", " + shortest(given[1]) + ") normalised to (" +
           shortest(dir[0]) + ", " + shortest(dir[1]) + ")";
}

std::vector<std::string> explainSteps(const RayTestRecord& record, const float boxMin[3],
                                      const float boxMax[3], const float origin[3],
                                      const float dir[3], const float* given) {
    return stepTexts(stepsOf(record, boxMin, boxMax, origin, dir, given));
}

std::vector<std::string> stepTexts(std::vector<Step> steps) {
    std::vector<std::string> lines;
    std::transform(steps.begin(), steps.end(), std::back_inserter(lines),
                   [](Step& step) { return std::move(step.text); });
    return lines;
}
