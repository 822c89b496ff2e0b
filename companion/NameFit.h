#pragma once

#include "DialectRules.h"

#include <optional>
#include <string>
#include <string_view>

namespace tabrivel {

// A name as its database takes it. A name longer than the database allows would be cut
// (PostgreSQL, silently, so that two long names that share their start become one
// table) or refused (MySQL, SQL Server): it is cut here instead, to end in "_" and twelve
// hexadecimal digits of a hash of the whole name, so that different names stay
// different. The written form counts, with its doubled quotes and anything else the
// delimiters need, in bytes or in characters as the database measures.
struct FittedName {
    std::string plain;   // the name, cut where needed
    std::string written; // between its delimiters
    bool shortened = false;
};

FittedName FitName(std::string_view name, std::string_view opening, std::string_view closing,
                   const DialectRules& rules);

} // namespace tabrivel
