#include "ProgressLine.h"

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

std::string ProgressLine::lineAt(Clock::time_point now) const {
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const auto perSecond =
        seconds > 0 ? static_cast<unsigned long long>(static_cast<double>(done_) / seconds) : 0ull;
    char counts[96];
    std::snprintf(counts, sizeof counts, ": %llu of %llu records, %llu records/s\033[K",
                  static_cast<unsigned long long>(done_), static_cast<unsigned long long>(total_),
                  perSecond);
    return "\r" + table_ + counts;
}

void ProgressLine::show(Clock::time_point now) {
    std::fputs(lineAt(now).c_str(), stream_);
    std::fflush(stream_);
    shown_ = now;
}

void ProgressLine::endTable() {
    if (!stream_) {
        finalLines_(lineAt(now_()) + "\n");
        return;
    }
    show(now_());
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

} // namespace tabrivel
