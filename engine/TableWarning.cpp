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

void TableWarnings::note(TableErrorCode code, const std::string& file, const std::string& cause,
                         const std::string& lost, std::uint64_t count, std::uint64_t record) {
    for (auto& warning : warnings_)
        if (warning.code == code && warning.file == file && warning.lost == lost) {
            warning.count += count;
            return;
        }
    warnings_.push_back({code, file, cause, lost, count, record});
}

} // namespace tabrivel
