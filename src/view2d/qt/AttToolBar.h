#pragma once
// The brightness/contrast tool bar: Contrast up, Contrast down, Brightnees up and Brightnees down.
// Holding a button steps at once and then repeats, faster the longer it is held (150 ms down to
// 50 ms a step), with a tip that follows the new percentage. The buttons' own tooltips give the
// active window's percentages.
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <functional>

class QLabel;
class QToolButton;

namespace fw {
class CCommandTable;
}

namespace color {

class CAttenuator;

class CAttToolBar : public QToolBar {
    Q_OBJECT
public:
    // The attenuator of the active window's model, or null when there is none.
    using Source = std::function<const CAttenuator*()>;

    // The buttons are the table's commands, which must be registered already; the steps go through
    // the table to whichever window is active.
    explicit CAttToolBar(fw::CCommandTable& commands, QWidget* parent = nullptr);
    ~CAttToolBar() override;

    void SetSource(Source source) { m_source = std::move(source); }

    // Buttons 0..3 in their order.
    QToolButton* Button(int index) const;
    // The held button's number, or the last held one's after its release; -1 before any.
    int PressedButton() const { return m_nPressed; }

    // The repeat: a timer tick, the tick counter (0 while nothing is held) and the timer's period.
    void Tick();
    int TickCount() const { return m_nCount; }
    int Interval() const { return m_timer.interval(); }
    bool IsRepeating() const { return m_timer.isActive(); }
    // The tip over the tool bar that follows the held button's percentage, or null.
    QLabel* TrackingTip() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int IndexOf(const QObject* object) const;
    void Press(int index);
    void Release();
    void Step();
    // The held button's step value, or false when no window has an attenuator.
    bool PressedStep(int& step) const;
    void ShowTrackingTip();
    void DestroyTrackingTip();
    QString ButtonTip(int index) const;

    fw::CCommandTable& m_commands;
    Source m_source;
    QToolButton* m_buttons[4] = {};
    QTimer m_timer;
    int m_nCount = 0;
    int m_nPressed = -1;
    QPointer<QLabel> m_pTip;
};

} // namespace color
