#pragma once

#include <QElapsedTimer>

#include <functional>
#include <utility>

namespace tabrivel {

// A yield to the window that a loop may call once per row or cell. Handling pending
// events costs far more than writing a row, so the window is only asked every few
// milliseconds, which keeps it just as responsive; the first call always asks. Once
// the window has answered false (it is closing), every later call answers false too.
class ThrottledYield {
public:
    static constexpr qint64 kIntervalNs = 5'000'000;
    static constexpr unsigned kCallsPerClockRead = 16;

    explicit ThrottledYield(std::function<bool()> yield) : yield_(std::move(yield)) {}

    [[nodiscard]] bool operator()() {
        if (!alive_)
            return false;
        // Even reading the clock costs as much as writing a short row, so it is only
        // read on every kCallsPerClockRead-th call.
        if (sinceYield_.isValid() &&
            (++calls_ % kCallsPerClockRead != 0 || sinceYield_.nsecsElapsed() < kIntervalNs))
            return true;
        alive_ = yield_();
        sinceYield_.start();
        return alive_;
    }

private:
    std::function<bool()> yield_;
    QElapsedTimer sinceYield_;
    unsigned calls_ = 0;
    bool alive_ = true;
};

} // namespace tabrivel
