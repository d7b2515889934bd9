#pragma once
// The profile lines of an image view: one per profile window opened from it, drawn over the image.
#include <QPointer>
#include <QWidget>
#include <cfloat>
#include <list>

namespace m2D {

// A point of a profile line, in fractions of the surface's width and height from its first sample.
struct CProfPoint {
    float x = FLT_MAX;
    float y = FLT_MAX;
    bool IsSet() const { return x != FLT_MAX && y != FLT_MAX; }
};

struct CProfLine {
    QPointer<QWidget> window; // the profile window; null while the line is being drawn
    CProfPoint start;
    CProfPoint end;      // unset while the line is being drawn
    CProfPoint cutStart; // the cut sector, when the profile window marks one
    CProfPoint cutEnd;
    unsigned char highlight = 0;
};

using CProfCont = std::list<CProfLine>;

} // namespace m2D
