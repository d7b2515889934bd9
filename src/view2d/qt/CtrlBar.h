#pragma once
// The custom-fill dialog's preview: a vertical bar from the bottom colour up to the top colour,
// through the middle colour at the slider's position in three-colour mode, as the fill builds its
// tables.
#include "view2d/CustomFill.h"
#include "view3d/qt/glCtrl.h"

namespace color {

class CCtrlBar : public gl::CglCtrl {
    Q_OBJECT
public:
    explicit CCtrlBar(QWidget* parent = nullptr);

    // Takes the colours, the mode and the middle position, and repaints.
    void SetFill(const CCustomFill& fill);

    QSize sizeHint() const override;

protected:
    // The unit square fills the control; back faces are culled.
    void InitGL() override;
    void DrawScene() override;

private:
    CCustomFill m_fill;
};

} // namespace color
