// The slab test exactly as its formula is written, in float, and its common variants, each
// operation rounded as its arithmetic rounds it; the record of how it ran; their names.
#include "core/slab.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// fmin and fmax as IEEE 754 now defines minimumNumber and maximumNumber: a NaN argument is
// dropped, and -0 counts below +0, so that the result never depends on the library's choice
// between two zeros.
template <typename Real> Real lowerOf(Real a, Real b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) ? b : a;
    }
    return a < b || (a == b && std::signbit(a)) ? a : b;
}
template <typename Real> Real higherOf(Real a, Real b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) ? b : a;
    }
    return a > b || (a == b && !std::signbit(a)) ? a : b;
}

// The slab test in float or double arithmetic, as the variant writes it.
template <typename Real>
RayTestResult slabIn(const float boxMin[3], const float boxMax[3], const float origin[3],
                     const float dir[3], const SlabVariant& variant, SlabTestRecord& record) {
    constexpr Real INF = std::numeric_limits<Real>::infinity();
    // 1 + 2 gamma(3), gamma(3) = 3u / (1 - 3u), with the arithmetic's unit roundoff u.
    constexpr Real U = std::numeric_limits<Real>::epsilon() / 2;
    const Real widen = 1 + 2 * (3 * U / (1 - 3 * U));
    const bool ternary = variant.form == SLAB_TERNARY;
    Real tnear = -INF;
    Real tfar = INF;
    for (int i = 0; i < 3; ++i) {
        const Real o = origin[i];
        const Real d = dir[i];
        const Real inverse = Real(1) / d;
        const auto along = [&](Real plane) {
            return variant.divide ? (plane - o) / d : (plane - o) * inverse;
        };
        const Real t1 = along(boxMin[i]);
        const Real t2 = along(boxMax[i]);
        if (variant.form == SLAB_SIGN) {
            // The near plane is min where the sign bit is clear, else max.
            const bool negative = std::signbit(variant.divide ? d : inverse);
            const Real tn = negative ? t2 : t1;
            Real tf = negative ? t1 : t2;
            tf = variant.robust ? tf * widen : tf;
            tnear = (tn > tnear) ? tn : tnear;
            tfar = (tf < tfar) ? tf : tfar;
        } else {
            // std::min(a, b) is (b < a) ? b : a, std::max(a, b) is (a < b) ? b : a.
            const Real near = ternary ? ((t2 < t1) ? t2 : t1) : lowerOf(t1, t2);
            Real far = ternary ? ((t1 < t2) ? t2 : t1) : higherOf(t1, t2);
            far = variant.robust ? far * widen : far;
            tnear = ternary ? ((tnear < near) ? near : tnear) : higherOf(tnear, near);
            tfar = ternary ? ((far < tfar) ? far : tfar) : lowerOf(tfar, far);
        }
        record.axes[i] = {static_cast<double>(inverse), static_cast<double>(t1),
                          static_cast<double>(t2), static_cast<double>(tnear),
                          static_cast<double>(tfar)};
    }
    record.tnear = tnear;
    record.tfar = tfar;
    const bool overlap = variant.strict ? tnear < tfar : tnear <= tfar;
    if (!(overlap && tfar >= 0 && tnear < INF)) {
        return record.result = RAY_MISS;
    }
    if (tnear < 0) {
        return record.result = RAY_INSIDE;
    }
    record.t = static_cast<float>(tnear);
    for (int i = 0; i < 3; ++i) {
        record.hit[i] =
            static_cast<float>(static_cast<double>(origin[i]) +
                               static_cast<double>(tnear) * static_cast<double>(dir[i]));
    }
    return record.result = RAY_HIT;
}

// The modifiers in the order a name gives them.
constexpr const char* MODIFIERS[] = {"double", "div", "ternary", "sign", "strict", "robust"};

} // namespace

bool operator==(const SlabVariant& a, const SlabVariant& b) {
    return a.inDouble == b.inDouble && a.divide == b.divide && a.form == b.form &&
           a.strict == b.strict && a.robust == b.robust;
}

std::string variantName(const SlabVariant& variant) {
    const bool given[] = {variant.inDouble,          variant.divide, variant.form == SLAB_TERNARY,
                          variant.form == SLAB_SIGN, variant.strict, variant.robust};
    std::string name = "slab";
    for (int i = 0; i < 6; ++i) {
        name += given[i] ? std::string("+") + MODIFIERS[i] : "";
    }
    return name;
}

bool parseVariant(const std::string& name, SlabVariant& variant) {
    const std::vector<SlabVariant> all = allVariants();
    const auto found = std::find_if(
        all.begin(), all.end(), [&](const SlabVariant& each) { return variantName(each) == name; });
    if (found == all.end()) {
        return false;
    }
    variant = *found;
    return true;
}

std::vector<SlabVariant> allVariants() {
    // In the order of their names: each modifier's bit, robust lowest, the min-max form a
    // digit of three.
    constexpr SlabMinMax FORMS[] = {SLAB_FMINMAX, SLAB_TERNARY, SLAB_SIGN};
    std::vector<SlabVariant> all;
    all.reserve(48);
    for (int i = 0; i < 48; ++i) {
        all.push_back(
            {i / 24 % 2 == 1, i / 12 % 2 == 1, FORMS[i / 4 % 3], i / 2 % 2 == 1, i % 2 == 1});
    }
    return all;
}

RayTestResult slabIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                            const float dir[3], SlabTestRecord& record,
                            const SlabVariant& variant) {
    record = SlabTestRecord{};
    record.variant = variant;
    return variant.inDouble ? slabIn<double>(boxMin, boxMax, origin, dir, variant, record)
                            : slabIn<float>(boxMin, boxMax, origin, dir, variant, record);
}
