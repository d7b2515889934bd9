#pragma once
// The base of the application's child frames: each says which kind of window it is, so that the main
// frame shows the tool bars of that kind, and a frame that gets the focus while it sticks out of the
// MDI client asks to be moved back inside.
#include "framework/qt/fwChildFrame.h"

// The kinds of windows.
enum WindowKind : int {
    kKindNone = 0,
    kKind2D = 1,
    kKindBump = 2,
    kKind3D = 3,
    kKindProfile = 4,
    kKindStatistics = 5,
    kKindFourier = 6,
    kKindCorrelation = 7,
};

class CAdvChildFrame : public fw::CChildFrame {
    Q_OBJECT
public:
    explicit CAdvChildFrame(fw::CDocument* document, QWidget* parent = nullptr);

    virtual WindowKind Kind() const { return kKindNone; }
    // Whether the frame reaches past the right or bottom edge of its MDI client.
    bool SticksOut() const;

protected:
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
