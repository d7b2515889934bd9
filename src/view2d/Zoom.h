#pragma once
// The magnification of an image window: the click zoom through a fixed list of scales, the wheel
// zoom in hundredths, horizontal and vertical scales with or without a locked aspect, the quarter
// turns and flips, the bounds of the scale, and the scale a new window opens with. A scale is screen
// pixels per displayed sample.

namespace m2D {

// The 25 scales of the click zoom (screen pixels per sample).
inline constexpr float kZoomSteps[25] = {0.01f, 0.02f, 0.03f, 0.04f, 0.05f, 0.07f, 0.1f,  0.15f, 0.2f,
                                         0.3f,  0.5f,  0.75f, 1.0f,  1.5f,  2.0f,  3.0f,  5.0f,  7.5f,
                                         10.0f, 15.0f, 20.0f, 30.0f, 50.0f, 75.0f, 100.0f};

// The scale rounded to two decimals decides: zooming in gives the first step above it (the last step
// when none is), zooming out the last step below it (the first when none is). So 0.999 zooms in to
// 1.5, and a NaN scale lands on 100 going in and on 0.01 going out.
float ZoomInStep(float scale);
float ZoomOutStep(float scale);

// The wheel: n is the wheel delta in whole notches of 120. Turning towards the user (n <= 0) grows
// the scale by 1 % a notch, turning away shrinks it by 1 % a notch of the scale as it is. From 100
// notches at once the shrinking would reach zero or below; it stops at a hundredth of the scale.
float WheelScale(float scale, int n);
// The n of a wheel delta: whole notches, the rest dropped towards zero.
inline int WheelNotches(int delta) {
    return delta / 120;
}

struct CScales {
    float h = 1.0f, v = 1.0f;
};

// The scales after a click zoom to `entry`. With the aspect locked both become the entry. Otherwise
// v/h is kept: h becomes the entry and v the same multiple of it, unless v would pass maxScale
// zooming in or minScale zooming out; then v is that bound and h follows from the ratio. A current
// pair without a finite positive ratio counts as ratio 1.
CScales ZoomScales(float entry, CScales current, bool lockAspect, float minScale, float maxScale,
                   bool zoomIn);

// A quarter turn of the image: the angle is one of 0, -90, -180, -270. With one flip active the turn
// runs the other way on screen, so the angle goes up by 90 (0 wraps to -270); with none or both it
// goes down by 90 (-270 wraps to 0). Any other angle is first brought into 0..-359 by whole turns.
int TurnAngle(int angle, int hSign, int vSign);

// A flip mirrors the scroll position in the range [min, min + max - page]: 2 * min + max - page - pos,
// clamped to the range; min when the range is empty.
int MirrorScroll(int min, int max, int page, int pos);

// The smallest scale of a window: the image at least 200 pixels both ways. A dimension below one
// sample counts as one.
float MinimumScale(int displayedWidth, int displayedHeight);

// The largest scale. With drag-and-drop scaling the image may grow to the width of the MDI client
// area less the frame's edges, borders, the rulers' left and right margins and, when shown, the
// height bar's 76 pixels; without it, 100. Never below minimumScale. When neither that width nor
// minimumScale gives a finite positive scale (no room, no samples), 1.
float MaximumScale(bool dragDrop, int mdiClientWidth, int edgeWidth, int frameWidth, int rulerLeftRight,
                   bool barShown, int displayedWidth, float minimumScale);

struct CSize {
    int width = 0, height = 0;
};

// The image in screen pixels at scales (h, v), each side rounded half away from zero; a negative or
// NaN side is 0 and a side past the int range is the largest int.
CSize ImageSize(int displayedWidth, int displayedHeight, float h, float v);

// What decides the scale of a new window.
struct CFit {
    // Samples across and down as displayed.
    int displayedWidth = 0, displayedHeight = 0;
    // What a frame adds round the image: ruler margins, borders, status bar.
    int extraWidth = 0, extraHeight = 0;
    // The part of the MDI client area the frame should fit.
    int targetWidth = 0, targetHeight = 0;
};

// kTooNarrow: "width of main frame is too small for display this file".
// kNoScale: "dimension of main frame or surface is wrong".
enum class FitError { kNone, kTooNarrow, kNoScale };

struct CFitResult {
    float scale = 0.0f;
    FitError error = FitError::kNone;
};

// The scale a new window opens with: the frame (the image at that scale plus the extras) fits the
// target and the image is at least 200 pixels both ways. 1 when that holds; otherwise a step of the
// click zoom, or a scale between two steps (see Zoom.cpp for the search). The scale is 0 with an error.
CFitResult InitialScale(const CFit& fit);

} // namespace m2D
