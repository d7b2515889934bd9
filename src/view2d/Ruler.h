#pragma once
// One axis of an image labelled with round physical values: a step of 1, 2 or 5 times a power of
// ten that puts the labelled ticks 40..100 pixels apart (120..300 when printing), split in tenths.
#include <deque>

#include "model/phSize.h"
#include "view2d/RulerLayout.h"

namespace rulers {

// Position from the start in the span's unit (negative on the left or lower side of a centred
// ruler), length in pixels (3 minor, 5 middle, 6 labelled) and the label, empty on unlabelled ticks.
struct CTick {
    float position;
    int length;
    char text[8];
};
static_assert(sizeof(CTick) == 16, "a tick is 16 bytes");

class ruler {
public:
    virtual ~ruler() = default;

    // From 0 to length over the current pixel length.
    virtual bool set_range(const ph::Size& length);
    // False, with nothing changed, when start and end are as before or the axis is below 40 pixels.
    // When no step fits, throws the errors of best_round and determine_step with nothing changed.
    virtual bool set_range(const ph::Size& start, const ph::Size& end, float length);
    // A new pixel length and tick spacing; the ticks are rebuilt only when the step changes.
    virtual void set_length(float length, float minPx, float maxPx);

    // Ticks are rebuilt when the kind switches between ordinary and centred.
    void set_kind(Kind kind);
    // Where the axis start lies from the start of the area the ruler is drawn along, in pixels
    // (negative when scrolled away).
    void set_offset(float offset) { m_offset = offset; }
    // No range and no ticks; the next set_range builds again.
    void clear();
    // From 0 to extent over length pixels with the spacing of the screen (40..100) or of a print
    // (120..300). Safe to call while painting: an axis below 40 pixels or one that no step fits
    // leaves the ruler empty, and false is returned.
    bool reset(const ph::Size& extent, float length, bool print);

    // 1, 10 or 100 for val in 1..999, 0.1 or 0.01 below 1.
    float best_round(const float val) const;
    // The unrounded step for a base with the current units per pixel.
    float determine_step(const float base, float minPx = 40.0f, float maxPx = 100.0f) const;
    // How many decimals the labels of a step need (0..3).
    static int decimals_of(float step);
    // "0", "%0.0f", "%0.1f" for whole numbers, ".250" style below 1 with 3 decimals; a degree sign
    // (0xB0) appended on angle axes. At most 7 characters.
    static void format_label(float value, int decimals, bool degrees, char (&text)[8]);

    float length() const { return m_length; }
    const ph::Size& span() const { return m_span; }
    const ph::Size& start() const { return m_start; }
    const ph::Size& end() const { return m_end; }
    float base() const { return m_base; }
    const std::deque<CTick>& ticks() const { return m_ticks; }
    Kind kind() const { return m_kind; }
    float offset() const { return m_offset; }
    float step() const { return m_step; }
    float units_per_pixel() const { return m_upp; }
    int decimals() const { return m_decimals; }
    bool centred() const { return m_kind == kCentreAbove || m_kind == kCentreBelow; }
    // Pixels from the area's start to the tick position, along the axis.
    float pixels_to(float position) const {
        return m_offset + (centred() ? m_length * 0.5f : 0.0f) + position / m_upp;
    }

protected:
    void fill_rest(const unsigned rest);
    // Whether a tick `along` pixels into an area of `extent` pixels lies in it; a hundredth of a pixel
    // over is float noise on a tick that ends the axis, and still drawn.
    static bool within(float along, float extent) { return along >= -0.01f && along <= extent + 0.01f; }

private:
    struct CStep {
        float upp, step;
        int decimals;
    };
    CStep choose_step(double spanValue, float base, float length, float minPx, float maxPx) const;
    void build_ticks();
    void place_ticks();
    void push(int length, float value, bool label);

    float m_length = 0.0f;
    ph::Size m_span;
    ph::Size m_start;
    ph::Size m_end;
    float m_base = 0.0f;
    std::deque<CTick> m_ticks;
    Kind m_kind = kUpperLeft;
    float m_offset = 0.0f;
    float m_step = 0.0f;
    float m_upp = 0.0f;
    int m_decimals = 0;
};

} // namespace rulers
