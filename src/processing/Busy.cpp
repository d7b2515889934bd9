#include "processing/Busy.h"

namespace doc::busy {

namespace detail {
std::atomic<Listener> g_listener{nullptr};
} // namespace detail

void SetListener(Listener listener) {
    detail::g_listener.store(listener, std::memory_order_relaxed);
}

} // namespace doc::busy
