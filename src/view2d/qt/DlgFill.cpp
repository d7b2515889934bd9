#include "view2d/qt/DlgFill.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QVBoxLayout>

#include "view2d/qt/CtrlBar.h"
#include "view2d/qt/CtrlButton.h"
#include "view2d/qt/GangSwitch.h"

namespace color {

namespace {

// A vertical slider whose style option is readable, to measure its thumb.
class CTrackBar : public QSlider {
public:
    explicit CTrackBar(QWidget* parent) : QSlider(Qt::Vertical, parent) {}

    // Half the thumb's length over the groove's, or 0 while the slider has no real size.
    float HalfThumb() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect groove =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
        const QRect thumb =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        if (thumb.height() <= 0 || groove.height() <= thumb.height())
            return 0.0f;
        return static_cast<float>(thumb.height()) / (2.0f * static_cast<float>(groove.height()));
    }
};

} // namespace

CDlgFill::CDlgFill(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Color"));

    m_pChooser = new QColorDialog(this);
    m_pChooser->setWindowFlags(Qt::Widget);
    m_pChooser->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
    // Left alone, the chooser would close itself on Escape or Enter as the dialog it also is.
    m_pChooser->installEventFilter(this);

    m_pBar = new CCtrlBar(this);
    m_pGang = new CGangSwitch(this);
    auto* slotColumn = new QVBoxLayout;
    for (unsigned slot = CCustomFill::kTop; slot <= CCustomFill::kBottom; ++slot) {
        m_pSlots[slot] = new CCtrlButton(this);
        m_pGang->Add(m_pSlots[slot]);
        if (slot != CCustomFill::kTop)
            slotColumn->addStretch();
        slotColumn->addWidget(m_pSlots[slot]);
    }

    m_pSlider = new CTrackBar(this);
    // Position 0 at the top, as the trackbar it stands for; keys and wheel move the thumb their way.
    m_pSlider->setInvertedAppearance(true);
    m_pSlider->setInvertedControls(true);
    m_pSlider->setRange(0, 1000);
    m_pSlider->setSingleStep(1);
    m_pSlider->setPageStep(200);

    auto* barRow = new QHBoxLayout;
    barRow->addLayout(slotColumn);
    barRow->addWidget(m_pBar);
    barRow->addWidget(m_pSlider);

    auto* group = new QGroupBox(QStringLiteral("Interpolation by:"), this);
    m_pTwo = new QRadioButton(QStringLiteral("2 colors"), group);
    m_pThree = new QRadioButton(QStringLiteral("3 colors"), group);
    auto* radios = new QVBoxLayout(group);
    radios->addWidget(m_pTwo);
    radios->addWidget(m_pThree);

    auto* extras = new QVBoxLayout;
    extras->addLayout(barRow, 1);
    extras->addWidget(group);

    auto* body = new QHBoxLayout;
    body->addWidget(m_pChooser);
    body->addLayout(extras);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
    // A fixed size keeps the measured thumb true.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_pGang, &CGangSwitch::Switched, this, &CDlgFill::OnSlot);
    connect(m_pChooser, &QColorDialog::currentColorChanged, this, &CDlgFill::OnColor);
    connect(m_pTwo, &QRadioButton::clicked, this, [this] { OnMode(0); });
    connect(m_pThree, &QRadioButton::clicked, this, [this] { OnMode(1); });
    connect(m_pSlider, &QSlider::valueChanged, this, &CDlgFill::OnSlider);

    ShowFill();
}

CDlgFill::~CDlgFill() = default;

void CDlgFill::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous() || m_bOpen)
        return;
    m_bOpen = true;
    m_recorded = m_fill;
    if (m_fill.h == 0.0f) {
        layout()->activate();
        MeasureHalfThumb();
    }
    ShowFill();
    Q_EMIT Opened();
    Q_EMIT FillChanged();
}

void CDlgFill::done(int result) {
    // Only what this opening changed is put back; a dialog that was never open has nothing to undo.
    if (result == QDialog::Rejected && m_bOpen) {
        for (unsigned slot = 0; slot < 3; ++slot)
            m_fill.colors[slot] = m_recorded.colors[slot];
        m_fill.mode = m_recorded.mode;
        m_fill.s = m_recorded.s;
        ShowFill();
    }
    m_bOpen = false;
    QDialog::done(result);
}

bool CDlgFill::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pChooser && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Escape:
            reject();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            accept();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgFill::MeasureHalfThumb() {
    m_fill.h = static_cast<CTrackBar*>(m_pSlider)->HalfThumb();
}

void CDlgFill::OnSlot(int slot) {
    if (slot < 0 || slot > 2)
        return;
    m_fill.selected = static_cast<unsigned>(slot);
    ShowColor();
}

void CDlgFill::OnColor(const QColor& color) {
    if (m_bShowing || !color.isValid())
        return;
    const QColor rgb = color.toRgb();
    const COLORREF value =
        MakeColorRef(static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
                     static_cast<std::uint8_t>(rgb.blue()));
    COLORREF& slot = m_fill.colors[m_fill.selected];
    if (value == slot)
        return;
    slot = value;
    m_pSlots[m_fill.selected]->SetColor(value);
    m_pBar->SetFill(m_fill);
    if (m_bOpen)
        Q_EMIT FillChanged();
}

void CDlgFill::OnMode(int mode) {
    if (mode == m_fill.mode)
        return;
    m_fill.mode = mode;
    m_pSlider->setEnabled(mode == 1);
    m_pBar->SetFill(m_fill);
    if (m_bOpen)
        Q_EMIT FillChanged();
}

void CDlgFill::OnSlider(int position) {
    if (m_bShowing)
        return;
    m_fill.SetSliderPosition(position);
    m_pBar->SetFill(m_fill);
    if (m_bOpen)
        Q_EMIT FillChanged();
}

void CDlgFill::ShowFill() {
    m_bShowing = true;
    for (unsigned slot = 0; slot < 3; ++slot)
        m_pSlots[slot]->SetColor(m_fill.colors[slot]);
    m_pGang->Press(static_cast<int>(m_fill.selected));
    (m_fill.mode == 0 ? m_pTwo : m_pThree)->setChecked(true);
    m_pSlider->setEnabled(m_fill.mode == 1);
    m_pSlider->setValue(m_fill.SliderPosition());
    m_pBar->SetFill(m_fill);
    m_bShowing = false;
    ShowColor();
}

void CDlgFill::ShowColor() {
    const COLORREF c = m_fill.colors[m_fill.selected];
    const QSignalBlocker quiet(m_pChooser);
    m_pChooser->setCurrentColor(QColor(RedOf(c), GreenOf(c), BlueOf(c)));
}

} // namespace color
