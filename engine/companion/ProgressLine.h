#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tabrivel {

// A progress line on standard error: the table, records done of its total, records per
// second, redrawn in place at most every 200 ms so that it costs the conversion nothing.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;
    using Now = Clock::time_point (*)();

    explicit ProgressLine(std::FILE* stream, Now now = &Clock::now) : stream_(stream), now_(now) {}

    void startTable(const std::string& table, std::uint64_t total);
    // Cheap enough for every record: the clock is read once in a while only.
    void recordDone() {
        if ((++done_ & 0x3FF) == 0)
            maybeShow();
    }
    // The final count of the table, and the line left standing.
    void endTable();

    static constexpr std::chrono::milliseconds kInterval{200};

private:
    void maybeShow();
    void show(Clock::time_point now);

    std::FILE* stream_;
    Now now_;
    std::string table_;
    std::uint64_t total_ = 0;
    std::uint64_t done_ = 0;
    Clock::time_point started_{};
    Clock::time_point shown_{};
};

} // namespace tabrivel
