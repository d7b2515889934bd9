#pragma once
// Buttons of which exactly one is pressed: pressing one releases the one pressed before.
#include <QButtonGroup>

namespace color {

class CGangSwitch : public QButtonGroup {
    Q_OBJECT
public:
    explicit CGangSwitch(QObject* parent = nullptr);

    // Joins a checkable button; buttons are numbered from 0 in the order they join.
    void Add(QAbstractButton* button);
    // Presses the button without telling anyone.
    void Press(int index);
    // The pressed button's number, or -1.
    int Pressed() const { return checkedId(); }

Q_SIGNALS:
    // The user pressed a button, the pressed one included.
    void Switched(int index);
};

} // namespace color
