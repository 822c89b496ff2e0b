#pragma once

#include "Value.h"

#include <span>
#include <string>
#include <string_view>

namespace tabrivel {

std::string ClosingDelimiterFor(std::string_view openingDelimiter);

} // namespace tabrivel
