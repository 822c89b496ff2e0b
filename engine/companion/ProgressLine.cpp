#include "ProgressLine.h"

namespace tabrivel {

void ProgressLine::startTable(const std::string& table, std::uint64_t total) {
    table_ = table;
    total_ = total;
    done_ = 0;
    started_ = now_();
    shown_ = started_;
}

void ProgressLine::maybeShow() {
    const Clock::time_point now = now_();
    if (now - shown_ >= kInterval)
        show(now);
}

void ProgressLine::show(Clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const auto perSecond =
        seconds > 0 ? static_cast<unsigned long long>(static_cast<double>(done_) / seconds) : 0ull;
    std::fprintf(stream_, "\r%s: %llu of %llu records, %llu records/s\033[K", table_.c_str(),
                 static_cast<unsigned long long>(done_), static_cast<unsigned long long>(total_),
                 perSecond);
    std::fflush(stream_);
    shown_ = now;
}

void ProgressLine::endTable() {
    show(now_());
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

} // namespace tabrivel
