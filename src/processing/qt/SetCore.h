#pragma once
// "Setting of Core": the size of a custom kernel and the cell of it that lands on the output cell,
// asked before a custom filter or a custom morphology applies. The dialog keeps its own values from
// one showing to the next; Cancel leaves them as they were.
//
// Each edit with its arrows is one spin box. A spin box refuses characters that cannot make an
// integer in its range while they are typed; text that is not yet a value in range (empty, or below
// the minimum) is put back to the last value when the box loses the focus, and refused with the
// usual "Please enter an integer ..." box when OK is pressed over it.
#include <QDialog>

#include "processing/KernelGeometry.h"

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace doc {

class CSetCore : public QDialog {
    Q_OBJECT
public:
    // Kernels are at most this wide and high.
    static constexpr int kMaxSize = 256;

    explicit CSetCore(QWidget* parent = nullptr);
    ~CSetCore() override;

    // The values the dialog shows when it opens next, and after OK those that were chosen.
    const CKernelDialogValues& Values() const { return m_values; }
    void SetValues(const CKernelDialogValues& values);

    // The controls, for the window tests.
    QSpinBox* WidthSpin() const { return m_pWidth; }
    QSpinBox* HeightSpin() const { return m_pHeight; }
    QSpinBox* AnchorXSpin() const { return m_pAnchorX; }
    QSpinBox* AnchorYSpin() const { return m_pAnchorY; }
    QCheckBox* CenterBox() const { return m_pCenter; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls show m_values.
    void ShowValues();
    void OnWidth(int width);
    void OnHeight(int height);
    void OnCenter(bool center);
    // False, after telling the user and putting the focus on it, when a box holds text that is not an
    // integer in its range.
    bool Validate(QSpinBox* spin);

    CKernelDialogValues m_values;

    QSpinBox* m_pWidth;
    QSpinBox* m_pHeight;
    QSpinBox* m_pAnchorX;
    QSpinBox* m_pAnchorY;
    QCheckBox* m_pCenter;
    QPushButton* m_pOk;
    QPushButton* m_pCancel;
};

} // namespace doc
