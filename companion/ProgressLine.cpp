#include "ProgressLine.h"

#include <algorithm>
#include <cmath>

namespace tabrivel {

void ProgressLine::startTable(const std::string& table, std::uint64_t total) {
    startTable(table, total, 0, now_());
}

void ProgressLine::startTable(const std::string& table, std::uint64_t total, std::uint64_t done,
                              Clock::time_point started) {
    table_ = table;
    total_ = total;
    done_ = done;
    started_ = started;
    shown_ = now_();
}

void ProgressLine::maybeShow() {
    if (!stream_)
        return;
    const Clock::time_point now = now_();
    if (now - shown_ >= kInterval)
        show(now);
}

namespace {

double SecondsBetween(ProgressLine::Clock::time_point from, ProgressLine::Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// "8.3 s", "4 min 5 s", "2 h 10 min": as precise as the reader needs.
std::string Duration(double seconds) {
    char text[48];
    const auto whole = static_cast<unsigned long long>(std::llround(seconds));
    if (seconds < 60)
        std::snprintf(text, sizeof text, "%.1f s", seconds);
    else if (whole < 3600)
        std::snprintf(text, sizeof text, "%llu min %llu s", whole / 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%llu h %llu min", whole / 3600, whole % 3600 / 60);
    return text;
}

} // namespace

// The total counts deleted records too, which the conversion passes over without counting
// them, so a table with many ends its running line short of 100%; the final line is exact.
std::string ProgressLine::lineAt(Clock::time_point now) const {
    const double seconds = SecondsBetween(started_, now);
    const double perSecond = seconds > 0 ? static_cast<double>(done_) / seconds : 0;
    const std::uint64_t left = total_ > done_ ? total_ - done_ : 0;
    const std::uint64_t percent =
        total_ > 0 ? std::min<std::uint64_t>(done_ * 100 / total_, 100) : 100;
    char counts[128];
    std::snprintf(counts, sizeof counts, ": %llu%% (%llu of %llu records), %llu records/s",
                  static_cast<unsigned long long>(percent), static_cast<unsigned long long>(done_),
                  static_cast<unsigned long long>(total_),
                  static_cast<unsigned long long>(perSecond));
    const std::string timeLeft =
        perSecond > 0 ? ", " + Duration(static_cast<double>(left) / perSecond) + " left" : "";
    return "\r" + table_ + counts + timeLeft + "\033[K";
}

std::string ProgressLine::finalLineAt(Clock::time_point now,
                                      std::optional<std::uint64_t> passed) const {
    std::string line = "\r" + table_ + ": " + std::to_string(done_) + " records delivered, ";
    if (passed)
        line += std::to_string(*passed > done_ ? *passed - done_ : 0) + " deleted left out, ";
    return line + "in " + Duration(SecondsBetween(started_, now)) + "\033[K\n";
}

void ProgressLine::show(Clock::time_point now) {
    std::fputs(lineAt(now).c_str(), stream_);
    std::fflush(stream_);
    shown_ = now;
}

void ProgressLine::endTable(std::optional<std::uint64_t> passed) {
    const std::string line = finalLineAt(now_(), passed);
    if (!stream_) {
        finalLines_(line);
        return;
    }
    std::fputs(line.c_str(), stream_);
    std::fflush(stream_);
}

} // namespace tabrivel
