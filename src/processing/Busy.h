#pragma once
// Long work says now and then that it is still going, so that the windows can show the busy cursor
// once the user has waited a quarter of a second. The core only calls Tick(); the windows listen.
// Without a listener a call costs one atomic load.
#include <atomic>

namespace doc::busy {

using Listener = void (*)();

namespace detail {
extern std::atomic<Listener> g_listener;
} // namespace detail

// The function every Tick() calls from then on, on whichever thread ticks; null for none.
void SetListener(Listener listener);

inline void Tick() {
    if (const Listener listener = detail::g_listener.load(std::memory_order_relaxed))
        listener();
}

} // namespace doc::busy
