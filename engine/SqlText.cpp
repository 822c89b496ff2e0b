#include "SqlText.h"

namespace tabrivel {

std::string ClosingDelimiterFor(std::string_view opening) {
    if (opening == "(")
        return ")";
    if (opening == "[")
        return "]";
    if (opening == "{")
        return "}";
    if (opening == "<")
        return ">";
    return std::string(opening);
}

} // namespace tabrivel
