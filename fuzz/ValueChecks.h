#pragma once

#include "engine/Value.h"

#include <string_view>

namespace tabrivel::fuzz {

// Whether `text` is well-formed UTF-8: no stray continuation bytes, no overlong forms,
// no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view text);

// Whether a decoded value has the form its type promises: a canonical decimal, an ISO
// date or date-time, "True" or "False"; text must be UTF-8.
bool HasPromisedForm(const Value& value);

} // namespace tabrivel::fuzz
