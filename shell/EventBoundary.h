#pragma once

#include <QDebug>

#include <exception>

namespace tabrivel {

// Runs an event handler so that no failure crosses the event loop: a handler without a
// trap of its own that fails is abandoned, the program and its lists carry on, and the
// failure goes to the diagnostic output.
template <typename Handler> void AtEventBoundary(const char* handlerName, Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        qWarning("%s failed: %s", handlerName, e.what());
    } catch (...) {
        qWarning("%s failed", handlerName);
    }
}

} // namespace tabrivel
