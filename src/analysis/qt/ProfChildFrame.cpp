#include "analysis/qt/ProfChildFrame.h"

#include <QEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>

#include "analysis/qt/ProfView.h"
#include "view2d/Profile.h"
#include "view2d/qt/PlaneView.h"

namespace prof {

namespace {

// Labels without borders in order, with value panes 50 pixels wide at the places given.
std::vector<CStatusBarTop::CPane> Panes(const std::vector<std::wstring>& labels,
                                        std::initializer_list<int> values) {
    std::vector<CStatusBarTop::CPane> panes;
    auto label = labels.begin();
    const int count = static_cast<int>(labels.size() + values.size());
    for (int k = 0; k < count; ++k) {
        if (std::find(values.begin(), values.end(), k) != values.end())
            panes.push_back({QString(), 50, true});
        else
            panes.push_back({QString::fromStdWString(*label++), 0, false});
    }
    return panes;
}

} // namespace

// Titled " : Profile".
CChildFrame::CChildFrame(fw::CDocument* document, QWidget* parent)
    : CPaneChildFrame(document, Panes(ProfileModel::SectorLabels(), {1, 3, 5, 7, 9, 11}),
                      QStringLiteral(" : Profile"), parent) {
    // The extremes' bar under the sector's, hidden while the sector's is shown.
    m_pExtremes = new CStatusBarTop(Panes(ProfileModel::ExtremaLabels(), {2, 4, 7, 9, 11, 13}), widget());
    static_cast<QVBoxLayout*>(widget()->layout())->insertWidget(1, m_pExtremes);
    m_pExtremes->hide();
    m_pView = new CProfView(this);
    SetView(m_pView, true);
    setMinimumSize(kMinSize, kMinSize);
    resize(kWidth, kHeight);
}

CChildFrame::~CChildFrame() {
    // The image window forgets the line and draws without it.
    if (m2D::CPlaneView* plane = m_pView ? m_pView->Plane() : nullptr) {
        plane->Profiles().remove_if([this](const m2D::CProfLine& line) { return line.window == this; });
        plane->Invalidate();
    }
}

CStatusBarTop* CChildFrame::Bar(bool sector) const {
    return sector ? StatusBar() : m_pExtremes;
}

void CChildFrame::ShowSectorBar(bool sector) {
    m_bSector = sector;
    StatusBar()->setVisible(sector);
    m_pExtremes->setVisible(!sector);
}

void CChildFrame::SetPanes(const std::vector<std::wstring>& texts) {
    CStatusBarTop* bar = Bar(m_bSector);
    for (std::size_t k = 0; k < texts.size(); ++k)
        bar->SetPaneText(static_cast<int>(k), QString::fromStdWString(texts[k]));
}

void CChildFrame::OnMDIActivate(bool active) {
    if (!m_pView)
        return;
    if (m2D::CProfLine* line = m_pView->Record()) {
        line->highlight = active ? 1 : 0;
        m_pView->Plane()->Invalidate();
    }
}

void CChildFrame::changeEvent(QEvent* event) {
    CAdvChildFrame::changeEvent(event);
    // The smallest size holds while the frame is not maximised.
    if (event->type() == QEvent::WindowStateChange)
        setMinimumSize(isMaximized() ? 0 : kMinSize, isMaximized() ? 0 : kMinSize);
}

} // namespace prof
