#include "view2d/qt/OptionsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <cwchar>

#include "view2d/ViewOptions.h"
#include "view2d/qt/PlaneChildFrame.h"
#include "view2d/qt/PlaneView.h"
#include "view2d/qt/VRView.h"
#include "view3d/qt/OptionsSheet.h"
#include "view3d/qt/glLight.h"

namespace m2D {

namespace {

// The whole percentage a scale text ("250 %") begins with.
int Percent(const std::wstring& text) {
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

QSpinBox* PercentSpin(QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setSuffix(QStringLiteral(" %"));
    spin->setAccelerated(true);
    return spin;
}

QComboBox* Choices(QWidget* parent, std::initializer_list<const char*> texts) {
    auto* list = new QComboBox(parent);
    for (const char* text : texts)
        list->addItem(QString::fromUtf8(text));
    return list;
}

} // namespace

COptionsPage::COptionsPage(CPlaneView& view, Kind kind, QWidget* parent)
    : QWidget(parent), m_view(view), m_kind(kind) {
    setWindowTitle(kind == k2D ? QStringLiteral("2D View") : QStringLiteral("Bump View"));
    // The bounds of the scales as the window stands now.
    m_view.UpdateScaleBounds();
    CProperties& props = Props();
    auto* layout = new QGridLayout(this);

    auto* scale = new QGroupBox(QStringLiteral(" Scale "), this);
    auto* sl = new QGridLayout(scale);
    m_width = PercentSpin(scale);
    m_height = PercentSpin(scale);
    auto* widthLabel = new QLabel(QStringLiteral("Wi&dth:"), scale);
    auto* heightLabel = new QLabel(QStringLiteral("&Height:"), scale);
    widthLabel->setBuddy(m_width);
    heightLabel->setBuddy(m_height);
    m_lock = new QCheckBox(QStringLiteral("Lock &aspect ratio"), scale);
    m_dragDrop = new QCheckBox(QStringLiteral("Drag and drop scaling"), scale);
    sl->addWidget(widthLabel, 0, 0);
    sl->addWidget(m_width, 0, 1);
    sl->addWidget(heightLabel, 1, 0);
    sl->addWidget(m_height, 1, 1);
    sl->addWidget(m_lock, 2, 0, 1, 2);
    sl->addWidget(m_dragDrop, 3, 0, 1, 2);
    layout->addWidget(scale, 0, 0, 2, 1);

    auto* marks = new QGroupBox(this);
    auto* ml = new QGridLayout(marks);
    m_rulers = new QCheckBox(QStringLiteral("Rulers"), marks);
    m_rulerOrigin = Choices(marks, {"0 - upper/left", "0 - by centre", "0 - lower/left"});
    ml->addWidget(m_rulers, 0, 0, 1, 2);
    ml->addWidget(new QLabel(QStringLiteral("Surface:"), marks), 1, 0);
    ml->addWidget(m_rulerOrigin, 1, 1);
    if (kind == k2D) {
        m_barOrigin = Choices(marks, {"0 - upper", "0 - by centre", "0 - lower"});
        ml->addWidget(new QLabel(QStringLiteral("Height Bar:"), marks), 2, 0);
        ml->addWidget(m_barOrigin, 2, 1);
    }
    layout->addWidget(marks, 0, 1);

    // The grids are offered and draw nothing.
    auto* grids = new QGridLayout;
    m_grid = new QCheckBox(QStringLiteral("Plane Grid"), this);
    auto* gridStep = new QLineEdit(QString::fromStdWString(props.m_strGridStep), this);
    grids->addWidget(m_grid, 0, 0);
    grids->addWidget(gridStep, 0, 1);
    QList<QWidget*> off = {m_grid, gridStep};
    if (kind == k2D) {
        auto* heightGrid = new QCheckBox(QStringLiteral("Height Grid"), this);
        auto* heightStep = new QLineEdit(this);
        grids->addWidget(heightGrid, 1, 0);
        grids->addWidget(heightStep, 1, 1);
        off << heightGrid << heightStep;
        m_heightBar = new QCheckBox(QStringLiteral("Height Bar"), this);
        grids->addWidget(m_heightBar, 2, 0);
    } else {
        // The relief is shaded; its other modes and the B-spline approximation are offered disabled.
        auto* mode = new QGroupBox(QStringLiteral("Mode"), this);
        auto* mo = new QGridLayout(mode);
        auto* shaded = new QRadioButton(QStringLiteral("Shaded"), mode);
        shaded->setChecked(true);
        auto* mixed = new QRadioButton(QStringLiteral("Mixed"), mode);
        auto* modes = new QComboBox(mode);
        mo->addWidget(shaded, 0, 0);
        mo->addWidget(mixed, 1, 0);
        mo->addWidget(modes, 1, 1);
        auto* spline = new QCheckBox(QStringLiteral("B-spline approximation of "), this);
        auto* degree = new QSpinBox(this);
        degree->setRange(0, 7);
        degree->setValue(3);
        grids->addWidget(mode, 1, 0, 1, 2);
        grids->addWidget(spline, 2, 0);
        grids->addWidget(degree, 2, 1);
        grids->addWidget(new QLabel(QStringLiteral("degree"), this), 2, 2);
        off << mixed << modes << spline << degree;
    }
    for (QWidget* w : off)
        w->setEnabled(false);
    m_smoothing = new QCheckBox(QStringLiteral("Smoothing"), this);
    grids->addWidget(m_smoothing, 3, 0);
    layout->addLayout(grids, 1, 1);

    // The stored options.
    for (QSpinBox* spin : {m_width, m_height})
        spin->setRange(static_cast<int>(props.m_nMinPercent), static_cast<int>(props.m_nMaxPercent));
    m_width->setValue(Percent(props.m_strWidth));
    m_height->setValue(Percent(props.m_strHeight));
    m_lock->setChecked(props.m_bLockAspect);
    m_dragDrop->setChecked(props.m_bDragDrop);
    m_rulers->setChecked(props.m_bRulers);
    m_rulerOrigin->setCurrentIndex(props.m_nRulerOrigin);
    if (m_heightBar) {
        m_heightBar->setChecked(props.m_bHeightBar);
        m_barOrigin->setCurrentIndex(props.m_nBarOrigin);
    }
    m_smoothing->setChecked(props.m_bSmoothing);
    m_grid->setChecked(props.m_bPlaneGrid);
    props.m_changed[0] = props.m_changed[1] = 0;
    Enable();

    // With the aspect locked the height follows the width.
    connect(m_width, qOverload<int>(&QSpinBox::valueChanged), this, [this](int value) {
        if (m_lock->isChecked())
            m_height->setValue(value);
        UpdateBits();
    });
    connect(m_height, qOverload<int>(&QSpinBox::valueChanged), this, [this] { UpdateBits(); });
    connect(m_lock, &QCheckBox::toggled, this, [this](bool locked) {
        if (locked)
            m_height->setValue(m_width->value());
        Enable();
        UpdateBits();
    });
    for (QCheckBox* box : {m_dragDrop, m_rulers, m_smoothing})
        connect(box, &QCheckBox::toggled, this, [this] {
            Enable();
            UpdateBits();
        });
    connect(m_rulerOrigin, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { UpdateBits(); });
    if (m_heightBar) {
        connect(m_heightBar, &QCheckBox::toggled, this, [this] {
            Enable();
            UpdateBits();
        });
        connect(m_barOrigin, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { UpdateBits(); });
    }
}

CProperties& COptionsPage::Props() const {
    return m_view.Model().Props();
}

void COptionsPage::Enable() {
    const CProperties& props = Props();
    m_height->setEnabled(!m_lock->isChecked());
    m_rulerOrigin->setEnabled(m_rulers->isChecked());
    if (m_heightBar) {
        m_heightBar->setEnabled(props.m_bBarAllowed);
        m_barOrigin->setEnabled(props.m_bBarAllowed && m_heightBar->isChecked());
    }
}

void COptionsPage::SetBit(int byte, unsigned bit, bool on) {
    unsigned char& bits = Props().m_changed[byte];
    bits = static_cast<unsigned char>(on ? bits | bit : bits & ~bit);
}

void COptionsPage::UpdateBits() {
    const CProperties& props = Props();
    SetBit(0, kWidthChanged, m_width->value() != Percent(props.m_strWidth));
    SetBit(0, kHeightChanged, m_height->value() != Percent(props.m_strHeight));
    SetBit(0, kAspectChanged, m_lock->isChecked() != props.m_bLockAspect);
    SetBit(0, kDragDropChanged, m_dragDrop->isChecked() != props.m_bDragDrop);
    SetBit(0, kRulersChanged, m_rulers->isChecked() != props.m_bRulers);
    SetBit(0, kRulerOriginChanged, m_rulerOrigin->currentIndex() != props.m_nRulerOrigin);
    if (m_heightBar) {
        SetBit(0, kBarOriginChanged, m_barOrigin->currentIndex() != props.m_nBarOrigin);
        SetBit(1, kHeightBarChanged, m_heightBar->isChecked() != props.m_bHeightBar);
    }
    SetBit(1, kSmoothingChanged, m_smoothing->isChecked() != props.m_bSmoothing);
}

void COptionsPage::Discard() {
    Props().m_changed[0] = Props().m_changed[1] = 0;
}

bool COptionsPage::IsModified() const {
    const CProperties& props = Props();
    return props.m_changed[0] != 0 || props.m_changed[1] != 0;
}

void COptionsPage::Apply() {
    UpdateBits();
    CProperties& props = Props();
    const unsigned char first = props.m_changed[0], second = props.m_changed[1];
    CPlaneChildFrame* frame = m_view.Frame();
    if (first & kAspectChanged)
        props.m_bLockAspect = m_lock->isChecked();
    // The scales, each bounded, with their panes.
    if (first & kWidthChanged)
        props.SetHScale(static_cast<float>(m_width->value()) * 0.01f);
    if (first & kHeightChanged || (first & kWidthChanged && props.m_bLockAspect))
        props.SetVScale(static_cast<float>(m_height->value()) * 0.01f);
    if (second & kHeightBarChanged && frame)
        frame->ShowHeightBar(m_heightBar->isChecked());
    if (first & kRulerOriginChanged) {
        props.m_nRulerOrigin = m_rulerOrigin->currentIndex();
        m_view.Model().SetRulerPlacement(props.m_nRulerOrigin);
        m_view.ApplyLayout();
    }
    if (first & kRulersChanged && frame)
        frame->ShowRulers(m_rulers->isChecked());
    if (first & kDragDropChanged) {
        props.m_bDragDrop = m_dragDrop->isChecked();
        m_view.UpdateScaleBounds();
        m_view.ApplyLayout();
        if (!props.m_bDragDrop) {
            m_view.OnHScroll(gl::Scroll::Top);
            m_view.OnVScroll(gl::Scroll::Top);
        }
    }
    if (second & kSmoothingChanged) {
        props.m_bSmoothing = m_smoothing->isChecked();
        m_view.SetSmoothing(props.m_bSmoothing);
    }
    if (first & kBarOriginChanged) {
        props.m_nBarOrigin = m_barOrigin->currentIndex();
        if (frame && frame->BarView())
            frame->BarView()->UpdateBar();
    }
    // The frame round the drawing, then everything drawn again.
    m_view.ApplyLayout();
    if (frame) {
        if (props.m_bDragDrop)
            frame->FitToImage();
        frame->OnScalesChanged();
        if (frame->BarView())
            frame->BarView()->Invalidate();
    }
    m_view.WriteSizePanes();
    m_view.Invalidate();
    props.m_changed[0] = props.m_changed[1] = 0;
    // The spins show what was applied (a bound may have lowered it).
    m_width->blockSignals(true);
    m_height->blockSignals(true);
    m_width->setValue(Percent(props.m_strWidth));
    m_height->setValue(Percent(props.m_strHeight));
    m_width->blockSignals(false);
    m_height->blockSignals(false);
}

std::unique_ptr<QDialog> MakeOptionsSheet(CPlaneView& view, COptionsPage::Kind kind) {
    // The page, once the sheet has made it.
    auto page = std::make_shared<COptionsPage*>(nullptr);
    return gl::MakeOptionsSheet(
        &view,
        [&](QWidget* tabs) {
            *page = new COptionsPage(view, kind, tabs);
            std::vector<QWidget*> pages{*page};
            if (kind == COptionsPage::kBump)
                pages.insert(pages.end(), {new gl::CLight(tabs), new gl::CMaterial(tabs)});
            return pages;
        },
        [page] { (*page)->Apply(); }, [page] { (*page)->Discard(); });
}

} // namespace m2D
