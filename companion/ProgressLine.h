#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace tabrivel {

// A progress line on standard error: the table, how far through it the conversion is,
// records per second and the time left, redrawn in place at most every 200 ms so that it
// costs the conversion nothing; at the end, the records delivered, the deleted ones left
// out and the time taken.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;
    using Now = Clock::time_point (*)();

    using FinalLines = std::function<void(const std::string& text)>;

    explicit ProgressLine(std::FILE* stream, Now now = &Clock::now) : stream_(stream), now_(now) {}
    // Only each table's final line, handed to `finalLines`: for a table converted ahead
    // of its turn, whose redraws would reach the screen too late to mean anything.
    explicit ProgressLine(FinalLines finalLines, Now now = &Clock::now)
        : now_(now), finalLines_(std::move(finalLines)) {}

    void startTable(const std::string& table, std::uint64_t total);
    // A part of a table converted in parts: `done` records of it came before this part,
    // the first part having begun at `started`.
    void startTable(const std::string& table, std::uint64_t total, std::uint64_t done,
                    Clock::time_point started);
    // Cheap enough for every record: the clock is read once in a while only.
    void recordDone() {
        if ((++done_ & 0x3FF) == 0)
            maybeShow();
    }
    // The final count of the table, and the line left standing. `passed`: the records of
    // the file passed over in all, deleted ones included, which tells how many deleted ones
    // were left out; none for a table that stopped on an error.
    void endTable(std::optional<std::uint64_t> passed = std::nullopt);

    static constexpr std::chrono::milliseconds kInterval{200};

private:
    void maybeShow();
    void show(Clock::time_point now);
    std::string lineAt(Clock::time_point now) const;
    std::string finalLineAt(Clock::time_point now, std::optional<std::uint64_t> passed) const;

    std::FILE* stream_ = nullptr;
    Now now_;
    FinalLines finalLines_;
    std::string table_;
    std::uint64_t total_ = 0;
    std::uint64_t done_ = 0;
    Clock::time_point started_{};
    Clock::time_point shown_{};
};

} // namespace tabrivel
