#pragma once
// The application's message loop over QApplication, with idle passes: once the events that input
// brought are processed, the application's OnIdle runs with count 0, 1, 2, ... for as long as it
// returns true, and after OnIdle(0) the main frame updates the commands of its visible tool bars.
#include <QApplication>
#include <QPointF>

#include "framework/qt/fwQtMessages.h"

namespace fw {

class CQtApp : public QApplication {
    Q_OBJECT
public:
    // Shows the core's message boxes as Qt message boxes while it lives.
    CQtApp(int& argc, char** argv);
    ~CQtApp() override;

    static CQtApp* Get();

    // Runs the message loop until the application quits, with an idle pass to start with.
    int Run();
    // Asks for an idle pass from count 0 once the pending events are processed. Input, activation,
    // closing windows and queued calls ask by themselves; state changed by a timer has to ask.
    void KickIdle();
    // Whether an idle step is waiting to run.
    bool IsIdlePending() const { return m_bPosted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void RunIdleStep();
    // Whether the event is one after which the application should look for deferred work.
    bool StartsIdle(QObject* receiver, QEvent* event);

    long m_nIdleCount = 0;
    bool m_bPosted = false;
    bool m_bInIdle = false;
    QPointF m_lastMouse;
    CQtMessages m_messages;
    IMessageService* m_pPreviousMessages = nullptr;
};

} // namespace fw
