#include "view2d/qt/GangSwitch.h"

#include <QAbstractButton>

namespace color {

CGangSwitch::CGangSwitch(QObject* parent) : QButtonGroup(parent) {
    setExclusive(true);
    connect(this, &QButtonGroup::idClicked, this, &CGangSwitch::Switched);
}

void CGangSwitch::Add(QAbstractButton* button) {
    button->setCheckable(true);
    addButton(button, static_cast<int>(buttons().size()));
}

void CGangSwitch::Press(int index) {
    if (QAbstractButton* pressed = button(index))
        pressed->setChecked(true);
}

} // namespace color
