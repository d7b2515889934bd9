#include "view2d/ViewOptions.h"

#include <cmath>
#include <cwchar>

namespace m2D {

std::wstring ScaleText(float scale) {
    wchar_t text[32];
    const double percent = std::round(static_cast<double>(scale) * 100.0);
    std::swprintf(text, 32, L"%u %ls", static_cast<unsigned>(percent > 0.0 ? percent : 0.0), L"%");
    return text;
}

bool CProperties::Store(float scale, float& value, std::wstring& text, int pane) {
    bool inside = true;
    if (!(scale >= m_fMinScale)) { // NaN too
        scale = m_fMinScale;
        inside = false;
    } else if (scale > m_fMaxScale) {
        scale = m_fMaxScale;
        inside = false;
    }
    value = scale;
    text = ScaleText(scale);
    if (onScaleText)
        onScaleText(pane, text);
    return inside;
}

bool CProperties::SetHScale(float scale) {
    if (m_bScalesLocked)
        return false;
    const bool inside = Store(scale, m_fHScale, m_strWidth, kPaneHScale);
    if (m_bLockAspect)
        Store(m_fHScale, m_fVScale, m_strHeight, kPaneVScale);
    return inside;
}

bool CProperties::SetVScale(float scale) {
    if (m_bScalesLocked)
        return false;
    return Store(scale, m_fVScale, m_strHeight, kPaneVScale);
}

void CProperties::SetBounds(float minScale, float maxScale) {
    if (!(minScale > 0.0f) || !std::isfinite(minScale))
        minScale = 0.01f;
    if (!(maxScale >= minScale) || !std::isfinite(maxScale))
        maxScale = minScale;
    m_fMinScale = minScale;
    m_fMaxScale = maxScale;
    m_nMinPercent = static_cast<unsigned>(std::lround(minScale * 100.0));
    m_nMaxPercent = static_cast<unsigned>(std::lround(maxScale * 100.0));
    const bool locked = m_bScalesLocked;
    m_bScalesLocked = false;
    if (m_fHScale > maxScale)
        Store(maxScale, m_fHScale, m_strWidth, kPaneHScale);
    if (m_fVScale > maxScale)
        Store(maxScale, m_fVScale, m_strHeight, kPaneVScale);
    m_bScalesLocked = locked;
}

} // namespace m2D
