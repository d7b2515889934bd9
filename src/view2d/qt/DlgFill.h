#pragma once
// The custom-fill dialog: the colour chooser with three colour slots (top, middle, bottom), a
// preview bar, two- or three-colour interpolation and a slider that places the middle colour.
// The dialog keeps the custom fill of its window across openings. While it is open every change,
// and the opening itself, is announced so that the window shows the custom fill live; Cancel puts
// the colours, the mode and the slider back as they were when it opened.
#include <QDialog>

#include "view2d/CustomFill.h"

class QColorDialog;
class QRadioButton;
class QSlider;

namespace color {

class CCtrlBar;
class CCtrlButton;
class CGangSwitch;

class CDlgFill : public QDialog {
    Q_OBJECT
public:
    explicit CDlgFill(QWidget* parent = nullptr);
    ~CDlgFill() override;

    const CCustomFill& Fill() const { return m_fill; }

    // The controls, for the window tests.
    QColorDialog* Chooser() const { return m_pChooser; }
    CCtrlBar* Bar() const { return m_pBar; }
    CCtrlButton* SlotButton(unsigned slot) const { return m_pSlots[slot]; }
    QRadioButton* TwoColors() const { return m_pTwo; }
    QRadioButton* ThreeColors() const { return m_pThree; }
    QSlider* Slider() const { return m_pSlider; }

    void done(int result) override;

Q_SIGNALS:
    // The dialog opened; FillChanged follows.
    void Opened();
    // The custom fill is to be shown: the dialog opened, or its fill changed while open.
    void FillChanged();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnSlot(int slot);
    void OnColor(const QColor& color);
    void OnMode(int mode);
    void OnSlider(int position);
    void MeasureHalfThumb();
    // Every control shows the fill, without taking it for a change.
    void ShowFill();
    void ShowColor();

    CCustomFill m_fill;
    CCustomFill m_recorded; // as it was when the dialog opened
    bool m_bOpen = false;
    bool m_bShowing = false;

    QColorDialog* m_pChooser;
    CCtrlBar* m_pBar;
    CCtrlButton* m_pSlots[3];
    CGangSwitch* m_pGang;
    QRadioButton* m_pTwo;
    QRadioButton* m_pThree;
    QSlider* m_pSlider;
};

} // namespace color
