#include "view2d/Ruler.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "framework/fwContract.h"
#include "view3d/glEval.h"

namespace rulers {

namespace {

const char* const kFile = "Ruler";
const char* const kStepSignature = " const float ruler::determine_step(const float base) const;";
constexpr unsigned kAngleRow = 3;
// Lets a float quotient a hair below a whole number of steps count as that number.
constexpr float kEpsilon = 1.1920929e-6f;
// The tenths of one step: four minor ticks, the middle one, four minor ones.
constexpr int kPattern[9] = {3, 3, 3, 3, 5, 3, 3, 3, 3};
constexpr int kMajor = 6;

bool Same(const ph::Size& a, const ph::Size& b) {
    return a.value() == b.value() && a.prefix() == b.prefix() && a.dimension() == b.dimension();
}

// The value of q in the prefix of the span.
float In(const ph::Size& q, const ph::Size& span) {
    ph::Size copy = q;
    return static_cast<float>(copy.convert(span.prefix()).value());
}

float StepFor(float base, float upp, float minPx, float maxPx) {
    float g = base / upp; // the base in pixels
    // An axis of no extent (or none at all) has no step; without this the loop below never ends.
    if (!(std::isfinite(g) && g > 0.0f))
        fw::ThrowInvalidArgument(kFile, kStepSignature, " base is wrong.");
    while (g > maxPx)
        g *= 0.1f;
    const float step = upp * g;
    if (g > minPx)
        return step;
    if (minPx <= 5.0f * g && 5.0f * g <= maxPx)
        return 5.0f * step;
    if (minPx <= 2.0f * g && 2.0f * g <= maxPx)
        return 2.0f * step;
    fw::ThrowInvalidArgument(kFile, kStepSignature, " base is wrong.");
}

} // namespace

bool ruler::set_range(const ph::Size& length) {
    return set_range(length * 0.0, length, m_length);
}

bool ruler::set_range(const ph::Size& start, const ph::Size& end, float length) {
    if ((Same(start, m_start) && Same(end, m_end)) || !(length >= 40.0f))
        return false;
    const ph::Size span = end - start;
    const float base = best_round(std::max(std::fabs(In(start, span)), std::fabs(In(end, span))));
    const CStep step = choose_step(span.value(), base, length, 40.0f, 100.0f);
    m_length = length;
    m_span = span;
    m_start = start;
    m_end = end;
    m_base = base;
    m_upp = step.upp;
    m_step = step.step;
    m_decimals = step.decimals;
    build_ticks();
    return true;
}

void ruler::set_length(float length, float minPx, float maxPx) {
    if (m_step == 0.0f) { // no range yet: kept for set_range(length)
        m_length = length;
        return;
    }
    const CStep step = choose_step(m_span.value(), m_base, length, minPx, maxPx);
    m_length = length;
    m_upp = step.upp;
    if (step.step == m_step) {
        place_ticks();
        return;
    }
    m_step = step.step;
    m_decimals = step.decimals;
    build_ticks();
}

void ruler::set_kind(Kind kind) {
    const bool wasCentred = centred();
    m_kind = kind;
    if (wasCentred != centred() && m_step != 0.0f)
        build_ticks();
}

void ruler::clear() {
    m_span = m_start = m_end = ph::Size();
    m_ticks.clear();
    m_base = m_step = m_upp = 0.0f;
    m_decimals = 0;
}

bool ruler::reset(const ph::Size& extent, float length, bool print) {
    if (length >= 40.0f) {
        try {
            set_range(extent * 0.0, extent, length);
            set_length(length, print ? 120.0f : 40.0f, print ? 300.0f : 100.0f);
            return true;
        } catch (const std::logic_error&) { // the contract errors, invalid argument or out of range
        }
    }
    clear();
    return false;
}

float ruler::best_round(const float val) const {
    const char* const signature = " const int ruler::best_round(const float val) const;";
    if (val >= 1.0f) {
        if (std::trunc(val) < 10.0f)
            return 1.0f;
        if (std::trunc(val * 0.1f) < 10.0f)
            return 10.0f;
        if (std::trunc(val * 0.01f) < 10.0f)
            return 100.0f;
        fw::ThrowInvalidArgument(kFile, signature, " val is too large.");
    }
    if (std::trunc(val * 10.0f) > 0.0f)
        return 0.1f;
    if (std::trunc(val * 100.0f) > 0.0f)
        return 0.01f;
    fw::ThrowInvalidArgument(kFile, signature, " val is too small.");
}

float ruler::determine_step(const float base, float minPx, float maxPx) const {
    return StepFor(base, m_upp, minPx, maxPx);
}

int ruler::decimals_of(float step) {
    const float a = std::fabs(step);
    if (gl::fround(a, 3) < 0.01f)
        return 3;
    if (gl::fround(a, 2) < 0.1f)
        return 2;
    if (gl::fround(a, 1) < 1.0f)
        return 1;
    return 0;
}

void ruler::format_label(float value, int decimals, bool degrees, char (&text)[8]) {
    // Labels read the same in every locale: printf would write a decimal comma under some of them.
    char wide[64];
    const auto fixed = [&wide](double v, int places) {
        *std::to_chars(wide, wide + sizeof wide - 1, v, std::chars_format::fixed, places).ptr = '\0';
    };
    const bool whole = value == std::trunc(value);
    if (std::fabs(value) < 0.0005f) {
        std::snprintf(wide, sizeof wide, "0");
    } else if (decimals == 0) {
        fixed(value, 0);
    } else if (whole) {
        fixed(value, 1);
    } else if (decimals != 3 || std::trunc(value) != 0.0f) {
        fixed(value, decimals);
    } else {
        const int r = static_cast<int>(gl::fround(value * 1000.0f, 0));
        std::snprintf(wide, sizeof wide, r > 0 ? ".%03d" : "-.%03d", r > 0 ? r : -r);
    }
    if (degrees)
        std::strncat(wide, "\xB0", sizeof wide - std::strlen(wide) - 1);
    const std::size_t n = std::min(std::strlen(wide), sizeof text - 1);
    std::memcpy(text, wide, n);
    text[n] = '\0';
}

void ruler::fill_rest(const unsigned rest) {
    if (rest < 1 || rest > (centred() ? 19u : 9u))
        fw::ThrowInvalidArgument(kFile, " void ruler::fill_rest(const unsigned rest);",
                                 " value rest isn't lie in range: 1 - 9.");
    // A centred ruler shares the rest between its two sides.
    const unsigned count = centred() ? rest / 2 : rest;
    for (unsigned m = 0; m < count; ++m) {
        push(kPattern[m], 0.0f, false);
        if (centred())
            push(kPattern[m], 0.0f, false);
    }
}

ruler::CStep ruler::choose_step(double spanValue, float base, float length, float minPx, float maxPx) const {
    const float upp = static_cast<float>(std::fabs(spanValue) / length);
    const float raw = StepFor(base, upp, minPx, maxPx);
    const int decimals = decimals_of(raw);
    const float step = gl::fround(raw, decimals);
    // A step below 0.0005 rounds to nothing at three decimals.
    if (!(step > 0.0f))
        fw::ThrowInvalidArgument(kFile, kStepSignature, " base is wrong.");
    return {upp, spanValue < 0.0 ? -step : step, decimals};
}

void ruler::build_ticks() {
    try {
        m_ticks.clear();
        const float start = In(m_start, m_span);
        push(kMajor, start, true);
        const float counted = std::fabs(static_cast<float>(m_span.value() / m_step)) + kEpsilon;
        unsigned n = static_cast<unsigned>(counted);
        if (centred())
            n -= n % 2;
        const unsigned labels = centred() ? n / 2 : n;
        for (unsigned i = 1; i <= labels; ++i) {
            for (int length : kPattern) {
                push(length, 0.0f, false);
                if (centred())
                    push(length, 0.0f, false);
            }
            push(kMajor, start + static_cast<float>(i) * m_step, true);
            if (centred())
                push(kMajor, start - static_cast<float>(i) * m_step, true);
        }
        const unsigned rest = static_cast<unsigned>((counted - static_cast<float>(n)) * 10.0f);
        if (rest != 0)
            fill_rest(rest);
        place_ticks();
    } catch (...) {
        clear();
        throw;
    }
}

// Every item is a tenth of a step beyond the one before; on a centred ruler the items come in
// pairs, the first of each on the positive side.
void ruler::place_ticks() {
    const float tenth = 0.1f * std::fabs(m_step);
    for (std::size_t k = 1; k < m_ticks.size(); ++k) {
        if (centred()) {
            const float d = static_cast<float>((k + 1) / 2) * tenth;
            m_ticks[k].position = k % 2 ? d : -d;
        } else {
            m_ticks[k].position = static_cast<float>(k) * tenth;
        }
    }
}

void ruler::push(int length, float value, bool label) {
    CTick tick{0.0f, length, {}};
    if (label)
        format_label(value, m_decimals, m_span.dimension() == kAngleRow, tick.text);
    m_ticks.push_back(tick);
}

} // namespace rulers
