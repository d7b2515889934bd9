#pragma once
// The options of a 2D-type image window: its magnification on both axes with their bounds, and the
// switches of rulers, height bar, smoothing and scaling by dragging. The view reads them at every
// draw; the options page edits them and applies only what changed (the change bits).
#include <functional>
#include <string>

namespace m2D {

// The text of a scale as a whole percentage: "100 %".
std::wstring ScaleText(float scale);

// What the options page changed since it was opened or last applied.
enum ChangeBits : unsigned {
    kWidthChanged = 0x01,
    kHeightChanged = 0x02,
    kAspectChanged = 0x04,
    kDragDropChanged = 0x08,
    kRulersChanged = 0x10,
    kRulerOriginChanged = 0x20,
    kBarOriginChanged = 0x40,
    kPlaneGridChanged = 0x80,
    // second byte
    kHeightBarChanged = 0x02,
    kSmoothingChanged = 0x04,
};

// Status panes the scale texts go to: 1 the horizontal, 2 the vertical.
enum ScalePane : int { kPaneHScale = 1, kPaneVScale = 2 };

class CProperties {
public:
    CProperties() = default;
    virtual ~CProperties() = default;

    // Sets a scale. A value outside the bounds is replaced by the bound it passes and false is
    // returned; with the aspect locked the horizontal scale sets the vertical one too. While the
    // scales are locked nothing changes (false).
    bool SetHScale(float scale);
    bool SetVScale(float scale);
    // New bounds; scales above the new maximum come down to it.
    void SetBounds(float minScale, float maxScale);

    std::wstring m_strWidth = L"100 %";
    std::wstring m_strHeight = L"100 %";
    float m_fHScale = 1.0f;
    float m_fVScale = 1.0f;
    int m_nRulerOrigin = 0; // "0 - upper/left", "0 - by centre", "0 - lower/left"
    int m_nBarOrigin = 1;   // "0 - upper", "0 - by centre", "0 - lower"
    bool m_bLockAspect = true;
    bool m_bDragDrop = true;
    bool m_bSmoothing = true;
    bool m_bPlaneGrid = false;
    bool m_bHeightBar = true;
    bool m_bBarAllowed = true;
    bool m_bRulers = true;
    std::wstring m_strGridStep = L"10 nm";
    float m_fMinScale = 0.01f;
    unsigned m_nMinPercent = 1;
    float m_fMaxScale = 100.0f;
    unsigned m_nMaxPercent = 10000;
    unsigned char m_changed[2] = {0, 0};
    bool m_bUpdatingFromSpin = false;
    bool m_bScalesLocked = false;

    // Told the new text of a scale pane (kPaneHScale, kPaneVScale) whenever a scale is stored.
    std::function<void(int pane, const std::wstring& text)> onScaleText;

private:
    bool Store(float scale, float& value, std::wstring& text, int pane);
};

} // namespace m2D
