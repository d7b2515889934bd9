#pragma once
// The busy cursor. Once the user's thread has been working for a quarter of a second since the event
// loop last woke, the next Tick() shows the wait cursor over every window; it goes when the loop is
// about to wait for events again. Work that can take long calls Tick() now and then (the core's
// long loops tick through the listener the application gives them). A modal dialog's or a menu's
// own loop wakes and waits too, so time the user spends in one never counts as work.
#include <chrono>

namespace fw {

class CBusyCursor {
public:
    static constexpr std::chrono::milliseconds kDelay{250};

    // Hooks the event loop of the application's thread; once, after the application exists.
    // Later calls do nothing.
    static void Install();
    // Shows the cursor when the stretch of work has lasted kDelay; from any thread, only the
    // application's counts.
    static void Tick();
    // Whether the wait cursor is up.
    static bool Shown();
};

} // namespace fw
