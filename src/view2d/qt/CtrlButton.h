#pragma once
// A colour slot of the custom-fill dialog: a button showing its colour, pushed in while its slot is
// the selected one.
#include <QAbstractButton>

#include "view2d/CustomFill.h"

namespace color {

class CCtrlButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CCtrlButton(QWidget* parent = nullptr);

    void SetColor(COLORREF color);
    COLORREF Color() const { return m_color; }
    // Pushed in: when checked, or held down by the mouse.
    bool IsPushed() const { return isChecked() || isDown(); }
    // The colour's rectangle with its black outline: inset by 4 when pushed; by 3 at the top and left
    // and 4 at the bottom and right when raised, so that it sinks with the frame.
    QRect ColorRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    COLORREF m_color = 0;
};

} // namespace color
