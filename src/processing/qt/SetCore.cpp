#include "processing/qt/SetCore.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "framework/fwMessage.h"

namespace doc {

namespace {

QSpinBox* MakeSpin(QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setRange(0, CSetCore::kMaxSize);
    spin->setAccelerated(true);
    return spin;
}

} // namespace

CSetCore::CSetCore(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Setting of Core"));
    setModal(true);

    m_pWidth = MakeSpin(this);
    m_pHeight = MakeSpin(this);
    m_pAnchorX = MakeSpin(this);
    m_pAnchorY = MakeSpin(this);
    m_pWidth->setMinimum(1);
    m_pHeight->setMinimum(1);
    m_pCenter = new QCheckBox(QStringLiteral("Center"), this);

    auto* grid = new QGridLayout;
    const std::pair<const char*, QSpinBox*> rows[] = {
        {"Width:", m_pWidth}, {"Height:", m_pHeight}, {"Anchor X:", m_pAnchorX}, {"Anchor Y:", m_pAnchorY}};
    int row = 0;
    for (const auto& [text, spin] : rows) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        label->setBuddy(spin);
        grid->addWidget(label, row, 0);
        grid->addWidget(spin, row, 1);
        spin->installEventFilter(this);
        ++row;
    }
    grid->addWidget(m_pCenter, row, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    m_pCancel = buttons->button(QDialogButtonBox::Cancel);
    m_pOk->setDefault(true);
    // A click on a button leaves the focus in the edit, so that OK judges the text as typed rather
    // than the value the spin box puts back when it loses the focus.
    m_pOk->setFocusPolicy(Qt::TabFocus);
    m_pCancel->setFocusPolicy(Qt::TabFocus);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSetCore::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSetCore::reject);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_pWidth, qOverload<int>(&QSpinBox::valueChanged), this, &CSetCore::OnWidth);
    connect(m_pHeight, qOverload<int>(&QSpinBox::valueChanged), this, &CSetCore::OnHeight);
    connect(m_pCenter, &QCheckBox::toggled, this, &CSetCore::OnCenter);

    ShowValues();
}

CSetCore::~CSetCore() = default;

void CSetCore::SetValues(const CKernelDialogValues& values) {
    m_values = values;
    ShowValues();
}

void CSetCore::ShowValues() {
    const QSignalBlocker blockWidth(m_pWidth), blockHeight(m_pHeight), blockCenter(m_pCenter);
    m_pWidth->setValue(m_values.width); // clamped into 1 .. kMaxSize
    m_pHeight->setValue(m_values.height);
    m_pAnchorX->setRange(0, m_pWidth->value() - 1);
    m_pAnchorY->setRange(0, m_pHeight->value() - 1);
    m_pAnchorX->setValue(m_values.anchorX);
    m_pAnchorY->setValue(m_values.anchorY);
    m_pCenter->setChecked(m_values.center);
    OnCenter(m_values.center);
}

void CSetCore::OnWidth(int width) {
    // The anchor stays inside the kernel whatever the size becomes.
    m_pAnchorX->setMaximum(std::max(width - 1, 0));
    if (m_pCenter->isChecked())
        m_pAnchorX->setValue(width / 2);
}

void CSetCore::OnHeight(int height) {
    m_pAnchorY->setMaximum(std::max(height - 1, 0));
    if (m_pCenter->isChecked())
        m_pAnchorY->setValue(height / 2);
}

void CSetCore::OnCenter(bool center) {
    m_pAnchorX->setEnabled(!center);
    m_pAnchorY->setEnabled(!center);
    // A checked "Center" means a centred anchor, also when it was moved while unchecked.
    if (center) {
        m_pAnchorX->setValue(m_pWidth->value() / 2);
        m_pAnchorY->setValue(m_pHeight->value() / 2);
    }
}

bool CSetCore::Validate(QSpinBox* spin) {
    if (spin->hasAcceptableInput())
        return true;
    bool isInteger = false;
    spin->cleanText().trimmed().toInt(&isInteger);
    const std::wstring text = isInteger
                                  ? L"Please enter an integer between " + std::to_wstring(spin->minimum()) +
                                        L" and " + std::to_wstring(spin->maximum()) + L"."
                                  : std::wstring(L"Please enter an integer.");
    fw::MessageBox(text, fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
    spin->setFocus();
    spin->selectAll();
    return false;
}

void CSetCore::accept() {
    for (QSpinBox* spin : {m_pWidth, m_pHeight, m_pAnchorX, m_pAnchorY})
        if (!Validate(spin))
            return;
    m_values.width = m_pWidth->value();
    m_values.height = m_pHeight->value();
    m_values.anchorX = m_pAnchorX->value();
    m_values.anchorY = m_pAnchorY->value();
    m_values.center = m_pCenter->isChecked();
    QDialog::accept();
}

void CSetCore::showEvent(QShowEvent* event) {
    // Every showing starts from the values kept, whatever an earlier cancelled showing left.
    ShowValues();
    m_pWidth->setFocus();
    m_pWidth->selectAll();
    QDialog::showEvent(event);
}

bool CSetCore::eventFilter(QObject* watched, QEvent* event) {
    // Enter would make the spin box put its last value back before OK could see the text.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            if (auto* spin = qobject_cast<QSpinBox*>(watched); spin && !Validate(spin))
                return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace doc
