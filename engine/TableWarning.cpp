#include "engine/TableWarning.h"

namespace tabrivel {

std::string TableWarning::message() const {
    std::string text = cause;
    if (count == 0)
        return text;
    text += " (" + lost + ": " + std::to_string(count);
    if (firstRecord > 0)
        text += ", the first in record " + std::to_string(firstRecord);
    return text + ")";
}

std::size_t TableWarnings::note(TableErrorCode code, const std::string& file,
                                const std::string& cause, const std::string& lost,
                                std::uint64_t count, std::uint64_t record) {
    for (std::size_t place = 0; place < warnings_.size(); ++place) {
        auto& warning = warnings_[place];
        if (warning.code == code && warning.file == file && warning.lost == lost) {
            warning.count += count;
            return place;
        }
    }
    warnings_.push_back({code, file, cause, lost, count, record});
    return warnings_.size() - 1;
}

} // namespace tabrivel
