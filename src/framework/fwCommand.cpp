#include "framework/fwCommand.h"

namespace fw {

bool RouteCommand(const std::vector<ICmdTarget*>& route, int id) {
    if (!RouteUpdate(route, id).enabled)
        return false;
    for (ICmdTarget* target : route)
        if (target && target->OnCommand(id))
            return true;
    return false;
}

CCmdState RouteUpdate(const std::vector<ICmdTarget*>& route, int id) {
    for (const ICmdTarget* target : route) {
        if (!target)
            continue;
        // Each target starts from a clean state, so that one that declines leaves nothing behind.
        CCmdState state;
        if (target->OnUpdateCommand(id, state))
            return state;
    }
    CCmdState state;
    state.enabled = false;
    return state;
}

} // namespace fw
